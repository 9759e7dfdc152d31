// BAI2 prior-day files: comma-separated records with a type code in front (01 file, 02 group,
// 03 account, 16 item, 88 continuation, 49/98/99 trailers), amounts in cents. Items carry no
// date of their own: they are booked on the group's as-of date.

#include "statement.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

struct Record {
    QString type;
    QStringList fields; // after the type code
    int line = 0;
};

int dateOfYymmdd(const QString& text) {
    static const QRegularExpression six(QStringLiteral("^\\d{6}$"));
    if (!six.match(text).hasMatch())
        return 0;
    return 20000000 + text.toInt();
}

class Bai2Reader {
public:
    Bai2Reader(const QString& path, const QByteArray& data) : m_path(path), m_data(data) {}

    Statement read() {
        const QVector<Record> records = logicalRecords();
        int physical = 0;
        bool ended = false;
        bool inAccount = false;
        bool accountDone = false;
        int asOf = 0;
        QString groupCurrency;
        for (const Record& r : records) {
            physical += 1 + int(r.fields.count(QStringLiteral("\x1f")));
            if (r.type == QLatin1String("02")) {
                asOf = dateOfYymmdd(r.fields.value(3));
                if (asOf == 0)
                    throw StatementError(
                        m_path, r.line,
                        ReadFault{QStringLiteral("the as-of date \"%1\" cannot be read."),
                                  QStringLiteral("la fecha de corte \"%1\" no se puede leer.")}
                            .arg(r.fields.value(3)));
                groupCurrency = r.fields.value(5);
            } else if (r.type == QLatin1String("03")) {
                inAccount = !accountDone;
                if (inAccount)
                    readAccount(r, groupCurrency, asOf);
            } else if (r.type == QLatin1String("16")) {
                if (inAccount)
                    readItem(r, asOf);
            } else if (r.type == QLatin1String("49")) {
                if (inAccount)
                    accountDone = true;
                inAccount = false;
            } else if (r.type == QLatin1String("99")) {
                ended = true;
                // The record count tells a file that lost lines in the middle.
                bool ok = false;
                const int count = r.fields.value(2).toInt(&ok);
                if (ok && count != physical)
                    throw StatementError(
                        m_path, r.line,
                        ReadFault{
                            QStringLiteral(
                                "the file says it has %1 records but holds %2; lines are missing."),
                            QStringLiteral(
                                "el archivo dice tener %1 registros pero tiene %2; faltan líneas.")}
                            .arg(count)
                            .arg(physical));
                break;
            } else if (r.type != QLatin1String("01") && r.type != QLatin1String("98")) {
                throw StatementError(
                    m_path, r.line,
                    ReadFault{
                        QStringLiteral("\"%1\" is not a record type of a BAI2 file."),
                        QStringLiteral("\"%1\" no es un tipo de registro de un archivo BAI2.")}
                        .arg(r.type));
            }
        }
        if (!ended)
            throw StatementError(m_path, records.isEmpty() ? 0 : records.last().line,
                                 ReadFault{QStringLiteral("the file ends before its closing record "
                                                          "(99); it may have been cut short."),
                                           QStringLiteral("el archivo termina antes de su registro "
                                                          "de cierre (99); puede estar cortado.")});
        if (!accountDone && !inAccount)
            throw StatementError(
                m_path, 0,
                ReadFault{QStringLiteral("the file holds no account."),
                          QStringLiteral("el archivo no contiene ninguna cuenta.")});
        m_s.format = QStringLiteral("BAI2");
        m_s.periodStart = m_s.periodEnd = asOf;
        return m_s;
    }

private:
    // The physical lines with each 88 continuation joined to the record it continues; the
    // join is marked so an item's text gets a blank there.
    QVector<Record> logicalRecords() {
        QVector<Record> records;
        const QList<QByteArray> lines = m_data.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            QString text = QString::fromLatin1(lines.at(i)).trimmed();
            if (text.isEmpty())
                continue;
            const QString type = text.section(QLatin1Char(','), 0, 0);
            QString rest = text.section(QLatin1Char(','), 1);
            if (type == QLatin1String("88")) {
                if (records.isEmpty())
                    throw StatementError(
                        m_path, i + 1,
                        ReadFault{
                            QStringLiteral("a continuation record (88) continues nothing."),
                            QStringLiteral("un registro de continuación (88) no continúa nada.")});
                Record& previous = records.last();
                if (previous.type != QLatin1String("16") && rest.endsWith(QLatin1Char('/')))
                    rest.chop(1);
                previous.fields << QStringLiteral("\x1f");
                previous.fields << rest.split(QLatin1Char(','));
                continue;
            }
            static const QRegularExpression code(QStringLiteral("^\\d{2}$"));
            if (!code.match(type).hasMatch())
                throw StatementError(
                    m_path, i + 1,
                    ReadFault{QStringLiteral("this is not a record of a BAI2 file."),
                              QStringLiteral("esto no es un registro de un archivo BAI2.")});
            // A record ends at its slash; an item's text runs to the end of the line.
            if (type != QLatin1String("16") && rest.endsWith(QLatin1Char('/')))
                rest.chop(1);
            Record r;
            r.type = type;
            r.fields = rest.split(QLatin1Char(','));
            r.line = i + 1;
            records.push_back(r);
        }
        return records;
    }

    double cents(const QString& text, int line) {
        static const QRegularExpression digits(QStringLiteral("^[+-]?\\d+$"));
        if (!digits.match(text).hasMatch())
            throw StatementError(m_path, line,
                                 ReadFault{QStringLiteral("the amount \"%1\" cannot be read."),
                                           QStringLiteral("el importe \"%1\" no se puede leer.")}
                                     .arg(text));
        return text.toLongLong() / 100.0;
    }

    // Fields with the continuation marks taken out.
    static QStringList plain(const QStringList& fields) {
        QStringList out;
        for (const QString& f : fields)
            if (f != QLatin1String("\x1f"))
                out << f;
        return out;
    }

    void readAccount(const Record& r, const QString& groupCurrency, int asOf) {
        const QStringList f = plain(r.fields);
        m_s.account = f.value(0).trimmed();
        m_s.currency = f.value(1).isEmpty() ? groupCurrency : f.value(1);
        if (m_s.currency.isEmpty())
            m_s.currency = QStringLiteral("USD"); // the format's default
        // Summaries: type code, amount, item count, funds type, repeated.
        for (int i = 2; i + 1 < f.size(); i += 4) {
            const QString type = f.at(i);
            if (f.at(i + 1).isEmpty())
                continue;
            if (type == QLatin1String("010")) {
                m_s.hasOpening = true;
                m_s.opening = cents(f.at(i + 1), r.line);
            } else if (type == QLatin1String("015")) {
                m_s.hasClosing = true;
                m_s.closing = cents(f.at(i + 1), r.line);
                m_s.closingDate = asOf;
            }
        }
    }

    void readItem(const Record& r, int asOf) {
        const QStringList& f = r.fields;
        int i = 0;
        auto next = [&]() -> QString {
            while (i < f.size() && f.at(i) == QLatin1String("\x1f"))
                ++i;
            return i < f.size() ? f.at(i++) : QString();
        };
        const QString typeText = next();
        bool ok = false;
        const int type = typeText.toInt(&ok);
        if (!ok)
            throw StatementError(
                m_path, r.line,
                ReadFault{QStringLiteral("the type code \"%1\" cannot be read."),
                          QStringLiteral("el código de tipo \"%1\" no se puede leer.")}
                    .arg(typeText));
        const double amount = cents(next(), r.line);
        const QString funds = next();
        if (funds == QLatin1String("S")) {
            next();
            next();
            next();
        } else if (funds == QLatin1String("V")) {
            next();
            next();
        } else if (funds == QLatin1String("D")) {
            const int count = next().toInt();
            for (int k = 0; k < 2 * count; ++k)
                next();
        }
        const QString bankReference = next();
        const QString customerReference = next();
        QString text;
        // The text may hold commas; a continuation joins it with a blank.
        for (; i < f.size(); ++i) {
            if (f.at(i) == QLatin1String("\x1f")) {
                text += QLatin1Char(' ');
                continue;
            }
            if (!text.isEmpty() && !text.endsWith(QLatin1Char(' ')))
                text += QLatin1Char(',');
            text += f.at(i);
        }
        text = text.simplified();
        while (text.endsWith(QLatin1Char('/')))
            text.chop(1);

        StatementLine line;
        line.date = asOf;
        // Codes 100-399 are credits, 400-699 debits; the rest carry no money.
        if (type >= 100 && type < 400)
            line.amount = amount;
        else if (type >= 400 && type < 700)
            line.amount = -amount;
        else
            return;
        // A paid check's serial number is the customer reference.
        static const QRegularExpression digits(QStringLiteral("^\\d+$"));
        if (type >= 470 && type <= 479 && digits.match(customerReference).hasMatch())
            line.check = customerReference.toLongLong();
        line.description = text.trimmed();
        line.reference = bankReference;
        line.fileLine = r.line;
        m_s.lines.push_back(line);
    }

    QString m_path;
    QByteArray m_data;
    Statement m_s;
};

} // namespace

Statement readBai2(const QString& path, const QByteArray& data) {
    return Bai2Reader(path, data).read();
}
