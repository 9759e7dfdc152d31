#include "statement_files.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

namespace statement_files {

namespace {

int addDays(int yyyymmdd, int days) {
    const QDate d = QDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100).addDays(days);
    return d.year() * 10000 + d.month() * 100 + d.day();
}

QString two(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The file's text, line by line, knowing the number of the line being written.
struct Text {
    QStringList lines;
    int add(const QString& line) {
        lines << line;
        return int(lines.size());
    }
    int next() const { return int(lines.size()) + 1; }
};

QString xmlEscaped(QString s) {
    return s.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
        .replace(QLatin1Char('<'), QStringLiteral("&lt;"))
        .replace(QLatin1Char('>'), QStringLiteral("&gt;"));
}

// SGML text as banks write it in a US-ASCII file: character references for the rest.
QString sgmlEscaped(const QString& s) {
    QString out;
    for (const QChar c : s) {
        if (c == QLatin1Char('&'))
            out += QStringLiteral("&amp;");
        else if (c == QLatin1Char('<'))
            out += QStringLiteral("&lt;");
        else if (c.unicode() > 0x7E)
            out += QStringLiteral("&#%1;").arg(c.unicode());
        else
            out += c;
    }
    return out;
}

// Digits of a magnitude in cents, with the separators asked for.
QString digits(quint64 magnitude, QChar thousands, QChar decimal, int decimals) {
    QString whole = QString::number(magnitude / 100);
    if (!thousands.isNull())
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, thousands);
    if (decimals == 0)
        return whole;
    const QString cents = two(int(magnitude % 100));
    return whole + decimal + (decimals == 1 ? cents.left(1) : cents);
}

// As written by default: the sign and the digits with a point or the mapping's comma.
QString plainMoney(Cents cents, QChar decimal = QLatin1Char('.')) {
    const quint64 magnitude = cents < 0 ? 0 - quint64(cents) : quint64(cents);
    return (cents < 0 ? QStringLiteral("-") : QString()) + digits(magnitude, QChar(), decimal, 2);
}

const char* const kDescriptions[] = {"CHECK PAID",        "DEPOSIT BRANCH 12",   "Café Sol, Inc.",
                                     "AT&T SERVICE",      "MONTHLY SERVICE FEE", "Müller & Söhne",
                                     "WIRE IN 55 \"REF\""};

QVector<Statement> randomStatements(const Options& o) {
    QRandomGenerator random(o.seed);
    QVector<Statement> out;
    QHash<QString, Cents> balance;
    qint64 check = 1001;
    int reference = 0;
    const int days = o.format == Format::Bai2 ? 1 : std::max(1, o.days);
    for (int k = 0; k < o.statements; ++k) {
        const int start = addDays(o.firstDate, k * days);
        const int end = addDays(start, days - 1);
        for (const QString& account : o.accounts) {
            Statement s;
            s.account = account;
            s.currency = o.currency;
            s.periodStart = start;
            s.periodEnd = end;
            s.hasOpening = s.hasClosing = true;
            s.opening = balance.value(account, o.opening) + o.openingGaps.value(int(out.size()));
            s.closingDate = end;
            Cents total = s.opening;
            QVector<int> dates;
            for (int i = 0; i < o.lines; ++i)
                dates << addDays(start, int(random.bounded(days)));
            std::sort(dates.begin(), dates.end());
            for (int i = 0; i < o.lines; ++i) {
                StatementLine l;
                l.date = dates.at(i);
                // Mostly everyday amounts, now and then a large one.
                const Cents magnitude =
                    random.bounded(20) == 0
                        ? Cents(random.bounded(1, 1 << 30)) * 1000 + random.bounded(1000)
                        : Cents(random.bounded(1, 500000));
                const bool debit = random.bounded(3) != 0;
                l.cents = debit ? -magnitude : magnitude;
                if (debit && random.bounded(2) == 0)
                    l.check = check++;
                l.description =
                    QString::fromUtf8(kDescriptions[random.bounded(int(std::size(kDescriptions)))]);
                l.reference = QStringLiteral("R%1").arg(++reference, 8, 10, QLatin1Char('0'));
                total += l.cents;
                s.lines << l;
            }
            s.closing = total + o.closingGaps.value(int(out.size()));
            balance[account] = s.closing;
            out << s;
        }
    }
    return out;
}

class Writer {
public:
    Writer(const QVector<Statement>& statements, const Options& o)
        : m_statements(statements), m_o(o), m_random(o.seed ^ 0x5eed) {}

    Written run() {
        Written w;
        w.expected.format = formatName();
        w.expected.statements = m_statements;
        switch (m_o.format) {
        case Format::OfxSgml:
        case Format::OfxXml:
            ofx(w);
            w.fileName = QStringLiteral("statement.ofx");
            break;
        case Format::Camt053:
            camt(w);
            w.fileName = QStringLiteral("statement.xml");
            break;
        case Format::Bai2:
            bai2(w);
            w.fileName = QStringLiteral("statement.bai");
            break;
        case Format::Csv:
            csv(w);
            w.fileName = QStringLiteral("statement.csv");
            break;
        }
        for (Statement& s : w.expected.statements)
            s.format = w.expected.format;
        const QString text =
            m_text.lines.join(QString::fromLatin1(m_o.lineEnd)) + QString::fromLatin1(m_o.lineEnd);
        if (m_o.utf16) {
            QStringEncoder utf16(QStringEncoder::Utf16LE);
            w.bytes = QByteArray("\xFF\xFE") + QByteArray(utf16(text));
        } else {
            w.bytes =
                (m_o.byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
        }
        return w;
    }

private:
    QString formatName() const {
        switch (m_o.format) {
        case Format::OfxSgml:
        case Format::OfxXml:
            return QStringLiteral("OFX");
        case Format::Camt053:
            return QStringLiteral("camt.053.001.") + m_o.camtVersion;
        case Format::Bai2:
            return QStringLiteral("BAI2");
        case Format::Csv:
            break;
        }
        return QStringLiteral("CSV");
    }

    QString amount(int item, Cents cents, Format format, bool decimalComma = false) {
        if (m_o.amountTexts.contains(item))
            return m_o.amountTexts.value(item);
        if (m_o.moneyForms)
            return moneyText(cents, format, m_random, decimalComma);
        if (format == Format::Camt053)
            return plainMoney(cents < 0 ? -cents : cents);
        if (format == Format::Bai2)
            return QString::number(cents < 0 ? -cents : cents);
        return plainMoney(cents, decimalComma ? QLatin1Char(',') : QLatin1Char('.'));
    }

    QString date(int item, const QString& written) const {
        return m_o.dateTexts.value(item, written);
    }

    QString ofxDate(int yyyymmdd) const {
        return QString::number(yyyymmdd) +
               (m_o.ofxTimes ? QStringLiteral("233000.000[-5:EST]") : QString());
    }

    void ofx(Written& w) {
        const bool xml = m_o.format == Format::OfxXml;
        auto leaf = [&](const char* name, const QString& value) {
            return m_text.add(
                xml ? QStringLiteral("<%1>%2</%1>").arg(QLatin1String(name), xmlEscaped(value))
                    : QStringLiteral("<%1>%2").arg(QLatin1String(name), sgmlEscaped(value)));
        };
        auto tag = [&](const char* name) {
            return m_text.add(QStringLiteral("<%1>").arg(QLatin1String(name)));
        };
        if (xml) {
            m_text.add(QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\" standalone=\"no\"?>")
                           .arg(m_o.utf16 ? QStringLiteral("UTF-16") : QStringLiteral("UTF-8")));
            m_text.add(QStringLiteral("<?OFX OFXHEADER=\"200\" VERSION=\"220\" SECURITY=\"NONE\" "
                                      "OLDFILEUID=\"NONE\" NEWFILEUID=\"NONE\"?>"));
        } else {
            for (const char* h : {"OFXHEADER:100", "DATA:OFXSGML", "VERSION:102", "SECURITY:NONE",
                                  "ENCODING:USASCII", "CHARSET:1252", "COMPRESSION:NONE",
                                  "OLDFILEUID:NONE", "NEWFILEUID:NONE", ""})
                m_text.add(QLatin1String(h));
        }
        tag("OFX");
        tag("SIGNONMSGSRSV1");
        tag("SONRS");
        tag("STATUS");
        leaf("CODE", QStringLiteral("0"));
        leaf("SEVERITY", QStringLiteral("INFO"));
        tag("/STATUS");
        leaf("DTSERVER", QStringLiteral("20240301060000"));
        leaf("LANGUAGE", QStringLiteral("ENG"));
        tag("/SONRS");
        tag("/SIGNONMSGSRSV1");
        tag("BANKMSGSRSV1");
        int item = 0;
        for (Statement& s : w.expected.statements) {
            tag("STMTTRNRS");
            leaf("TRNUID", QStringLiteral("1"));
            tag("STATUS");
            leaf("CODE", QStringLiteral("0"));
            leaf("SEVERITY", QStringLiteral("INFO"));
            tag("/STATUS");
            s.fileLine = tag("STMTRS");
            s.hasOpening = false; // OFX gives no opening balance
            s.opening = 0;
            leaf("CURDEF", s.currency);
            tag("BANKACCTFROM");
            leaf("BANKID", QStringLiteral("121000248"));
            leaf("ACCTID", s.account);
            leaf("ACCTTYPE", QStringLiteral("CHECKING"));
            tag("/BANKACCTFROM");
            tag("BANKTRANLIST");
            leaf("DTSTART", ofxDate(s.periodStart));
            leaf("DTEND", ofxDate(s.periodEnd));
            for (StatementLine& l : s.lines) {
                ItemPlace p;
                l.fileLine = p.item = tag("STMTTRN");
                leaf("TRNTYPE", l.check       ? QStringLiteral("CHECK")
                                : l.cents < 0 ? QStringLiteral("DEBIT")
                                              : QStringLiteral("CREDIT"));
                p.date = leaf("DTPOSTED", date(item, ofxDate(l.date)));
                p.amount = leaf("TRNAMT", amount(item, l.cents, m_o.format));
                leaf("FITID", l.reference);
                if (l.check)
                    leaf("CHECKNUM", QString::number(l.check));
                leaf("NAME", l.description);
                tag("/STMTTRN");
                w.places << p;
                ++item;
            }
            tag("/BANKTRANLIST");
            tag("LEDGERBAL");
            leaf("BALAMT", plainMoney(s.closing));
            leaf("DTASOF", ofxDate(s.closingDate));
            tag("/LEDGERBAL");
            tag("/STMTRS");
            tag("/STMTTRNRS");
        }
        tag("/BANKMSGSRSV1");
        tag("/OFX");
    }

    void camt(Written& w) {
        auto element = [&](int indent, const QString& name, const QString& value,
                           const QString& attributes = QString()) {
            return m_text.add(
                QString(indent * 2, QLatin1Char(' ')) +
                QStringLiteral("<%1%2>%3</%1>").arg(name, attributes, xmlEscaped(value)));
        };
        auto open = [&](int indent, const QString& name) {
            return m_text.add(QString(indent * 2, QLatin1Char(' ')) +
                              QStringLiteral("<%1>").arg(name));
        };
        auto close = [&](int indent, const QString& name) {
            return m_text.add(QString(indent * 2, QLatin1Char(' ')) +
                              QStringLiteral("</%1>").arg(name));
        };
        auto isoDate = [](int d) {
            return QStringLiteral("%1-%2-%3").arg(d / 10000).arg(two(d / 100 % 100), two(d % 100));
        };
        const QString ccy = QStringLiteral(" Ccy=\"%1\"");
        m_text.add(QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>")
                       .arg(m_o.utf16 ? QStringLiteral("UTF-16") : QStringLiteral("UTF-8")));
        m_text.add(
            QStringLiteral("<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.%1\">")
                .arg(m_o.camtVersion));
        open(1, QStringLiteral("BkToCstmrStmt"));
        open(2, QStringLiteral("GrpHdr"));
        element(3, QStringLiteral("MsgId"), QStringLiteral("STMT-1"));
        element(3, QStringLiteral("CreDtTm"), QStringLiteral("2024-03-01T06:00:00"));
        close(2, QStringLiteral("GrpHdr"));
        int item = 0;
        int number = 0;
        for (Statement& s : w.expected.statements) {
            s.fileLine = open(2, QStringLiteral("Stmt"));
            element(3, QStringLiteral("Id"), QString::number(++number));
            open(3, QStringLiteral("FrToDt"));
            element(4, QStringLiteral("FrDtTm"),
                    isoDate(s.periodStart) + QStringLiteral("T00:00:00"));
            element(4, QStringLiteral("ToDtTm"),
                    isoDate(s.periodEnd) + QStringLiteral("T23:59:59"));
            close(3, QStringLiteral("FrToDt"));
            open(3, QStringLiteral("Acct"));
            m_text.add(QStringLiteral("      <Id><Othr><Id>%1</Id></Othr></Id>")
                           .arg(xmlEscaped(s.account)));
            element(4, QStringLiteral("Ccy"), s.currency);
            close(3, QStringLiteral("Acct"));
            const auto balance = [&](const char* code, Cents value, int day) {
                open(3, QStringLiteral("Bal"));
                m_text.add(QStringLiteral("        <Tp><CdOrPrtry><Cd>%1</Cd></CdOrPrtry></Tp>")
                               .arg(QLatin1String(code)));
                element(4, QStringLiteral("Amt"), plainMoney(value < 0 ? -value : value),
                        ccy.arg(s.currency));
                element(4, QStringLiteral("CdtDbtInd"),
                        value < 0 ? QStringLiteral("DBIT") : QStringLiteral("CRDT"));
                m_text.add(QStringLiteral("        <Dt><Dt>%1</Dt></Dt>").arg(isoDate(day)));
                close(3, QStringLiteral("Bal"));
            };
            balance("OPBD", s.opening, s.periodStart);
            balance("CLBD", s.closing, s.closingDate);
            for (StatementLine& l : s.lines) {
                ItemPlace p;
                l.fileLine = p.item = open(3, QStringLiteral("Ntry"));
                p.amount = element(4, QStringLiteral("Amt"), amount(item, l.cents, Format::Camt053),
                                   ccy.arg(s.currency));
                element(4, QStringLiteral("CdtDbtInd"),
                        l.cents < 0 ? QStringLiteral("DBIT") : QStringLiteral("CRDT"));
                if (m_o.camtVersion.toInt() >= 5)
                    m_text.add(QStringLiteral("        <Sts><Cd>BOOK</Cd></Sts>"));
                else
                    element(4, QStringLiteral("Sts"), QStringLiteral("BOOK"));
                p.date = m_text.add(QStringLiteral("        <BookgDt><Dt>%1</Dt></BookgDt>")
                                        .arg(xmlEscaped(date(item, isoDate(l.date)))));
                element(4, QStringLiteral("AcctSvcrRef"), l.reference);
                open(4, QStringLiteral("NtryDtls"));
                open(5, QStringLiteral("TxDtls"));
                if (l.check)
                    m_text.add(
                        QStringLiteral("            <Refs><ChqNb>%1</ChqNb></Refs>").arg(l.check));
                m_text.add(QStringLiteral("            <RmtInf><Ustrd>%1</Ustrd></RmtInf>")
                               .arg(xmlEscaped(l.description)));
                close(5, QStringLiteral("TxDtls"));
                close(4, QStringLiteral("NtryDtls"));
                close(3, QStringLiteral("Ntry"));
                w.places << p;
                ++item;
            }
            close(2, QStringLiteral("Stmt"));
        }
        close(1, QStringLiteral("BkToCstmrStmt"));
        m_text.add(QStringLiteral("</Document>"));
    }

    void bai2(Written& w) {
        auto yymmdd = [](int d) {
            return two(d / 10000 % 100) + two(d / 100 % 100) + two(d % 100);
        };
        m_text.add(QStringLiteral("01,BANK,CUSTOMER,240301,0600,1,,,2/"));
        int item = 0;
        int groups = 0;
        Cents fileTotal = 0;
        // One group per as-of date, holding that day's accounts in the file's order.
        for (qsizetype i = 0; i < w.expected.statements.size();) {
            const int asOf = w.expected.statements.at(i).periodEnd;
            const int groupStart = m_text.add(
                QStringLiteral("02,CUSTOMER,BANK,1,%1,0600,%2,2/")
                    .arg(date(-1 - groups, yymmdd(asOf)), w.expected.statements.at(i).currency));
            ++groups;
            int accounts = 0;
            Cents groupTotal = 0;
            for (;
                 i < w.expected.statements.size() && w.expected.statements.at(i).periodEnd == asOf;
                 ++i) {
                Statement& s = w.expected.statements[i];
                s.periodStart = s.periodEnd = s.closingDate = asOf;
                ++accounts;
                s.fileLine = m_text.add(QStringLiteral("03,%1,%2,010,%3,,,015,%4,,/")
                                            .arg(s.account, s.currency, QString::number(s.opening),
                                                 QString::number(s.closing)));
                Cents accountTotal = 0;
                for (StatementLine& l : s.lines) {
                    l.date = asOf;
                    const int type = l.cents >= 0 ? 301 : l.check ? 475 : 699;
                    ItemPlace p;
                    p.date = groupStart;
                    l.fileLine = p.item = p.amount = m_text.add(
                        QStringLiteral("16,%1,%2,Z,%3,%4,%5")
                            .arg(QString::number(type), amount(item, l.cents, Format::Bai2),
                                 l.reference, l.check ? QString::number(l.check) : QString(),
                                 l.description));
                    accountTotal += l.cents < 0 ? -l.cents : l.cents;
                    w.places << p;
                    ++item;
                }
                m_text.add(QStringLiteral("49,%1,%2/").arg(accountTotal).arg(s.lines.size() + 2));
                groupTotal += accountTotal;
            }
            m_text.add(QStringLiteral("98,%1,%2,%3/")
                           .arg(groupTotal)
                           .arg(accounts)
                           .arg(m_text.next() - groupStart + 1));
            fileTotal += groupTotal;
        }
        m_text.add(QStringLiteral("99,%1,%2,%3/").arg(fileTotal).arg(groups).arg(m_text.next()));
    }

    void csv(Written& w) {
        // A CSV export is one account's list of items, without balances.
        Statement all;
        all.format = formatName();
        all.fileLine = 1;
        for (const Statement& s : std::as_const(w.expected.statements))
            all.lines += s.lines;
        const QChar delimiter = m_o.csvDecimalComma ? QLatin1Char(';') : QLatin1Char(',');
        w.mapping.dateColumn = 1;
        w.mapping.dateOrder = QStringLiteral("MDY");
        w.mapping.descriptionColumn = 2;
        w.mapping.checkColumn = 3;
        w.mapping.decimalComma = m_o.csvDecimalComma;
        w.mapping.skipLines = 1;
        if (m_o.csvDebitCredit) {
            w.mapping.debitColumn = 4;
            w.mapping.creditColumn = 5;
        } else {
            w.mapping.amountColumn = 4;
        }
        auto quotedField = [&](QString text) {
            if (text.contains(delimiter) || text.contains(QLatin1Char('"')) ||
                text.contains(QLatin1Char('\n')))
                return QStringLiteral("\"%1\"").arg(
                    text.replace(QLatin1Char('"'), QStringLiteral("\"\"")));
            return text;
        };
        int item = 0;
        // An amount a test gave is written as it is, quotes and all.
        auto field = [&](const QString& text) {
            return m_o.amountTexts.contains(item) ? text : quotedField(text);
        };
        const QStringList heading =
            m_o.csvDebitCredit ? QStringList{"Date", "Description", "Check", "Debit", "Credit"}
                               : QStringList{"Date", "Description", "Check", "Amount"};
        m_text.add(heading.join(delimiter));
        for (StatementLine& l : all.lines) {
            QStringList fields{date(item, QStringLiteral("%1/%2/%3")
                                              .arg(two(l.date / 100 % 100), two(l.date % 100))
                                              .arg(l.date / 10000)),
                               quotedField(l.description),
                               l.check ? QString::number(l.check) : QString()};
            if (m_o.csvDebitCredit) {
                const QString magnitude = amount(item, l.cents < 0 ? -l.cents : l.cents,
                                                 Format::Csv, m_o.csvDecimalComma);
                fields << (l.cents < 0 ? field(magnitude) : QString())
                       << (l.cents < 0 ? QString() : field(magnitude));
            } else {
                fields << field(amount(item, l.cents, Format::Csv, m_o.csvDecimalComma));
            }
            ItemPlace p;
            l.fileLine = p.item = p.amount = p.date = m_text.add(fields.join(delimiter));
            l.reference.clear();
            w.places << p;
            ++item;
        }
        for (const StatementLine& l : std::as_const(all.lines)) {
            all.periodStart = all.periodStart == 0 ? l.date : std::min(all.periodStart, l.date);
            all.periodEnd = std::max(all.periodEnd, l.date);
        }
        w.expected.statements = {all};
    }

    const QVector<Statement>& m_statements;
    const Options& m_o;
    QRandomGenerator m_random;
    Text m_text;
};

} // namespace

QString moneyText(Cents cents, Format format, QRandomGenerator& random, bool decimalComma) {
    const quint64 magnitude = cents < 0 ? 0 - quint64(cents) : quint64(cents);
    const int decimals = magnitude % 100 == 0 && random.bounded(3) == 0  ? 0
                         : magnitude % 10 == 0 && random.bounded(2) == 0 ? 1
                                                                         : 2;
    if (format == Format::Bai2)
        return QString::number(magnitude);
    if (format == Format::Camt053)
        return digits(magnitude, QChar(), QLatin1Char('.'), decimals);
    bool comma = decimalComma;
    if (format == Format::OfxSgml || format == Format::OfxXml)
        comma = random.bounded(2) == 0;
    const QChar decimal = comma ? QLatin1Char(',') : QLatin1Char('.');
    const QChar thousands = random.bounded(2) == 0 ? QChar()
                            : comma                ? QLatin1Char('.')
                                                   : QLatin1Char(',');
    QString body = digits(magnitude, thousands, decimal, decimals);
    if (random.bounded(4) == 0)
        body.prepend(QLatin1Char('$'));
    if (cents >= 0)
        return random.bounded(4) == 0 ? QLatin1Char('+') + body : body;
    switch (random.bounded(3)) {
    case 0:
        return QLatin1Char('(') + body + QLatin1Char(')');
    case 1:
        return body + QLatin1Char('-');
    default:
        return QLatin1Char('-') + body;
    }
}

Written write(const QVector<Statement>& statements, const Options& options) {
    return Writer(statements, options).run();
}

Written write(const Options& options) {
    return write(randomStatements(options), options);
}

QStringList writeOtherFormats(const QString& ofxPath) {
    const StatementFile file = readStatementFile(ofxPath);
    QVector<ReadFault> notes;
    Statement month = file.forAccount(file.accounts().value(0), &notes);
    // OFX gives no opening balance; the closing less the items is the one the others carry.
    Cents total = 0;
    for (const StatementLine& l : std::as_const(month.lines))
        total += l.cents;
    month.hasOpening = month.hasClosing;
    month.opening = month.closing - total;
    // BAI2 reports one day at a time.
    QVector<Statement> days;
    Cents balance = month.opening;
    for (const StatementLine& l : std::as_const(month.lines)) {
        if (days.isEmpty() || days.last().periodEnd != l.date) {
            Statement day = month;
            day.lines.clear();
            day.periodStart = day.periodEnd = day.closingDate = l.date;
            day.opening = day.closing = balance;
            days << day;
        }
        days.last().lines << l;
        days.last().closing += l.cents;
        balance += l.cents;
    }
    const QFileInfo ofx(ofxPath);
    QStringList written;
    const std::pair<Format, const char*> formats[] = {
        {Format::Camt053, "xml"}, {Format::Bai2, "bai"}, {Format::Csv, "csv"}};
    for (const auto& [format, extension] : formats) {
        Options options;
        options.format = format;
        const Written w = write(format == Format::Bai2 ? days : QVector<Statement>{month}, options);
        const QString path = ofx.absolutePath() + QLatin1Char('/') + ofx.completeBaseName() +
                             QLatin1Char('.') + QLatin1String(extension);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(w.bytes) != w.bytes.size())
            throw StatementError(path, 0,
                                 ReadFault{QStringLiteral("the file cannot be written."),
                                           QStringLiteral("el archivo no se puede escribir.")});
        written << path;
    }
    return written;
}

QStringList summary(const Statement& statement) {
    QStringList out;
    for (const StatementLine& l : statement.lines)
        out << QStringLiteral("%1 %2%3 %4")
                   .arg(l.date)
                   .arg(centsText(l.cents))
                   .arg(l.check ? QStringLiteral(" #%1").arg(l.check) : QString())
                   .arg(l.description);
    return out;
}

} // namespace statement_files
