#pragma once

#include <QString>
#include <QVector>
#include <exception>

// A bank statement as the bank sent it, whatever the file's format: the account, the period,
// the balances and one line per booked item. Amounts carry the ledger's sign: money into the
// account positive, money out negative.

struct StatementLine {
    int date = 0; // yyyymmdd the bank booked it
    double amount = 0;
    qint64 check = 0; // check number the bank read, 0 for none
    QString description;
    QString reference; // the bank's own id of the item, where it gives one
    int fileLine = 0;  // where the item starts in the file
};

struct Statement {
    QString format; // "OFX", "camt.053.001.08", "BAI2", "CSV"
    QString account;
    QString currency;
    int periodStart = 0; // yyyymmdd, 0 when the file does not say
    int periodEnd = 0;
    bool hasOpening = false;
    double opening = 0;
    bool hasClosing = false;
    double closing = 0;
    int closingDate = 0;
    QVector<StatementLine> lines;

    // The date the statement closes on: the closing balance's, else the period's end, else
    // the last line's.
    int statementDate() const;
};

// Why a file cannot be read, in both of the clerk's languages; arg() fills both alike. Text
// from the file goes in one arg() with the rest, so a "%2" in it stays as it is.
struct ReadFault {
    QString english;
    QString spanish;
    template <typename... Args> ReadFault arg(const Args&... args) const {
        return {english.arg(args...), spanish.arg(args...)};
    }
};

// A file that cannot be read: the message names the file and, where it is known, the line.
class StatementError : public std::exception {
public:
    StatementError(const QString& file, int line, const ReadFault& fault);
    const char* what() const noexcept override { return m_what.constData(); }
    QString message(bool spanish = false) const { return spanish ? m_spanish : m_message; }
    QString file() const { return m_file; }
    int line() const { return m_line; }

private:
    QString m_message;
    QString m_spanish;
    QString m_file;
    int m_line;
    QByteArray m_what;
};

// How the columns of one account's CSV export are read; set once by the clerk and kept.
struct CsvMapping {
    int dateColumn = 0;                        // columns count from 1; 0 = not in the file
    QString dateOrder = QStringLiteral("MDY"); // "MDY", "DMY" or "YMD"
    int amountColumn = 0;                      // one signed amount column ...
    int debitColumn = 0;                       // ... or debit and credit columns
    int creditColumn = 0;
    int checkColumn = 0;
    int descriptionColumn = 0;
    bool decimalComma = false;
    int skipLines = 0; // headings before the first item

    bool usable() const {
        return dateColumn > 0 && (amountColumn > 0 || debitColumn > 0 || creditColumn > 0);
    }
    // One line of text for the settings store, and back.
    QString toText() const;
    static CsvMapping fromText(const QString& text);
};

// Reads a statement file of any of the known formats, told apart by their content. Throws
// StatementError for a file that is empty, truncated, of no known format, or holds an amount,
// a date or a currency that cannot be read.
Statement readStatementFile(const QString& path, const CsvMapping& csv = {});

// The whole file; throws StatementError when it cannot be opened.
QByteArray readStatementBytes(const QString& path);

// The readers, one per format; each reads the whole file's bytes (OFX reads from the path).
Statement readOfx(const QString& path);
Statement readCamt053(const QString& path, const QByteArray& data);
Statement readBai2(const QString& path, const QByteArray& data);
Statement readCsv(const QString& path, const QByteArray& data, const CsvMapping& mapping);

// An amount as banks print it: "1,234.56", "-12.50", "(12.50)", "12.50-", with a decimal
// comma "1.234,56". ok is false when the text is not an amount.
double parseAmount(QString text, bool decimalComma, bool* ok);
