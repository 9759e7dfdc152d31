#pragma once

#include "money.h"

#include <QString>
#include <QVector>
#include <QXmlStreamReader>
#include <exception>

// A bank statement as the bank sent it, whatever the file's format: the account, the period,
// the balances and one line per booked item. Amounts are exact cents with the ledger's sign:
// money into the account positive, money out negative.

struct StatementLine {
    int date = 0; // yyyymmdd the bank booked it
    Cents cents = 0;
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
    Cents opening = 0;
    bool hasClosing = false;
    Cents closing = 0;
    int closingDate = 0;
    QVector<StatementLine> lines;
    int fileLine = 0; // where the statement starts in the file

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

// A file that cannot be read: the message names the file and, where they are known, the line
// and the element the fault is in ("Stmt/Ntry/Amt").
class StatementError : public std::exception {
public:
    StatementError(const QString& file, int line, const ReadFault& fault,
                   const QString& element = {});
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

// Entries of the file that are not among the statement's lines, with the reason; the clerk
// is told of them rather than left to wonder why a line is missing.
struct SkippedEntries {
    QString account; // the statement's account they belong to
    int count = 0;
    int fileLine = 0; // the first of them
    ReadFault reason; // "its status is PDNG", for example
};

// Everything a statement file holds: one or more statements (several days, several accounts)
// in the order of the file, and what was not read.
struct StatementFile {
    QString format;
    QVector<Statement> statements;
    QVector<SkippedEntries> skipped;

    // Counts an entry not read; entries in a row of one account and one reason count together.
    void skip(const QString& account, int fileLine, const ReadFault& reason);
    // The accounts the file holds statements for, in the order of the file.
    QStringList accounts() const;
    // The statements of one account joined into one, in the order of the file: the first's
    // opening, the last's closing. Each fault the clerk must hear of goes to *warnings: a
    // statement whose lines do not give its closing balance, one that does not open where the
    // one before closed, entries skipped, other accounts not read.
    Statement forAccount(const QString& account, QVector<ReadFault>* warnings) const;
};

// Reads a statement file of any of the known formats, told apart by the file's start (a byte
// order mark, then the header or the root element). Throws StatementError for a file that is
// empty, cut short, of no known format, or holds an amount, a date or a currency that cannot
// be read; the error names the line and what was expected there.
StatementFile readStatementFile(const QString& path, const CsvMapping& csv = {});

// The whole file; throws StatementError when it cannot be opened.
QByteArray readStatementBytes(const QString& path);

// The readers, one per format; each reads the whole file's bytes.
StatementFile readOfx(const QString& path, const QByteArray& data);
StatementFile readCamt053(const QString& path, const QByteArray& data);
StatementFile readBai2(const QString& path, const QByteArray& data);
StatementFile readCsv(const QString& path, const QByteArray& data, const CsvMapping& mapping);

// Shared by the readers.
namespace statement_text {
// The text of a file as Unicode: a UTF-8 or UTF-16 byte order mark decides, else UTF-8, else
// Windows-1252. Line ends (CR LF, CR alone, LF) all become LF, so lines count alike.
QString decode(const QByteArray& data);
// Text from the file as a message quotes it: control characters (a NUL among them) shown as
// "?", cut after 40 characters.
QString quoted(QStringView text);
// A real calendar date of the years 1900 to 2999 as yyyymmdd, else 0.
int calendarDate(int year, int month, int day);
// "20240229", "20240229120000.000[-5:EST]": the bank's calendar day as written, whatever the
// time or the zone; 0 when it is not a date.
int ofxDate(QStringView text);
// "2024-02-29" or "2024-02-29T17:00:00+01:00": the calendar day as written, else 0.
int isoDate(QStringView text);
// A money fault as a reason: "the amount "x" cannot be read: <why>".
ReadFault amountFault(QStringView text, MoneyFault fault);
// The reason for a date that is not one, with the form expected.
ReadFault dateFault(QStringView text, const QString& expected);
// Reads an XML document fed in pieces, so the reader never holds the whole file decoded at
// once; ends at the document's end or at its first error.
class XmlFeed {
public:
    XmlFeed(QXmlStreamReader& xml, const QByteArray& data) : m_xml(xml), m_data(data) {}
    // The next token; false at the end or at an error.
    bool next(QXmlStreamReader::TokenType* token);

private:
    QXmlStreamReader& m_xml;
    const QByteArray& m_data;
    qsizetype m_fed = 0;
};
} // namespace statement_text
