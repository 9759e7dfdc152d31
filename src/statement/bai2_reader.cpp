// BAI2 prior-day files: comma-separated records with a type code in front (01 file, 02 group,
// 03 account, 16 item, 88 continuation, 49 account trailer, 98 group trailer, 99 file
// trailer), amounts in cents. Items carry no date of their own: they are booked on the
// group's as-of date. Every account of every group is a statement of its own, so a month of
// daily reports is read whole.

#include "statement.h"

#include <QStringList>

using namespace statement_text;

namespace {

struct Record {
    QString type;
    QStringList fields; // after the type code; a continuation is marked by kJoin
    int line = 0;
};

const QString kJoin = QStringLiteral("\x1f");

class Bai2Reader {
public:
    Bai2Reader(const QString& path, const QByteArray& data) : m_path(path), m_data(data) {
        m_file.format = QStringLiteral("BAI2");
    }

    StatementFile read() {
        const QVector<Record> records = logicalRecords();
        qint64 physical = 0;
        bool inGroup = false;
        bool inAccount = false;
        bool ended = false;
        int asOf = 0;
        QString groupCurrency;
        for (const Record& r : records) {
            if (ended)
                fail(r.line, QStringLiteral("99"),
                     ReadFault{QStringLiteral("a record follows the file's closing record (99)."),
                               QStringLiteral("un registro sigue al registro de cierre del "
                                              "archivo (99).")});
            physical += 1 + r.fields.count(kJoin);
            if (r.type == QLatin1String("01")) {
                if (r.line != records.first().line)
                    fail(r.line, r.type, expected(QStringLiteral("01")));
            } else if (r.type == QLatin1String("02")) {
                if (inGroup)
                    fail(r.line, r.type, expected(QStringLiteral("98")));
                inGroup = true;
                asOf = asOfDate(r);
                groupCurrency = plain(r.fields).value(5);
            } else if (r.type == QLatin1String("03")) {
                if (!inGroup || inAccount)
                    fail(r.line, r.type,
                         expected(inGroup ? QStringLiteral("49") : QStringLiteral("02")));
                inAccount = true;
                readAccount(r, groupCurrency, asOf);
            } else if (r.type == QLatin1String("16")) {
                if (!inAccount)
                    fail(r.line, r.type,
                         ReadFault{QStringLiteral("an item (16) is expected only inside an "
                                                  "account, between its 03 and 49 records."),
                                   QStringLiteral("una partida (16) solo se espera dentro de una "
                                                  "cuenta, entre sus registros 03 y 49.")});
                readItem(r, asOf);
            } else if (r.type == QLatin1String("49")) {
                if (!inAccount)
                    fail(r.line, r.type, expected(QStringLiteral("03")));
                inAccount = false;
                m_file.statements.push_back(m_s);
            } else if (r.type == QLatin1String("98")) {
                if (!inGroup || inAccount)
                    fail(r.line, r.type,
                         expected(inGroup ? QStringLiteral("49") : QStringLiteral("02")));
                inGroup = false;
            } else if (r.type == QLatin1String("99")) {
                if (inGroup)
                    fail(r.line, r.type, expected(QStringLiteral("98")));
                ended = true;
                // The record count tells a file that lost lines in the middle.
                const MoneyRead count = readCentsDigits(plain(r.fields).value(2), false);
                if (count.ok && count.cents != physical)
                    fail(r.line, r.type,
                         ReadFault{QStringLiteral("the file says it has %1 records but holds %2; "
                                                  "lines are missing."),
                                   QStringLiteral("el archivo dice tener %1 registros pero tiene "
                                                  "%2; faltan líneas.")}
                             .arg(count.cents)
                             .arg(physical));
            } else {
                fail(r.line, QString(),
                     ReadFault{QStringLiteral("\"%1\" is not a record type of a BAI2 file."),
                               QStringLiteral("\"%1\" no es un tipo de registro de un archivo "
                                              "BAI2.")}
                         .arg(quoted(r.type)));
            }
        }
        if (!ended)
            fail(records.isEmpty() ? 0 : records.last().line, QString(),
                 ReadFault{QStringLiteral("the file ends before its closing record (99); it may "
                                          "have been cut short."),
                           QStringLiteral("el archivo termina antes de su registro de cierre "
                                          "(99); puede estar cortado.")});
        if (m_file.statements.isEmpty())
            fail(0, QString(),
                 ReadFault{QStringLiteral("the file holds no account."),
                           QStringLiteral("el archivo no contiene ninguna cuenta.")});
        return m_file;
    }

private:
    [[noreturn]] void fail(int line, const QString& record, const ReadFault& fault) const {
        throw StatementError(m_path, line, fault,
                             record.isEmpty() ? QString() : QStringLiteral("record ") + record);
    }

    static ReadFault expected(const QString& record) {
        return ReadFault{QStringLiteral("the records are out of order; a %1 record is expected "
                                        "first."),
                         QStringLiteral("los registros están desordenados; primero se espera un "
                                        "registro %1.")}
            .arg(record);
    }

    // The physical lines with each 88 continuation joined to the record it continues; the
    // join is marked so an item's text gets a blank there.
    QVector<Record> logicalRecords() {
        QVector<Record> records;
        const QString text = decode(m_data);
        const QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QStringView line = lines.at(i).trimmed();
            const int number = int(i + 1);
            if (line.isEmpty())
                continue;
            const qsizetype comma = line.indexOf(QLatin1Char(','));
            const QStringView type = comma < 0 ? line : line.left(comma);
            QString rest = comma < 0 ? QString() : line.mid(comma + 1).toString();
            if (type.size() != 2 || !type.at(0).isDigit() || !type.at(1).isDigit() ||
                type.at(0).unicode() > '9' || type.at(1).unicode() > '9')
                fail(number, QString(),
                     ReadFault{QStringLiteral("this is not a record of a BAI2 file; a line "
                                              "begins with a two-digit record type."),
                               QStringLiteral("esto no es un registro de un archivo BAI2; una "
                                              "línea empieza con un tipo de registro de dos "
                                              "cifras.")});
            if (type == QLatin1String("88")) {
                if (records.isEmpty())
                    fail(number, QStringLiteral("88"),
                         ReadFault{QStringLiteral("a continuation record (88) continues nothing."),
                                   QStringLiteral("un registro de continuación (88) no continúa "
                                                  "nada.")});
                Record& previous = records.last();
                if (previous.type != QLatin1String("16") && rest.endsWith(QLatin1Char('/')))
                    rest.chop(1);
                previous.fields << kJoin;
                previous.fields << rest.split(QLatin1Char(','));
                continue;
            }
            // A record ends at its slash; an item's text runs to the end of the line.
            if (type != QLatin1String("16") && rest.endsWith(QLatin1Char('/')))
                rest.chop(1);
            records.push_back(Record{type.toString(), rest.split(QLatin1Char(',')), number});
        }
        return records;
    }

    int asOfDate(const Record& r) const {
        const QString text = plain(r.fields).value(3);
        const MoneyRead digits = readCentsDigits(text, false);
        const int date = digits.ok && text.size() == 6
                             ? calendarDate(2000 + int(digits.cents / 10000),
                                            int(digits.cents / 100 % 100), int(digits.cents % 100))
                             : 0;
        if (date == 0)
            fail(r.line, r.type, dateFault(text, QStringLiteral("YYMMDD")));
        return date;
    }

    Cents cents(const QString& text, bool signAllowed, const Record& r) const {
        const MoneyRead read = readCentsDigits(text, signAllowed);
        if (!read.ok) {
            const bool tooLong = read.fault == MoneyFault::TooManyDigits;
            const QString value = quoted(text);
            fail(r.line, r.type,
                 ReadFault{QStringLiteral("the amount \"%1\" cannot be read: %2.")
                               .arg(value, tooLong ? QStringLiteral("it has more than 18 digits")
                                           : signAllowed
                                               ? QStringLiteral("digits in cents are expected, "
                                                                "with a sign at most")
                                               : QStringLiteral("digits in cents are expected, "
                                                                "without a sign")),
                           QStringLiteral("el importe \"%1\" no se puede leer: %2.")
                               .arg(value, tooLong ? QStringLiteral("tiene más de 18 cifras")
                                           : signAllowed
                                               ? QStringLiteral("se esperan cifras en centavos, "
                                                                "con signo como mucho")
                                               : QStringLiteral("se esperan cifras en centavos, "
                                                                "sin signo"))});
        }
        return read.cents;
    }

    // Fields with the continuation marks taken out.
    static QStringList plain(const QStringList& fields) {
        QStringList out;
        for (const QString& f : fields)
            if (f != kJoin)
                out << f;
        return out;
    }

    void readAccount(const Record& r, const QString& groupCurrency, int asOf) {
        m_s = Statement();
        m_s.format = m_file.format;
        m_s.fileLine = r.line;
        const QStringList f = plain(r.fields);
        m_s.account = f.value(0).trimmed();
        m_s.currency = f.value(1).isEmpty() ? groupCurrency : f.value(1);
        if (m_s.currency.isEmpty())
            m_s.currency = QStringLiteral("USD"); // the format's default
        m_s.periodStart = m_s.periodEnd = asOf;
        // Summaries: type code, amount, item count, funds type, repeated.
        for (qsizetype i = 2; i + 1 < f.size(); i += 4) {
            const QString type = f.at(i);
            if (f.at(i + 1).isEmpty())
                continue; // an empty balance is no balance
            if (type == QLatin1String("010")) {
                m_s.hasOpening = true;
                m_s.opening = cents(f.at(i + 1), true, r);
            } else if (type == QLatin1String("015")) {
                m_s.hasClosing = true;
                m_s.closing = cents(f.at(i + 1), true, r);
                m_s.closingDate = asOf;
            }
        }
    }

    void readItem(const Record& r, int asOf) {
        const QStringList& f = r.fields;
        qsizetype i = 0;
        auto next = [&]() -> QString {
            while (i < f.size() && f.at(i) == kJoin)
                ++i;
            return i < f.size() ? f.at(i++) : QString();
        };
        const QString typeText = next();
        const MoneyRead type = readCentsDigits(typeText, false);
        if (!type.ok || typeText.size() != 3)
            fail(r.line, r.type,
                 ReadFault{QStringLiteral("the type code \"%1\" cannot be read; three digits are "
                                          "expected."),
                           QStringLiteral("el código de tipo \"%1\" no se puede leer; se esperan "
                                          "tres cifras.")}
                     .arg(quoted(typeText)));
        const Cents amount = cents(next(), false, r);
        const QString funds = next();
        if (funds == QLatin1String("S")) {
            next();
            next();
            next();
        } else if (funds == QLatin1String("V")) {
            next();
            next();
        } else if (funds == QLatin1String("D")) {
            // A count and as many pairs of days and amounts; the count cannot run past the
            // record.
            const QString countText = next();
            const MoneyRead count = readCentsDigits(countText, false);
            if (!count.ok || count.cents > (f.size() - i) / 2)
                fail(r.line, r.type,
                     ReadFault{QStringLiteral("the funds availability \"%1\" does not fit the "
                                              "record: a count of the day and amount pairs that "
                                              "follow is expected."),
                               QStringLiteral("la disponibilidad de fondos \"%1\" no cabe en el "
                                              "registro: se espera el número de pares de días e "
                                              "importes que siguen.")}
                         .arg(quoted(countText)));
            for (qint64 k = 0; k < 2 * count.cents; ++k)
                next();
        }
        const QString bankReference = next();
        const QString customerReference = next();
        QString text;
        // The text may hold commas; a continuation joins it with a blank.
        for (; i < f.size(); ++i) {
            if (f.at(i) == kJoin) {
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
        // Codes 100-399 are credits, 400-699 debits; the rest carry no money of the account.
        if (type.cents >= 100 && type.cents < 400) {
            line.cents = amount;
        } else if (type.cents >= 400 && type.cents < 700) {
            line.cents = -amount;
        } else {
            skip(r.line, typeText);
            return;
        }
        // A paid check's serial number is the customer reference.
        const MoneyRead check = readCentsDigits(customerReference, false);
        if (type.cents >= 470 && type.cents <= 479 && check.ok)
            line.check = check.cents;
        line.description = text.trimmed();
        line.reference = bankReference;
        line.fileLine = r.line;
        m_s.lines.push_back(line);
    }

    void skip(int line, const QString& typeText) {
        const ReadFault reason =
            ReadFault{QStringLiteral("their type code %1 is neither a credit (100-399) nor a "
                                     "debit (400-699)."),
                      QStringLiteral("su código de tipo %1 no es de abono (100-399) ni de cargo "
                                     "(400-699).")}
                .arg(typeText);
        m_file.skip(m_s.account, line, reason);
    }

    QString m_path;
    QByteArray m_data;
    StatementFile m_file;
    Statement m_s;
};

} // namespace

StatementFile readBai2(const QString& path, const QByteArray& data) {
    return Bai2Reader(path, data).read();
}
