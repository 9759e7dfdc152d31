#pragma once

#include "statement.h"

#include <QByteArray>
#include <QHash>
#include <QRandomGenerator>
#include <QString>
#include <QVector>

// Writes bank statement files of every format the import reads, with chosen or random
// amounts, dates and variants of how the bank writes them, and knows what it wrote: the
// statements, and the file line of each item, amount and date. The demo maker writes the
// demo's statement with it; tests and benchmarks read what it writes.

namespace statement_files {

enum class Format { OfxSgml, OfxXml, Camt053, Bai2, Csv };

struct Options {
    Format format = Format::OfxSgml;
    quint32 seed = 1;
    int statements = 1; // per account, one after the other
    int lines = 3;      // items per statement
    QStringList accounts = {QStringLiteral("4410012345")};
    QString currency = QStringLiteral("USD");
    int firstDate = 20240201; // the first statement's first day
    int days = 29;            // days each statement covers (BAI2: always 1)
    Cents opening = 500000;

    // How the text is written.
    bool byteOrderMark = false;
    bool utf16 = false;        // UTF-16 little-endian, with its byte order mark
    QByteArray lineEnd = "\n"; // "\r\n", "\r"
    bool moneyForms = false;   // amounts in every form the format allows, by the seed
    bool ofxTimes = false;     // OFX dates late in the day with a zone: "...233000[-5:EST]"
    QString camtVersion = QStringLiteral("08");
    bool csvDebitCredit = false;  // CSV: debit and credit columns instead of one amount
    bool csvDecimalComma = false; // CSV: "1.234,56" with semicolons

    // Texts written as they are instead of an item's amount or date, by the item's index in
    // the file (counted over all statements from 0); the expected statement keeps the value
    // chosen, so a test states what the reader must make of the text. A BAI2 group's as-of
    // date is keyed -1 - the group's index.
    QHash<int, QString> amountTexts;
    QHash<int, QString> dateTexts;
    // Cents added to a statement's closing balance, by the statement's index: a gap.
    QHash<int, Cents> closingGaps;
    // Cents added to a statement's opening balance, by the statement's index: it does not
    // open where the one before closed.
    QHash<int, Cents> openingGaps;
};

// Where one item was written.
struct ItemPlace {
    int item = 0;   // the line the item starts on
    int amount = 0; // the line of its amount
    int date = 0;   // the line of its date
};

struct Written {
    QByteArray bytes;
    StatementFile expected;    // what a reader must give for it
    CsvMapping mapping;        // the columns, for CSV
    QVector<ItemPlace> places; // per item, in file order
    QString fileName;          // a name with the format's usual extension
};

// Random statements for the options, written in the options' format.
Written write(const Options& options);

// The statements given, written in the options' format (the random parts of the options are
// not used).
Written write(const QVector<Statement>& statements, const Options& options);

// Money text of the cents in one of the forms the format's reader must read exactly,
// chosen by the generator: "$1,234.56", "(12.50)", "12.50-", "1.234,56" for OFX; plain
// forms for the others. decimalComma: the CSV mapping's separator.
QString moneyText(Cents cents, Format format, QRandomGenerator& random, bool decimalComma = false);

// The statement of an OFX file written again beside it in the other formats, with the same
// items: camt.053 (.xml), BAI2 as one prior-day report a day (.bai) and CSV (.csv, columns
// date, description, check, amount after one heading line). Returns the files written;
// throws StatementError when the OFX file cannot be read.
QStringList writeOtherFormats(const QString& ofxPath);

// The lines written as "yyyymmdd cents #check description", one per item, for comparing.
QStringList summary(const Statement& statement);

} // namespace statement_files
