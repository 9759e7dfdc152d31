// CSV as banks export it: the delimiter (comma, semicolon or tab) and the encoding (UTF-8 or
// Windows-1252) are found from the file; the columns come from the mapping the clerk set for
// the account. Quoted fields may hold delimiters, doubled quotes and line breaks.

#include "statement.h"

#include "common.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
QString fromWindows1252(const QByteArray& data) {
    static const char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString text;
    text.reserve(data.size());
    for (const char c : data) {
        const auto b = static_cast<unsigned char>(c);
        text += b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b);
    }
    return text;
}

QString decode(const QByteArray& data) {
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

struct Row {
    QStringList fields;
    int line = 0;
};

QVector<Row> parse(const QString& text, QChar delimiter) {
    QVector<Row> rows;
    Row row;
    QString field;
    bool quoted = false;
    bool any = false;
    int line = 1;
    row.line = 1;
    auto endRow = [&] {
        if (any || !field.isEmpty() || !row.fields.isEmpty()) {
            row.fields << field;
            rows.push_back(row);
        }
        row = Row();
        field.clear();
        any = false;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty()) {
            field.clear();
            quoted = true;
            any = true;
        } else if (c == delimiter) {
            row.fields << field;
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\n')) {
            endRow();
            ++line;
            row.line = line;
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    endRow();
    return rows;
}

// The delimiter that splits the lines into the same number of fields, more than one, most
// often; of equals, the one giving more fields.
QChar detectDelimiter(const QString& text, int skip) {
    QChar best = QLatin1Char(',');
    int bestScore = -1;
    int bestFields = 0;
    for (const QChar candidate : {QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(',')}) {
        const QVector<Row> rows = parse(text, candidate);
        QHash<int, int> counts;
        for (int i = skip; i < rows.size() && i < skip + 50; ++i)
            counts[int(rows.at(i).fields.size())]++;
        int fields = 0, score = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.key() > 1 &&
                (it.value() > score || (it.value() == score && it.key() > fields))) {
                fields = it.key();
                score = it.value();
            }
        if (score > bestScore || (score == bestScore && fields > bestFields)) {
            best = candidate;
            bestScore = score;
            bestFields = fields;
        }
    }
    return best;
}

int readDate(const QString& text, const QString& order) {
    static const QRegularExpression parts(QStringLiteral("^(\\d{1,4})\\D(\\d{1,2})\\D(\\d{1,4})$"));
    static const QRegularExpression compact(QStringLiteral("^\\d{8}$"));
    int a = 0, b = 0, c = 0;
    const QString t = text.trimmed();
    if (const QRegularExpressionMatch m = parts.match(t); m.hasMatch()) {
        a = m.captured(1).toInt();
        b = m.captured(2).toInt();
        c = m.captured(3).toInt();
    } else if (compact.match(t).hasMatch()) {
        if (order == QLatin1String("YMD")) {
            a = t.left(4).toInt();
            b = t.mid(4, 2).toInt();
            c = t.mid(6, 2).toInt();
        } else {
            a = t.left(2).toInt();
            b = t.mid(2, 2).toInt();
            c = t.mid(4).toInt();
        }
    } else {
        return 0;
    }
    int year = 0, month = 0, day = 0;
    if (order == QLatin1String("YMD")) {
        year = a;
        month = b;
        day = c;
    } else if (order == QLatin1String("DMY")) {
        day = a;
        month = b;
        year = c;
    } else {
        month = a;
        day = b;
        year = c;
    }
    if (year < 100)
        year += 2000;
    return dateNumber(QDate(year, month, day));
}

} // namespace

Statement readCsv(const QString& path, const QByteArray& data, const CsvMapping& m) {
    const QString text = decode(data);
    const QVector<Row> rows = parse(text, detectDelimiter(text, m.skipLines));
    const int needed = std::max({m.dateColumn, m.amountColumn, m.debitColumn, m.creditColumn,
                                 m.checkColumn, m.descriptionColumn});
    Statement s;
    s.format = QStringLiteral("CSV");
    for (int r = m.skipLines; r < rows.size(); ++r) {
        const Row& row = rows.at(r);
        if (row.fields.size() == 1 && row.fields.first().trimmed().isEmpty())
            continue;
        if (row.fields.size() < needed)
            throw StatementError(
                path, row.line,
                ReadFault{QStringLiteral("the line has %1 columns, but the columns set for this "
                                         "account go up to %2."),
                          QStringLiteral("la línea tiene %1 columnas, pero las columnas fijadas "
                                         "para esta cuenta llegan hasta la %2.")}
                    .arg(row.fields.size())
                    .arg(needed));
        auto field = [&](int column) {
            return column > 0 ? row.fields.at(column - 1).trimmed() : QString();
        };
        StatementLine line;
        line.fileLine = row.line;
        line.date = readDate(field(m.dateColumn), m.dateOrder);
        if (line.date == 0)
            throw StatementError(
                path, row.line,
                ReadFault{QStringLiteral("\"%1\" in column %2 is not a date (%3)."),
                          QStringLiteral("\"%1\" en la columna %2 no es una fecha (%3).")}
                    .arg(field(m.dateColumn), QString::number(m.dateColumn), m.dateOrder));
        auto amount = [&](int column, bool* present) {
            const QString value = field(column);
            *present = !value.isEmpty();
            if (value.isEmpty())
                return 0.0;
            bool ok = false;
            const double v = parseAmount(value, m.decimalComma, &ok);
            if (!ok)
                throw StatementError(
                    path, row.line,
                    ReadFault{
                        QStringLiteral("the amount \"%1\" in column %2 cannot be read."),
                        QStringLiteral("el importe \"%1\" en la columna %2 no se puede leer.")}
                        .arg(value, QString::number(column)));
            return v;
        };
        bool present = false;
        if (m.amountColumn > 0) {
            line.amount = amount(m.amountColumn, &present);
        } else {
            bool credit = false, debit = false;
            line.amount =
                std::abs(amount(m.creditColumn, &credit)) - std::abs(amount(m.debitColumn, &debit));
            present = credit || debit;
        }
        if (!present)
            throw StatementError(path, row.line,
                                 ReadFault{QStringLiteral("the line has no amount."),
                                           QStringLiteral("la línea no tiene importe.")});
        static const QRegularExpression digits(QStringLiteral("^\\d+$"));
        const QString check = field(m.checkColumn);
        if (digits.match(check).hasMatch())
            line.check = check.toLongLong();
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
    return s;
}
