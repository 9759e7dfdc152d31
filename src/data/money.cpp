#include "money.h"

#include <QVarLengthArray>
#include <cmath>
#include <limits>

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isCurrencySign(QChar c) {
    return c == QLatin1Char('$') || c == QChar(0x20AC) || c == QChar(0x00A3);
}

bool isSeparator(QChar c) {
    return c == QLatin1Char('.') || c == QLatin1Char(',');
}

MoneyRead refused(MoneyFault fault) {
    return MoneyRead{false, 0, fault};
}

constexpr int kMaxDigits = 18;
constexpr Cents kCentsLimit = 1'000'000'000'000'000'000; // 10^18: eighteen digits of cents

// The digits of the body, as integer digits and one or two decimals, with the separators
// named; everything about the shape is checked here.
MoneyRead readBody(QStringView body, const MoneyForm& form) {
    QVarLengthArray<QStringView, 8> groups;
    QVarLengthArray<QChar, 8> separators;
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (isSeparator(body.at(i))) {
            groups.push_back(body.mid(start, i - start));
            separators.push_back(body.at(i));
            start = i + 1;
        }
    }
    groups.push_back(body.mid(start));

    // Which separator is the decimal one.
    QChar decimal = QLatin1Char('.');
    if (form.decimal == MoneyForm::Decimal::Comma) {
        decimal = QLatin1Char(',');
    } else if (form.decimal == MoneyForm::Decimal::Either && !separators.isEmpty()) {
        const QChar last = separators.back();
        const auto lastCount = std::count(separators.begin(), separators.end(), last);
        if (lastCount < separators.size()) {
            decimal = last; // "1.234,56": the last kind is the decimal one
        } else if (lastCount > 1) {
            decimal = last == QLatin1Char('.') ? QLatin1Char(',') : QLatin1Char('.');
        } else {
            // One separator only: one or two digits after it make it decimal, three could be
            // either.
            if (groups.back().size() == 3 && !groups.front().isEmpty())
                return refused(MoneyFault::Ambiguous);
            decimal = last;
        }
    }

    QStringView decimals;
    bool hasDecimal = false;
    for (qsizetype k = 0; k < separators.size(); ++k) {
        if (separators.at(k) != decimal)
            continue;
        if (k != separators.size() - 1)
            return refused(MoneyFault::NotMoney); // a decimal separator before another
        hasDecimal = true;
        decimals = groups.back();
    }
    if (hasDecimal && (decimals.isEmpty() || decimals.size() > 2))
        return refused(MoneyFault::Decimals);
    const qsizetype integerGroups = groups.size() - (hasDecimal ? 1 : 0);
    if (integerGroups > 1) {
        if (!form.thousands)
            return refused(MoneyFault::NotMoney);
        if (groups.front().isEmpty() || groups.front().size() > 3)
            return refused(MoneyFault::Grouping);
        for (qsizetype k = 1; k < integerGroups; ++k)
            if (groups.at(k).size() != 3)
                return refused(MoneyFault::Grouping);
    }
    if (groups.front().isEmpty() && !(hasDecimal && integerGroups == 1))
        return refused(MoneyFault::NotMoney);

    int digits = 0;
    Cents whole = 0;
    for (qsizetype k = 0; k < integerGroups; ++k) {
        for (const QChar c : groups.at(k)) {
            if (digits > 0 || c != QLatin1Char('0'))
                ++digits;
            if (digits > kMaxDigits)
                return refused(MoneyFault::TooManyDigits);
            whole = whole * 10 + (c.unicode() - '0');
        }
    }
    if (digits + int(decimals.size()) > kMaxDigits || whole >= kCentsLimit / 100)
        return refused(MoneyFault::TooManyDigits);
    Cents fraction = 0;
    for (const QChar c : decimals)
        fraction = fraction * 10 + (c.unicode() - '0');
    if (decimals.size() == 1)
        fraction *= 10;
    return MoneyRead{true, whole * 100 + fraction, MoneyFault::None};
}

} // namespace

Cents roundToCents(double amount) {
    return std::llround(amount * 100.0);
}

bool addCents(Cents* total, Cents value) {
    if ((value > 0 && *total > std::numeric_limits<Cents>::max() - value) ||
        (value < 0 && *total < std::numeric_limits<Cents>::min() - value))
        return false;
    *total += value;
    return true;
}

QString centsText(Cents cents) {
    const quint64 magnitude = cents < 0 ? 0 - quint64(cents) : quint64(cents);
    return QStringLiteral("%1%2.%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

MoneyRead readMoney(QStringView text, const MoneyForm& form) {
    const QStringView s = text.trimmed();
    if (s.isEmpty())
        return refused(MoneyFault::Empty);
    const qsizetype n = s.size();
    qsizetype i = 0;
    bool parentheses = false, leading = false, trailing = false, currency = false;
    bool negative = false;
    if (s.at(i) == QLatin1Char('(')) {
        parentheses = true;
        ++i;
    }
    if (i < n && isCurrencySign(s.at(i))) {
        currency = true;
        ++i;
    }
    if (i < n && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+'))) {
        leading = true;
        negative = s.at(i) == QLatin1Char('-');
        ++i;
    }
    if (!currency && i < n && isCurrencySign(s.at(i))) {
        currency = true;
        ++i;
    }
    const qsizetype bodyStart = i;
    while (i < n && (isDigit(s.at(i)) || isSeparator(s.at(i))))
        ++i;
    const QStringView body = s.mid(bodyStart, i - bodyStart);
    if (i < n && s.at(i) == QLatin1Char('-')) {
        trailing = true;
        ++i;
    }
    if (parentheses) {
        if (i < n && s.at(i) == QLatin1Char(')'))
            ++i;
        else
            return refused(MoneyFault::NotMoney);
    }
    const int signForms = int(parentheses) + int(leading) + int(trailing);
    if (i != n || body.isEmpty() || signForms > 1 || (signForms > 0 && !form.signs) ||
        (currency && !form.currencySign))
        return refused(MoneyFault::NotMoney);
    MoneyRead read = readBody(body, form);
    if (read.ok && (negative || parentheses || trailing))
        read.cents = -read.cents;
    return read;
}

MoneyRead readCentsDigits(QStringView text, bool signAllowed) {
    if (text.isEmpty())
        return refused(MoneyFault::Empty);
    qsizetype i = 0;
    bool negative = false;
    if (signAllowed && (text.at(0) == QLatin1Char('-') || text.at(0) == QLatin1Char('+'))) {
        negative = text.at(0) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return refused(MoneyFault::NotMoney);
    if (text.size() - i > kMaxDigits)
        return refused(MoneyFault::TooManyDigits);
    Cents cents = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text.at(i)))
            return refused(MoneyFault::NotMoney);
        cents = cents * 10 + (text.at(i).unicode() - '0');
    }
    return MoneyRead{true, negative ? -cents : cents, MoneyFault::None};
}

QString moneyFaultText(MoneyFault fault, bool spanish) {
    switch (fault) {
    case MoneyFault::None:
        return {};
    case MoneyFault::Empty:
        return spanish ? QStringLiteral("está vacío") : QStringLiteral("it is empty");
    case MoneyFault::Ambiguous:
        return spanish ? QStringLiteral("se lee de dos maneras; el separador puede ser de "
                                        "miles o decimal")
                       : QStringLiteral("it reads two ways; the separator could be the "
                                        "thousands or the decimal one");
    case MoneyFault::Grouping:
        return spanish ? QStringLiteral("los separadores de miles no separan grupos de tres "
                                        "cifras")
                       : QStringLiteral("its thousands separators do not part groups of three "
                                        "digits");
    case MoneyFault::Decimals:
        return spanish ? QStringLiteral("se esperan una o dos cifras tras el separador decimal")
                       : QStringLiteral("one or two digits are expected after the decimal "
                                        "separator");
    case MoneyFault::TooManyDigits:
        return spanish ? QStringLiteral("tiene más de 18 cifras")
                       : QStringLiteral("it has more than 18 digits");
    case MoneyFault::NotMoney:
        break;
    }
    return spanish ? QStringLiteral("se espera un importe como 1234.56, -12.50 o (12.50)")
                   : QStringLiteral("an amount such as 1234.56, -12.50 or (12.50) is expected");
}

double parseAmount(const QString& text, bool decimalComma, bool* ok) {
    MoneyForm form;
    form.decimal = decimalComma ? MoneyForm::Decimal::Comma : MoneyForm::Decimal::Point;
    const MoneyRead read = readMoney(text, form);
    *ok = read.ok;
    return read.ok ? centsToUnits(read.cents) : 0.0;
}
