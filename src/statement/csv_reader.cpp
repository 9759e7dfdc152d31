// CSV as banks export it: the delimiter (comma, semicolon or tab) and the encoding (UTF-8 or
// Windows-1252) are found from the file; the columns come from the mapping the clerk set for
// the account. Quoted fields may hold delimiters, doubled quotes and line breaks.

#include "statement.h"

#include "common.h"

#include <QDate>
#include <QRegularExpression>

using namespace statement_text;

namespace {

// Reads rows one at a time, so a large file is never held twice.
class CsvRows {
public:
    CsvRows(const QString& text, QChar delimiter) : m_text(text), m_delimiter(delimiter) {}

    // The next row into *fields and its first line into *line; false at the end. A quote that
    // never closes is refused with the line it opens on.
    bool next(QStringList* fields, int* line, const QString& path) {
        fields->clear();
        while (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('\n')) {
            ++m_pos;
            ++m_line;
        }
        if (m_pos >= m_text.size())
            return false;
        *line = m_line;
        QString field;
        bool quoted = false;
        int quoteLine = 0;
        for (; m_pos < m_text.size(); ++m_pos) {
            const QChar c = m_text.at(m_pos);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == QLatin1Char('"')) {
                        field += c;
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    field += c;
                }
            } else if (c == QLatin1Char('"') && field.trimmed().isEmpty()) {
                field.clear();
                quoted = true;
                quoteLine = m_line;
            } else if (c == m_delimiter) {
                *fields << field;
                field.clear();
            } else if (c == QLatin1Char('\n')) {
                break;
            } else {
                field += c;
            }
        }
        if (quoted && !path.isNull())
            throw StatementError(
                path, quoteLine,
                ReadFault{QStringLiteral("a quoted field opens here and is never closed."),
                          QStringLiteral("un campo entre comillas se abre aquí y nunca se "
                                         "cierra.")});
        *fields << field;
        return true;
    }

private:
    const QString& m_text;
    QChar m_delimiter;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// The delimiter that splits the first lines into the same number of fields, more than one,
// most often; of equals, the one giving more fields.
QChar detectDelimiter(const QString& text, int skip) {
    QChar best = QLatin1Char(',');
    int bestScore = -1;
    qsizetype bestFields = 0;
    for (const QChar candidate : {QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(',')}) {
        CsvRows rows(text, candidate);
        QHash<qsizetype, int> counts;
        QStringList fields;
        int line = 0;
        for (int i = 0; i < skip + 50 && rows.next(&fields, &line, QString()); ++i)
            if (i >= skip)
                counts[fields.size()]++;
        qsizetype fieldCount = 0;
        int score = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.key() > 1 &&
                (it.value() > score || (it.value() == score && it.key() > fieldCount))) {
                fieldCount = it.key();
                score = it.value();
            }
        if (score > bestScore || (score == bestScore && fieldCount > bestFields)) {
            best = candidate;
            bestScore = score;
            bestFields = fieldCount;
        }
    }
    return best;
}

// A date in the mapping's order: parts parted by any one non-digit, the year of two or four
// digits; or eight digits in a row.
int readDate(const QString& text, const QString& order) {
    static const QRegularExpression parts(
        QStringLiteral("^(\\d{1,4})[^\\d](\\d{1,2})[^\\d](\\d{1,4})$"));
    static const QRegularExpression compact(QStringLiteral("^\\d{8}$"));
    QString a, b, c;
    const QString t = text.trimmed();
    if (const QRegularExpressionMatch m = parts.match(t); m.hasMatch()) {
        a = m.captured(1);
        b = m.captured(2);
        c = m.captured(3);
    } else if (compact.match(t).hasMatch()) {
        const bool yearFirst = order == QLatin1String("YMD");
        a = t.left(yearFirst ? 4 : 2);
        b = t.mid(yearFirst ? 4 : 2, 2);
        c = t.mid(yearFirst ? 6 : 4);
    } else {
        return 0;
    }
    const QString& year = order == QLatin1String("YMD") ? a : c;
    const QString& month = order == QLatin1String("DMY")   ? b
                           : order == QLatin1String("YMD") ? b
                                                           : a;
    const QString& day = order == QLatin1String("DMY") ? a : order == QLatin1String("YMD") ? c : b;
    if ((year.size() != 2 && year.size() != 4) || day.size() > 2 || month.size() > 2)
        return 0;
    return calendarDate(year.size() == 2 ? 2000 + year.toInt() : year.toInt(), month.toInt(),
                        day.toInt());
}

} // namespace

StatementFile readCsv(const QString& path, const QByteArray& data, const CsvMapping& m) {
    const QString text = decode(data);
    CsvRows rows(text, detectDelimiter(text, m.skipLines));
    const qsizetype needed = std::max({m.dateColumn, m.amountColumn, m.debitColumn, m.creditColumn,
                                       m.checkColumn, m.descriptionColumn});
    Statement s;
    s.format = QStringLiteral("CSV");
    s.fileLine = 1;
    QStringList fields;
    int lineNumber = 0;
    qsizetype columns = -1; // the header's, else the first item's
    for (int r = 0; rows.next(&fields, &lineNumber, path); ++r) {
        if (r < m.skipLines) {
            if (r == m.skipLines - 1)
                columns = fields.size();
            continue;
        }
        if (fields.size() == 1 && fields.first().trimmed().isEmpty())
            continue;
        if (columns < 0)
            columns = fields.size();
        if (fields.size() != columns)
            throw StatementError(
                path, lineNumber,
                ReadFault{QStringLiteral("the line has %1 columns, but the file's first line has "
                                         "%2; a delimiter or a quote may be out of place."),
                          QStringLiteral("la línea tiene %1 columnas, pero la primera línea del "
                                         "archivo tiene %2; puede haber un separador o unas "
                                         "comillas fuera de lugar.")}
                    .arg(fields.size())
                    .arg(columns));
        if (fields.size() < needed)
            throw StatementError(
                path, lineNumber,
                ReadFault{QStringLiteral("the line has %1 columns, but the columns set for this "
                                         "account go up to %2."),
                          QStringLiteral("la línea tiene %1 columnas, pero las columnas fijadas "
                                         "para esta cuenta llegan hasta la %2.")}
                    .arg(fields.size())
                    .arg(needed));
        auto field = [&](int column) {
            return column > 0 ? fields.at(column - 1).trimmed() : QString();
        };
        StatementLine line;
        line.fileLine = lineNumber;
        line.date = readDate(field(m.dateColumn), m.dateOrder);
        if (line.date == 0)
            throw StatementError(
                path, lineNumber,
                ReadFault{QStringLiteral("\"%1\" in column %2 is not a date of the calendar (%3)."),
                          QStringLiteral("\"%1\" en la columna %2 no es una fecha del calendario "
                                         "(%3).")}
                    .arg(quoted(field(m.dateColumn)), QString::number(m.dateColumn), m.dateOrder));
        // Debit and credit columns hold magnitudes: a sign there could mean either.
        auto amount = [&](int column, bool magnitude, bool* present) -> Cents {
            const QString value = field(column);
            *present = !value.isEmpty();
            if (value.isEmpty())
                return 0;
            MoneyForm form;
            form.decimal = m.decimalComma ? MoneyForm::Decimal::Comma : MoneyForm::Decimal::Point;
            form.signs = !magnitude;
            const MoneyRead read = readMoney(value, form);
            if (!read.ok) {
                const ReadFault fault = amountFault(value, read.fault);
                const ReadFault signed_{QStringLiteral(" A debit or credit column holds the "
                                                       "amount without a sign."),
                                        QStringLiteral(" Una columna de cargo o abono lleva el "
                                                       "importe sin signo.")};
                throw StatementError(
                    path, lineNumber,
                    ReadFault{QStringLiteral("column %1: ").arg(column) + fault.english +
                                  (magnitude ? signed_.english : QString()),
                              QStringLiteral("columna %1: ").arg(column) + fault.spanish +
                                  (magnitude ? signed_.spanish : QString())});
            }
            return read.cents;
        };
        bool present = false;
        if (m.amountColumn > 0) {
            line.cents = amount(m.amountColumn, false, &present);
        } else {
            bool credit = false, debit = false;
            const Cents in = amount(m.creditColumn, true, &credit);
            const Cents out = amount(m.debitColumn, true, &debit);
            if (in != 0 && out != 0)
                throw StatementError(
                    path, lineNumber,
                    ReadFault{QStringLiteral("the line has both a debit and a credit."),
                              QStringLiteral("la línea tiene a la vez un cargo y un abono.")});
            line.cents = in - out;
            present = credit || debit;
        }
        if (!present)
            throw StatementError(path, lineNumber,
                                 ReadFault{QStringLiteral("the line has no amount."),
                                           QStringLiteral("la línea no tiene importe.")});
        const MoneyRead check = readCentsDigits(field(m.checkColumn), false);
        if (check.ok)
            line.check = check.cents;
        line.description = field(m.descriptionColumn);
        s.lines.push_back(line);
    }
    if (s.lines.isEmpty())
        throw StatementError(path, 0,
                             ReadFault{QStringLiteral("the file holds no items."),
                                       QStringLiteral("el archivo no contiene partidas.")});
    for (const StatementLine& l : std::as_const(s.lines)) {
        s.periodStart = s.periodStart == 0 ? l.date : std::min(s.periodStart, l.date);
        s.periodEnd = std::max(s.periodEnd, l.date);
    }
    StatementFile file;
    file.format = s.format;
    file.statements.push_back(s);
    return file;
}
