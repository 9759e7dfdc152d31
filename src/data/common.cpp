#include "common.h"

#include "clock.h"
#include "context.h"
#include "database.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QVarLengthArray>
#include <QVector>
#include <algorithm>
#include <charconv>
#include <cmath>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {

QString withoutTrailingSeparator(QString folder) {
    while (folder.size() > 1 &&
           (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

// ---------------------------------------------------------------------------------------
// Dates

int monthFromName(const QString& word) {
    // English and Spanish, full and short; the clerk may end a short name with a point.
    static const char* const names[12][6] = {
        {"january", "jan", "enero", "ene", nullptr, nullptr},
        {"february", "feb", "febrero", nullptr, nullptr, nullptr},
        {"march", "mar", "marzo", nullptr, nullptr, nullptr},
        {"april", "apr", "abril", "abr", nullptr, nullptr},
        {"may", "mayo", nullptr, nullptr, nullptr, nullptr},
        {"june", "jun", "junio", nullptr, nullptr, nullptr},
        {"july", "jul", "julio", nullptr, nullptr, nullptr},
        {"august", "aug", "agosto", "ago", nullptr, nullptr},
        {"september", "sep", "sept", "septiembre", "setiembre", "set"},
        {"october", "oct", "octubre", nullptr, nullptr, nullptr},
        {"november", "nov", "noviembre", nullptr, nullptr, nullptr},
        {"december", "dec", "diciembre", "dic", nullptr, nullptr},
    };
    const QString lower = word.toLower();
    for (int m = 0; m < 12; ++m)
        for (const char* name : names[m])
            if (name && lower == QLatin1String(name))
                return m + 1;
    return 0;
}

bool isFillerWord(const QString& word) {
    const QString lower = word.toLower();
    return lower == QLatin1String("de") || lower == QLatin1String("del") ||
           lower == QLatin1String("of");
}

// A year as typed: two digits are windowed (00-29 this century, 30-99 the last), four
// are taken as they stand; anything else is no year.
int fullYear(const QString& digits) {
    const int n = digits.toInt();
    if (digits.size() <= 2)
        return n < 30 ? 2000 + n : 1900 + n;
    if (digits.size() == 4 && n >= 1000)
        return n;
    return 0;
}

int dateNumber(int year, int month, int day) {
    if (year == 0 || !QDate(year, month, day).isValid())
        return 0;
    return year * 10000 + month * 100 + day;
}

// Whether the company's date format puts the day before the month (dd/mm, yyyy-dd-mm).
bool dayFirst() {
    const int format = shared().wrkDTEFMT;
    return format == 2 || format == 3 || format == 4;
}

// Day and month in the order the company writes them.
int dateInCompanyOrder(int year, int first, int second) {
    return dayFirst() ? dateNumber(year, second, first) : dateNumber(year, first, second);
}

} // namespace

QString fncPROGRAM_FOLDER() {
    const QString overridden = qEnvironmentVariable("TKV_PROGRAM_FOLDER");
    if (!overridden.isEmpty())
        return withoutTrailingSeparator(overridden);
    if (!QCoreApplication::instance())
        return withoutTrailingSeparator(QDir::toNativeSeparators(QDir::currentPath()));
    QString folder =
        withoutTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    // Run from the development environment, the executable sits in a folder below the
    // installation, where tkv.ini is.
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (exe.startsWith(QLatin1String("vbp"), Qt::CaseInsensitive)) {
        const int cut = folder.lastIndexOf(QDir::separator());
        if (cut > 0)
            folder = folder.left(cut);
    }
    return folder;
}

int fncDATE_TO_NUMBER(const QString& text) {
    QStringList numbers;
    int month = 0; // from a month name
    bool comma = false;
    const QString t = text.trimmed();
    for (int i = 0; i < t.size();) {
        const QChar c = t.at(i);
        int j = i;
        if (c.isDigit()) {
            while (j < t.size() && t.at(j).isDigit())
                ++j;
            if (j - i > 4)
                return 0;
            numbers << t.mid(i, j - i);
        } else if (c.isLetter()) {
            while (j < t.size() && t.at(j).isLetter())
                ++j;
            const QString word = t.mid(i, j - i);
            const int named = monthFromName(word);
            if (named != 0 && month == 0)
                month = named;
            else if (!isFillerWord(word))
                return 0;
        } else if (c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('-') ||
                   c == QLatin1Char('.') || c == QLatin1Char(',')) {
            comma = comma || c == QLatin1Char(',');
            j = i + 1;
        } else {
            return 0;
        }
        i = j;
    }

    const int thisYear = today().year();
    if (month != 0) {
        // "March 15, 2024", "15 marzo 2024", "Mar 2024", "March 15".
        if (numbers.size() == 1) {
            const QString& n = numbers.at(0);
            if (n.size() == 4)
                return dateNumber(fullYear(n), month, 1);
            return dateNumber(thisYear, month, n.toInt());
        }
        if (numbers.size() == 2) {
            const bool yearFirst = numbers.at(0).size() == 4 || numbers.at(0).toInt() > 31;
            const QString& day = numbers.at(yearFirst ? 1 : 0);
            const QString& year = numbers.at(yearFirst ? 0 : 1);
            return dateNumber(fullYear(year), month, day.toInt());
        }
        return 0;
    }

    if (comma)
        return 0;
    // Numbers alone are read in the order of the company's format, never guessed: a date
    // that is impossible that way is no date.
    if (numbers.size() == 2) {
        // Month and day of this year (in the company's order), or month and four-digit year.
        if (numbers.at(1).size() == 4)
            return dateNumber(fullYear(numbers.at(1)), numbers.at(0).toInt(), 1);
        return dateInCompanyOrder(thisYear, numbers.at(0).toInt(), numbers.at(1).toInt());
    }
    if (numbers.size() == 3) {
        if (numbers.at(0).size() == 4) // the year first: year-day-month in format 4
            return shared().wrkDTEFMT == 4
                       ? dateNumber(fullYear(numbers.at(0)), numbers.at(2).toInt(),
                                    numbers.at(1).toInt())
                       : dateNumber(fullYear(numbers.at(0)), numbers.at(1).toInt(),
                                    numbers.at(2).toInt());
        return dateInCompanyOrder(fullYear(numbers.at(2)), numbers.at(0).toInt(),
                                  numbers.at(1).toInt());
    }
    return 0;
}

int shortDateEntry(const QString& text, int lastDate) {
    for (const QChar c : text)
        if (!c.isDigit())
            return 0;
    const QString last = QString::number(lastDate);
    int day = 0, month = 0;
    QString year;
    switch (text.size()) {
    case 2:
        day = text.toInt();
        month = last.mid(4, 2).toInt();
        year = last.mid(2, 2);
        break;
    case 4:
    case 6: {
        const int first = text.mid(0, 2).toInt(), second = text.mid(2, 2).toInt();
        month = dayFirst() ? second : first;
        day = dayFirst() ? first : second;
        year = text.size() == 6 ? text.mid(4, 2) : last.mid(2, 2);
        break;
    }
    default:
        return 0;
    }
    // Before the first accepted date there is no month or year to complete from.
    if (year.size() != 2 || month == 0)
        return 0;
    return dateNumber(fullYear(year), month, day);
}

QString fncFORMAT_DATE(int date) {
    if (date == 0)
        return {};
    // By character positions of the stored number, as every other program of the suite.
    const QString t = QString::number(date);
    const QString yyyy = t.mid(0, 4), yy = t.mid(2, 2), mm = t.mid(4, 2), dd = t.mid(6, 2);
    const QString slash = QStringLiteral("/");
    switch (shared().wrkDTEFMT) {
    case 1:
        return mm + slash + dd + slash + yyyy;
    case 2:
        return dd + slash + mm + slash + yy;
    case 3:
        return dd + slash + mm + slash + yyyy;
    case 4:
        return yyyy + QLatin1Char('-') + dd + QLatin1Char('-') + mm;
    default:
        return mm + slash + dd + slash + yy;
    }
}

QString sqlNumber(double value) {
    if (value == 0.0)
        return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

QString plainNumber(double value) {
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return QString::number(value, 'g', 15);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString fourDecimals(double value) {
    const double rounded = std::round(value * 10000.0) / 10000.0;
    QString text = QString::number(rounded, 'f', 4);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

int dateNumber(const QDate& date) {
    return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

QDate numberDate(int yyyymmdd) {
    return QDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

int fncMONTH_END(const QString& text) {
    return monthEnd(fncDATE_TO_NUMBER(text));
}

int monthEnd(int yyyymmdd) {
    const QDate date = numberDate(yyyymmdd);
    return date.isValid() ? dateNumber(QDate(date.year(), date.month(), date.daysInMonth())) : 0;
}

int timeNumber(const QTime& time) {
    return time.isValid() ? time.hour() * 10000 + time.minute() * 100 + time.second() : 0;
}

int fncTIME_TO_NUMBER(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{1,2})(?::(\\d{1,2}))?(?::(\\d{1,2}))?\\s*(?:([AaPp])\\.?[Mm]\\.?)?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return 0;
    const QString marker = match.captured(4).toUpper();
    if (match.captured(2).isEmpty() && marker.isEmpty())
        return 0; // a bare number is no time
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const int second = match.captured(3).toInt();
    if (minute > 59 || second > 59 || hour > (marker.isEmpty() ? 23 : 12))
        return 0;
    if (marker == QLatin1String("P") && hour < 12)
        hour += 12;
    else if (marker == QLatin1String("A") && hour == 12)
        hour = 0;
    return hour * 10000 + minute * 100 + second;
}

QString fncFORMAT_TIME(int time) {
    if (time <= 0)
        return {};
    // Six digits show two for the hour, fewer show one (also 0 before one o'clock).
    const QString t = QString::number(time).rightJustified(5, QLatin1Char('0'));
    return t.left(t.size() - 4) + QLatin1Char(':') + t.mid(t.size() - 4, 2) + QLatin1Char(':') +
           t.right(2);
}

// ---------------------------------------------------------------------------------------
// Numbers

double fncFIELD_NUMBER(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return 0;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        QString text = value.toString().trimmed();
        text.remove(QLatin1Char(','));
        if (text.startsWith(QLatin1Char('$')))
            text.remove(0, 1);
        bool ok = false;
        const double n = QLocale::c().toDouble(text, &ok);
        return ok && std::isfinite(n) ? n : 0;
    }
    bool ok = false;
    const double n = value.toDouble(&ok);
    return ok && std::isfinite(n) ? n : 0;
}

double fncFIELD_NUMBER(const Recordset& rs, const QString& field) {
    try {
        return fncFIELD_NUMBER(rs.field(field));
    } catch (const DatabaseError&) {
        return 0; // no such column
    }
}

QString numberText(const QVariant& value) {
    if (value.isNull())
        return {};
    const double n = fncFIELD_NUMBER(value);
    if (n == std::floor(n) && std::fabs(n) < 1e15)
        return QString::number(qint64(n));
    return QString::number(n, 'g', 15);
}

double leadingNumber(const QString& text) {
    QString number;
    enum { Sign, Integer, Fraction, ExponentSign, Exponent } state = Sign;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            continue;
        const char a = c.toLatin1();
        if (state == Sign && (a == '-' || a == '+')) {
            number += c;
            state = Integer;
        } else if (a >= '0' && a <= '9') {
            number += c;
            if (state == Sign)
                state = Integer;
            else if (state == ExponentSign)
                state = Exponent;
        } else if (a == '.' && (state == Sign || state == Integer)) {
            number += c;
            state = Fraction;
        } else if ((a == 'e' || a == 'E' || a == 'd' || a == 'D') &&
                   (state == Integer || state == Fraction) &&
                   number.contains(QRegularExpression(QStringLiteral("\\d")))) {
            number += QLatin1Char('e');
            state = ExponentSign;
        } else if (state == ExponentSign && (a == '-' || a == '+') &&
                   number.endsWith(QLatin1Char('e'))) {
            number += c;
        } else {
            break;
        }
    }
    // An exponent without digits is no exponent ("1e" is 1).
    while (!number.isEmpty() && !number.back().isDigit() && number.back() != QLatin1Char('.'))
        number.chop(1);
    bool ok = false;
    const double n = QLocale::c().toDouble(number, &ok);
    return ok && std::isfinite(n) ? n : 0;
}

namespace {

// The decimal digits of a magnitude rounded half away from zero to `decimals` places.
// The value is first taken to 15 significant digits, so 2.675 (really 2.67499999...)
// rounds as the clerk wrote it, to 2.68.
struct Digits {
    QString integer;  // without leading zeros; "" for zero
    QString fraction; // exactly `decimals` digits
    bool zero = true;
};

Digits roundedDigits(double magnitude, int decimals) {
    // "d.dddddddddddddde+XX" in plain characters, without a QString per step: a listing
    // formats every row.
    char text[48];
    const char* end =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14).ptr;
    const char* e = std::find(static_cast<const char*>(text), end, 'e');
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    int point = exponent + 1; // digits before the decimal point
    QVarLengthArray<char, 64> digits;
    for (int i = point; i <= 0; ++i) // a magnitude below 1: zeros before its first digit
        digits.append('0');
    for (const char* c = text; c != e; ++c)
        if (*c != '.')
            digits.append(*c);
    point = std::max(point, 1);
    const int keep = point + decimals;
    while (digits.size() <= keep)
        digits.append('0');
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits.insert(digits.begin(), '1');
            ++point;
        }
    }
    Digits out;
    int first = 0;
    while (first < point && digits[first] == '0')
        ++first;
    out.integer = QString::fromLatin1(digits.data() + first, point - first);
    out.fraction = QString::fromLatin1(digits.data() + point, digits.size() - point);
    out.zero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
    return out;
}

struct MaskItem {
    enum Kind { Zero, Hash, Point, Comma, Literal } kind;
    QString text;
    bool placeholder() const { return kind == Zero || kind == Hash; }
};

// A mask split into its items; "\x" and "quoted text" are literals.
QVector<MaskItem> maskItems(const QString& mask) {
    QVector<MaskItem> items;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('\\') && i + 1 < mask.size()) {
            items.append(MaskItem{MaskItem::Literal, mask.mid(++i, 1)});
        } else if (c == QLatin1Char('"')) {
            const int end = mask.indexOf(QLatin1Char('"'), i + 1);
            const int stop = end < 0 ? mask.size() : end;
            items.append(MaskItem{MaskItem::Literal, mask.mid(i + 1, stop - i - 1)});
            i = stop;
        } else if (c == QLatin1Char('0')) {
            items.append(MaskItem{MaskItem::Zero, {}});
        } else if (c == QLatin1Char('#')) {
            items.append(MaskItem{MaskItem::Hash, {}});
        } else if (c == QLatin1Char('.')) {
            items.append(MaskItem{MaskItem::Point, QStringLiteral(".")});
        } else if (c == QLatin1Char(',')) {
            items.append(MaskItem{MaskItem::Comma, QStringLiteral(",")});
        } else {
            items.append(MaskItem{MaskItem::Literal, QString(c)});
        }
    }
    return items;
}

// One section of a numeric mask, read once: where its point is, how many decimals it
// shows, whether it groups thousands or shows a percentage, and which places are digits.
struct Section {
    QVector<MaskItem> items;
    int point = 0;
    bool percent = false;
    bool grouping = false;
    int decimals = 0;
    int leftmost = -1;  // the leftmost digit place, which takes every digit left over
    int shownFrom = -1; // digits are always shown from the first "0" on
    int placeholders = 0;
    QVector<bool> optional; // per decimal place: "#", not shown when a trailing zero
};

Section readSection(const QString& text) {
    Section s;
    s.items = maskItems(text);
    const QVector<MaskItem>& items = s.items;
    s.point = int(items.size());
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).kind == MaskItem::Point) {
            s.point = i;
            break;
        }
    for (int i = 0; i < items.size(); ++i) {
        const MaskItem& item = items.at(i);
        s.percent =
            s.percent || (item.kind == MaskItem::Literal && item.text.contains(QLatin1Char('%')));
        s.grouping = s.grouping || (item.kind == MaskItem::Comma && i < s.point);
        if (i > s.point && item.placeholder()) {
            ++s.decimals;
            s.optional.append(item.kind == MaskItem::Hash);
        }
    }
    for (int i = 0; i < s.point; ++i) {
        if (!items.at(i).placeholder())
            continue;
        if (s.leftmost < 0)
            s.leftmost = i;
        if (items.at(i).kind == MaskItem::Zero && s.shownFrom < 0)
            s.shownFrom = s.placeholders;
        ++s.placeholders;
    }
    return s;
}

// One section of a numeric mask applied to a magnitude (the sign is the caller's).
QString applySection(double magnitude, const Section& s, bool* nonzero) {
    const QVector<MaskItem>& items = s.items;
    const Digits d = roundedDigits(s.percent ? magnitude * 100 : magnitude, s.decimals);
    if (nonzero)
        *nonzero = !d.zero;

    // Integer part, right to left: the leftmost placeholder takes every digit left over.
    QString digits = d.integer;
    if (s.shownFrom >= 0)
        digits = digits.rightJustified(s.placeholders - s.shownFrom, QLatin1Char('0'));
    QString integer;
    int pos = int(digits.size());
    int emitted = 0;
    auto emitDigit = [&](QChar c) {
        if (s.grouping && emitted > 0 && emitted % 3 == 0)
            integer.prepend(QLatin1Char(','));
        integer.prepend(c);
        ++emitted;
    };
    for (int i = s.point - 1; i >= 0; --i) {
        const MaskItem& item = items.at(i);
        if (item.placeholder()) {
            if (i == s.leftmost)
                while (pos > 0)
                    emitDigit(digits.at(--pos));
            else if (pos > 0)
                emitDigit(digits.at(--pos));
        } else if (item.kind != MaskItem::Comma || !s.grouping) {
            integer.prepend(item.text);
        }
    }

    // Fraction part, left to right; trailing zeros of "#" places are not shown.
    int shown = s.decimals;
    while (shown > 0 && s.optional.at(shown - 1) && d.fraction.at(shown - 1) == QLatin1Char('0'))
        --shown;
    QString fraction;
    int index = 0;
    for (int i = s.point; i < items.size(); ++i) {
        const MaskItem& item = items.at(i);
        if (item.placeholder()) {
            if (index < shown)
                fraction += d.fraction.at(index);
            ++index;
        } else {
            fraction += item.text;
        }
    }
    return integer + fraction;
}

QString generalNumber(double value) {
    return QString::number(value, 'g', 15);
}

bool isTextMask(const QString& mask) {
    return mask.contains(QLatin1Char('@')) || mask.contains(QLatin1Char('&'));
}

// Splits "pos;neg;zero" outside quotes and escapes.
QStringList maskSections(const QString& mask) {
    QStringList sections(QString{});
    bool quoted = false;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('\\') && !quoted && i + 1 < mask.size()) {
            sections.last() += c;
            sections.last() += mask.at(++i);
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(';') && !quoted)
            sections.append(QString{});
        else
            sections.last() += c;
    }
    return sections;
}

// The sections of a numeric mask, read once per thread: a listing formats the same few
// masks for every row.
const QVector<Section>& numericMask(const QString& mask) {
    thread_local QHash<QString, QVector<Section>> read;
    auto it = read.constFind(mask);
    if (it == read.cend()) {
        if (read.size() >= 256) // masks built from data must not grow it without end
            read.clear();
        QVector<Section> sections;
        for (const QString& text : maskSections(mask))
            sections.append(readSection(text));
        it = read.insert(mask, sections);
    }
    return *it;
}

} // namespace

QString formatNumber(double value, const QString& mask) {
    if (!std::isfinite(value))
        return generalNumber(value);
    const QString named = mask.trimmed().toLower();
    if (named == QLatin1String("currency"))
        return formatNumber(value, QStringLiteral("$#,##0.00"));
    if (named == QLatin1String("fixed"))
        return formatNumber(value, QStringLiteral("0.00"));
    if (named == QLatin1String("standard"))
        return formatNumber(value, QStringLiteral("#,##0.00"));
    if (named == QLatin1String("percent"))
        return formatNumber(value, QStringLiteral("0.00%"));
    if (mask.isEmpty() || named == QLatin1String("general number"))
        return generalNumber(value);
    if (isTextMask(mask))
        return formatText(generalNumber(value), mask);

    const QVector<Section>& sections = numericMask(mask);
    if (value < 0 && sections.size() >= 2 && !sections.at(1).items.isEmpty())
        return applySection(-value, sections.at(1), nullptr);
    if (value == 0 && sections.size() >= 3 && !sections.at(2).items.isEmpty())
        return applySection(0, sections.at(2), nullptr);
    bool nonzero = false;
    const QString text = applySection(std::fabs(value), sections.at(0), &nonzero);
    // A value that rounds to nothing shows no sign.
    return value < 0 && nonzero ? QLatin1Char('-') + text : text;
}

QString formatText(const QString& text, const QString& mask) {
    if (!isTextMask(mask)) {
        if (mask.isEmpty())
            return text;
        bool ok = false;
        const double n = QLocale::c().toDouble(text.trimmed(), &ok);
        return ok ? formatNumber(n, mask) : text;
    }
    // Filled from the right; the leftmost place takes whatever text is left over.
    const QVector<MaskItem> items = maskItems(mask);
    int leftmost = -1;
    for (int i = 0; i < items.size() && leftmost < 0; ++i)
        if (items.at(i).kind == MaskItem::Literal &&
            (items.at(i).text == QLatin1String("@") || items.at(i).text == QLatin1String("&")))
            leftmost = i;
    QString out;
    int pos = int(text.size());
    for (int i = int(items.size()) - 1; i >= 0; --i) {
        const MaskItem& item = items.at(i);
        const bool blank = item.kind == MaskItem::Literal && item.text == QLatin1String("@");
        const bool optional = item.kind == MaskItem::Literal && item.text == QLatin1String("&");
        if (!blank && !optional) {
            out.prepend(item.text);
        } else if (i == leftmost && pos > 0) {
            out.prepend(text.left(pos));
            pos = 0;
        } else if (pos > 0) {
            out.prepend(text.at(--pos));
        } else if (blank) {
            out.prepend(QLatin1Char(' '));
        }
    }
    return out;
}

QString fncFORMAT_RIGHT(double value, const QString& mask) {
    return formatText(formatNumber(value, mask), QString(mask.size(), QLatin1Char('@')));
}

// ---------------------------------------------------------------------------------------
// Default printer

#ifdef Q_OS_WIN

QString defaultPrinterEntry() {
    char buffer[256] = {};
    GetProfileStringA("windows", "device", "", buffer, 255);
    return QString::fromLocal8Bit(buffer);
}

int fncSET_DEFAULT_PRINTER(const QString& entry) {
    const QByteArray bytes = entry.toLocal8Bit();
    const BOOL written = WriteProfileStringA("windows", "device", bytes.constData());
    // Tell every window; one that hangs must not hang the program.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows"),
                        SMTO_ABORTIFHUNG, 1000, &result);
    return written ? 1 : 0;
}

#else

namespace {

// Runs one printer-system tool; false when it is missing, fails or takes too long.
bool runPrinterTool(const QString& program, const QStringList& arguments, QString* output) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(2000))
        return false;
    process.closeWriteChannel();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

QString defaultPrinterEntry() {
    // "system default destination: NAME" (or "no system default destination").
    QString output;
    if (!runPrinterTool(QStringLiteral("lpstat"), {QStringLiteral("-d")}, &output))
        return {};
    static const QString prefix = QStringLiteral("system default destination:");
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const QString& line : lines)
        if (line.trimmed().startsWith(prefix))
            return line.trimmed().mid(prefix.size()).trimmed();
    return {};
}

int fncSET_DEFAULT_PRINTER(const QString& entry) {
    const QString name = entry.section(QLatin1Char(','), 0, 0).trimmed();
    if (name.isEmpty())
        return 0;
    return runPrinterTool(QStringLiteral("lpoptions"), {QStringLiteral("-d"), name}, nullptr) ? 1
                                                                                              : 0;
}

#endif

QString fncGET_DEFAULT_PRINTER() {
    return defaultPrinterEntry().section(QLatin1Char(','), 0, 0);
}
