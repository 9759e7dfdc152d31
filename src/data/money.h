#pragma once

#include <QString>
#include <QStringView>

// Money as the program keeps it: whole cents in a 64-bit integer, so an amount read from a
// file or typed by the clerk is never rounded, and sums of many lines stay exact.

using Cents = qint64;

// An amount in currency units rounded to the nearest cent, halves away from zero.
Cents roundToCents(double amount);
// Cents as currency units, for the places that still compute in doubles.
inline double centsToUnits(Cents cents) {
    return double(cents) / 100.0;
}
// An amount rounded to the cent and kept in currency units: a sum of many lines stays as the
// lines print.
inline double roundedToCents(double amount) {
    return centsToUnits(roundToCents(amount));
}
// Adds without wrapping round: false, and *total unchanged, when the sum would not fit.
bool addCents(Cents* total, Cents value);
// "-1234.56": the sign, the digits and a point, as the command line and messages print it.
QString centsText(Cents cents);

// Which money forms a reader accepts. The default is money as a clerk or a bank's export
// writes it: "$1,234.56", "-12.5", "(12.50)", "12.50-", "+5".
struct MoneyForm {
    enum class Decimal { Point, Comma, Either };
    Decimal decimal = Decimal::Point; // Either: the text tells, or it is refused
    bool signs = true;                // +, -, parentheses, trailing minus
    bool currencySign = true;         // $, € or £ before the digits
    bool thousands = true;            // separators between groups of three digits
};

// Why a text is not money.
enum class MoneyFault {
    None,
    Empty,
    NotMoney,      // letters, blanks inside, signs or separators out of place
    Ambiguous,     // "1,234" where the comma could be either separator
    Grouping,      // thousands separators not between groups of three digits
    Decimals,      // a decimal separator not followed by one or two digits
    TooManyDigits, // more than 18 digits, or beyond what cents can hold
};

struct MoneyRead {
    bool ok = false;
    Cents cents = 0;
    MoneyFault fault = MoneyFault::Empty;
};

// Reads one amount exactly, or says why it cannot. Never returns 0 for a text it could not
// read, never drops a digit.
MoneyRead readMoney(QStringView text, const MoneyForm& form = {});

// Whole cents written as digits only ("70066"), with a sign where allowed; at most 18 digits.
MoneyRead readCentsDigits(QStringView text, bool signAllowed);

// What the fault means, in the clerk's language, as the end of a sentence about an amount
// ("... cannot be read: <this>").
QString moneyFaultText(MoneyFault fault, bool spanish);

// An amount as the clerk writes money, for the windows: true in *ok when the text is one.
double parseAmount(const QString& text, bool decimalComma, bool* ok);
