// ISO 20022 bank-to-customer statements (camt.053, versions .001.02 to .001.08). Elements
// are known by their local names, so any namespace prefix reads the same; the versions differ
// in where a transaction's amount and a party's name sit, and both places are read.

#include "statement.h"

#include <QXmlStreamReader>

using namespace statement_text;

namespace {

constexpr int kMaxDepth = 64;
// The aggregates whose insides are read differently.
enum Counted { Bal, Acct, FrToDt, TxDtls, RltdPties, kCountedCount };

// Which of the counted aggregates an element is, else -1.
int counted(const QString& name) {
    switch (name.size()) {
    case 3:
        return name == QLatin1String("Bal") ? Bal : -1;
    case 4:
        return name == QLatin1String("Acct") ? Acct : -1;
    case 6:
        return name == QLatin1String("FrToDt")   ? FrToDt
               : name == QLatin1String("TxDtls") ? TxDtls
                                                 : -1;
    case 9:
        return name == QLatin1String("RltdPties") ? RltdPties : -1;
    default:
        return -1;
    }
}

// The digits of a check number as the bank wrote it ("CHQ 1002"); 0 when there are none or
// too many to be one.
qint64 checkNumber(const QString& text) {
    qint64 n = 0;
    int digits = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            continue;
        if (++digits > 18)
            return 0;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}
const QString kNamespacePrefix = QStringLiteral("urn:iso:std:iso:20022:tech:xsd:camt.053.001.");

struct Amount {
    bool present = false;
    Cents value = 0;
    QString currency;
    int line = 0;
};

struct Detail {
    Amount amount;
    QString sign; // "CRDT" / "DBIT", empty: the entry's
    qint64 check = 0;
    QString unstructured, party, additional, reference;
};

struct Entry {
    Amount amount;
    QString sign;
    QString status;
    int booked = 0;
    QString additional, reference;
    QVector<Detail> details;
    int line = 0;
};

class CamtReader {
public:
    CamtReader(const QString& path, const QByteArray& data) : m_path(path), m_data(data) {
        m_file.format = QStringLiteral("camt.053");
    }

    StatementFile read() {
        XmlFeed feed(m_xml, m_data);
        QXmlStreamReader::TokenType token;
        while (feed.next(&token)) {
            if (token == QXmlStreamReader::StartElement)
                start();
            else if (token == QXmlStreamReader::Characters && !m_xml.isWhitespace())
                m_text += m_xml.text(); // the indentation between elements is no one's text
            else if (token == QXmlStreamReader::EndElement)
                end();
        }
        if (m_xml.hasError()) {
            const int line = int(m_xml.lineNumber());
            if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                fail(line,
                     ReadFault{QStringLiteral("the file ends before the statement does; it may "
                                              "have been cut short."),
                               QStringLiteral("el archivo termina antes que el estado de cuenta; "
                                              "puede estar cortado.")});
            fail(line, ReadFault{QStringLiteral("the file is not well-formed XML (%1)."),
                                 QStringLiteral("el archivo no es XML bien formado (%1).")}
                           .arg(m_xml.errorString()));
        }
        if (m_file.statements.isEmpty())
            throw StatementError(
                m_path, 0,
                ReadFault{QStringLiteral("the file holds no statement (Stmt)."),
                          QStringLiteral("el archivo no contiene ningún estado de cuenta "
                                         "(Stmt).")});
        return m_file;
    }

private:
    [[noreturn]] void fail(int line, const ReadFault& fault) const {
        const QStringList path = m_stack.mid(std::max<qsizetype>(0, m_stack.size() - 3));
        throw StatementError(m_path, line, fault, path.join(QLatin1Char('/')));
    }
    // Whether an element of the name is open; counted as they open and close, so a lookup
    // costs nothing however deep the element.
    bool under(Counted aggregate) const { return m_open[aggregate] > 0; }
    const QString& parent() const {
        static const QString none;
        return m_stack.size() > 1 ? m_stack.at(m_stack.size() - 2) : none;
    }
    int line() const { return int(m_xml.lineNumber()); }

    void checkRoot(const QString& name) {
        const QString ns = m_xml.namespaceUri().toString();
        if (name != QLatin1String("Document"))
            fail(line(), ReadFault{QStringLiteral("the document's root element is <%1>; a "
                                                  "statement's is <Document>."),
                                   QStringLiteral("el elemento raíz del documento es <%1>; el de "
                                                  "un estado de cuenta es <Document>.")}
                             .arg(quoted(name)));
        if (!ns.startsWith(kNamespacePrefix)) {
            if (ns.contains(QLatin1String("camt.")))
                fail(line(),
                     ReadFault{QStringLiteral("this is not a statement of account (camt.053.001) "
                                              "but %1."),
                               QStringLiteral("esto no es un estado de cuenta (camt.053.001) sino "
                                              "%1.")}
                         .arg(quoted(ns.section(QLatin1Char(':'), -1))));
            fail(line(), ReadFault{QStringLiteral("the document's namespace \"%1\" is not a "
                                                  "statement's (camt.053.001)."),
                                   QStringLiteral("el espacio de nombres \"%1\" del documento no "
                                                  "es el de un estado de cuenta (camt.053.001).")}
                             .arg(quoted(ns)));
        }
        m_version = ns.mid(kNamespacePrefix.size());
        const int v = m_version.toInt();
        if (m_version.size() != 2 || v < 2 || v > 8)
            fail(line(), ReadFault{QStringLiteral("camt.053 version .001.%1 is not one this "
                                                  "program reads (.001.02 to .001.08)."),
                                   QStringLiteral("la versión .001.%1 de camt.053 no es una que "
                                                  "este programa lea (.001.02 a .001.08).")}
                             .arg(quoted(m_version)));
        m_file.format = QStringLiteral("camt.053.001.") + m_version;
    }

    void start() {
        const QString name = m_xml.name().toString();
        if (m_stack.isEmpty())
            checkRoot(name);
        m_stack.push_back(name);
        if (const int c = counted(name); c >= 0)
            ++m_open[c];
        m_text.clear();
        // No statement nests this deep; the limit keeps the cost of a hostile file linear.
        if (m_stack.size() > kMaxDepth)
            fail(line(), ReadFault{QStringLiteral("elements are nested deeper than a statement's "
                                                  "(%1 levels)."),
                                   QStringLiteral("los elementos se anidan más hondo que los de un "
                                                  "estado de cuenta (%1 niveles).")}
                             .arg(kMaxDepth));
        if (name == QLatin1String("Stmt")) {
            m_s = Statement();
            m_s.format = m_file.format;
            m_s.fileLine = line();
            m_inStatement = true;
        } else if (name == QLatin1String("Ntry")) {
            if (!m_inStatement || m_inEntry)
                fail(line(), ReadFault{QStringLiteral("an entry (Ntry) is expected only in a "
                                                      "statement (Stmt), not in another entry."),
                                       QStringLiteral("una entrada (Ntry) solo se espera en un "
                                                      "estado de cuenta (Stmt), no en otra "
                                                      "entrada.")});
            m_entry = Entry();
            m_entry.line = line();
            m_inEntry = true;
        } else if (name == QLatin1String("TxDtls") && m_inEntry) {
            m_entry.details.push_back(Detail());
        } else if (name == QLatin1String("Bal")) {
            m_balanceCode.clear();
            m_balanceSign.clear();
            m_balanceAmount = Amount();
            m_balanceDate = 0;
            m_balanceLine = line();
        }
        if (name == QLatin1String("Amt") || name == QLatin1String("TxAmt")) {
            m_amountCurrency = m_xml.attributes().value(QLatin1String("Ccy")).toString();
            m_amountLine = line();
        }
    }

    // The schema's amount: an unsigned decimal with a point; the sign is CdtDbtInd's.
    Amount amountHere(const QString& text) {
        MoneyForm form;
        form.signs = false;
        form.currencySign = false;
        form.thousands = false;
        const MoneyRead read = readMoney(text, form);
        if (!read.ok)
            fail(m_amountLine, amountFault(text, read.fault));
        return Amount{true, read.cents, m_amountCurrency, m_amountLine};
    }

    int dateHere(const QString& text) {
        const int d = isoDate(text);
        if (d == 0)
            fail(line(), dateFault(text, QStringLiteral("YYYY-MM-DD")));
        return d;
    }

    // +1 for CRDT, -1 for DBIT; anything else, or nothing, is refused.
    int signOf(const QString& indicator, int at) {
        if (indicator == QLatin1String("CRDT"))
            return 1;
        if (indicator == QLatin1String("DBIT"))
            return -1;
        fail(at, ReadFault{QStringLiteral("the credit or debit mark (CdtDbtInd) is \"%1\"; CRDT "
                                          "or DBIT is expected."),
                           QStringLiteral("la marca de abono o cargo (CdtDbtInd) es \"%1\"; se "
                                          "espera CRDT o DBIT.")}
                     .arg(quoted(indicator)));
    }

    void end() {
        const QString name = m_stack.last();
        const QString text = m_text.trimmed();
        m_text.clear();
        if (const int c = counted(name); c >= 0)
            --m_open[c];
        if (m_inStatement) {
            const QString& up = parent();
            if (name == QLatin1String("Stmt"))
                finishStatement();
            else if (m_inEntry)
                endInEntry(name, up, text);
            else if (name == QLatin1String("Bal"))
                finishBalance();
            else if (under(Bal))
                endInBalance(name, up, text);
            else if (under(Acct)) {
                if (name == QLatin1String("IBAN") ||
                    (name == QLatin1String("Id") && up == QLatin1String("Othr")))
                    m_s.account = text;
                else if (name == QLatin1String("Ccy") && up == QLatin1String("Acct"))
                    m_s.currency = text;
            } else if (under(FrToDt)) {
                if (name == QLatin1String("FrDtTm"))
                    m_s.periodStart = dateHere(text);
                else if (name == QLatin1String("ToDtTm"))
                    m_s.periodEnd = dateHere(text);
            }
        }
        m_stack.removeLast();
    }

    void finishStatement() {
        m_inStatement = false;
        m_file.statements.push_back(m_s);
    }

    void endInBalance(const QString& name, const QString& up, const QString& text) {
        if (name == QLatin1String("Cd") && up == QLatin1String("CdOrPrtry"))
            m_balanceCode = text;
        else if (name == QLatin1String("Amt") && up == QLatin1String("Bal") && !text.isEmpty())
            m_balanceAmount = amountHere(text); // an empty balance is no balance
        else if (name == QLatin1String("CdtDbtInd") && up == QLatin1String("Bal"))
            m_balanceSign = text;
        else if ((name == QLatin1String("Dt") || name == QLatin1String("DtTm")) &&
                 up == QLatin1String("Dt"))
            m_balanceDate = dateHere(text);
    }

    void finishBalance() {
        if (!m_balanceAmount.present)
            return;
        const Cents value = signOf(m_balanceSign, m_balanceLine) * m_balanceAmount.value;
        if (m_s.currency.isEmpty())
            m_s.currency = m_balanceAmount.currency;
        if (m_balanceCode == QLatin1String("OPBD") || m_balanceCode == QLatin1String("PRCD")) {
            if (!m_s.hasOpening) {
                m_s.hasOpening = true;
                m_s.opening = value;
            }
        } else if (m_balanceCode == QLatin1String("CLBD")) {
            m_s.hasClosing = true;
            m_s.closing = value;
            m_s.closingDate = m_balanceDate;
        }
    }

    void endInEntry(const QString& name, const QString& up, const QString& text) {
        if (name == QLatin1String("Ntry")) {
            m_inEntry = false;
            finishEntry();
            return;
        }
        Detail* detail =
            under(TxDtls) && !m_entry.details.isEmpty() ? &m_entry.details.last() : nullptr;
        if (detail) {
            if (name == QLatin1String("Amt") &&
                (up == QLatin1String("TxDtls") || up == QLatin1String("TxAmt")))
                detail->amount = amountHere(text);
            else if (name == QLatin1String("CdtDbtInd") && up == QLatin1String("TxDtls"))
                detail->sign = text;
            else if (name == QLatin1String("ChqNb"))
                detail->check = checkNumber(text);
            else if (name == QLatin1String("Ustrd"))
                detail->unstructured +=
                    (detail->unstructured.isEmpty() ? QString() : QStringLiteral(" ")) + text;
            else if (name == QLatin1String("Nm") && detail->party.isEmpty() && under(RltdPties))
                detail->party = text;
            else if (name == QLatin1String("AddtlTxInf"))
                detail->additional = text;
            else if (name == QLatin1String("AcctSvcrRef") && up == QLatin1String("Refs"))
                detail->reference = text;
            return;
        }
        if (name == QLatin1String("Amt") && up == QLatin1String("Ntry"))
            m_entry.amount = amountHere(text);
        else if (name == QLatin1String("CdtDbtInd") && up == QLatin1String("Ntry"))
            m_entry.sign = text;
        else if (name == QLatin1String("Sts") && m_entry.status.isEmpty() && !text.isEmpty())
            m_entry.status = text;
        else if (name == QLatin1String("Cd") && up == QLatin1String("Sts"))
            m_entry.status = text;
        else if ((name == QLatin1String("Dt") || name == QLatin1String("DtTm")) &&
                 up == QLatin1String("BookgDt"))
            m_entry.booked = dateHere(text);
        else if (name == QLatin1String("AddtlNtryInf"))
            m_entry.additional = text;
        else if (name == QLatin1String("AcctSvcrRef") && up == QLatin1String("Ntry"))
            m_entry.reference = text;
    }

    void checkCurrency(const Amount& a) {
        const QString expected = m_s.currency;
        if (!a.currency.isEmpty() && !expected.isEmpty() && a.currency != expected)
            fail(a.line, ReadFault{QStringLiteral("the item is in %1, the statement in %2."),
                                   QStringLiteral("la partida está en %1, el estado de cuenta "
                                                  "en %2.")}
                             .arg(quoted(a.currency), quoted(expected)));
    }

    static QString describe(const Detail& d, const QString& fallback) {
        for (const QString& text : {d.unstructured, d.party, d.additional})
            if (!text.isEmpty())
                return text;
        return fallback;
    }

    void skip(const ReadFault& reason) { m_file.skip(m_s.account, m_entry.line, reason); }

    void finishEntry() {
        // Only booked items are on the statement; pending ones come again when booked.
        if (m_entry.status == QLatin1String("PDNG") || m_entry.status == QLatin1String("INFO") ||
            m_entry.status == QLatin1String("FUTR")) {
            skip(ReadFault{QStringLiteral("their status is %1, not booked (BOOK)."),
                           QStringLiteral("su estado es %1, no contabilizado (BOOK).")}
                     .arg(m_entry.status));
            return;
        }
        if (!m_entry.status.isEmpty() && m_entry.status != QLatin1String("BOOK"))
            fail(m_entry.line, ReadFault{QStringLiteral("the entry's status \"%1\" is none of "
                                                        "BOOK, PDNG, INFO or FUTR."),
                                         QStringLiteral("el estado \"%1\" de la entrada no es "
                                                        "BOOK, PDNG, INFO ni FUTR.")}
                                   .arg(quoted(m_entry.status)));
        if (!m_entry.amount.present)
            fail(m_entry.line, ReadFault{QStringLiteral("the item has no amount."),
                                         QStringLiteral("la partida no tiene importe.")});
        if (m_entry.booked == 0)
            fail(m_entry.line,
                 ReadFault{QStringLiteral("the item has no date it was booked on (BookgDt)."),
                           QStringLiteral("la partida no tiene fecha de asiento (BookgDt).")});
        checkCurrency(m_entry.amount);
        const int sign = signOf(m_entry.sign, m_entry.line);
        bool batched = m_entry.details.size() > 1;
        for (const Detail& d : m_entry.details)
            batched = batched && d.amount.present;
        if (!batched) {
            StatementLine line;
            line.date = m_entry.booked;
            line.cents = sign * m_entry.amount.value;
            const Detail d = m_entry.details.value(0);
            line.check = m_entry.details.size() == 1 ? d.check : 0;
            line.description = describe(d, m_entry.additional);
            line.reference = m_entry.reference;
            line.fileLine = m_entry.line;
            m_s.lines.push_back(line);
            return;
        }
        // A batch: each transaction of the entry is an item of its own, when they add up to
        // the entry; else the clerk hears of it rather than getting lines the bank did not book.
        QVector<StatementLine> parts;
        Cents total = 0;
        bool fits = true;
        for (const Detail& d : std::as_const(m_entry.details)) {
            checkCurrency(d.amount);
            StatementLine line;
            line.date = m_entry.booked;
            line.cents = (d.sign.isEmpty() ? sign : signOf(d.sign, d.amount.line)) * d.amount.value;
            fits = fits && addCents(&total, line.cents);
            line.check = d.check;
            line.description = describe(d, m_entry.additional);
            line.reference = d.reference.isEmpty() ? m_entry.reference : d.reference;
            line.fileLine = d.amount.line;
            parts.push_back(line);
        }
        if (!fits || total != sign * m_entry.amount.value) {
            skip(ReadFault{QStringLiteral("a batch whose details give %1 but whose entry is %2."),
                           QStringLiteral("un lote cuyos detalles dan %1 pero cuya entrada es "
                                          "%2.")}
                     .arg(centsText(total), centsText(sign * m_entry.amount.value)));
            return;
        }
        m_s.lines += parts;
    }

    QString m_path;
    const QByteArray& m_data;
    QXmlStreamReader m_xml;
    QStringList m_stack;
    QString m_text;
    int m_open[kCountedCount] = {}; // how many of each counted aggregate are open
    QString m_version;
    StatementFile m_file;
    Statement m_s;
    bool m_inStatement = false;
    bool m_inEntry = false;
    Entry m_entry;
    QString m_amountCurrency;
    int m_amountLine = 0;
    QString m_balanceCode, m_balanceSign;
    Amount m_balanceAmount;
    int m_balanceDate = 0;
    int m_balanceLine = 0;
};

} // namespace

StatementFile readCamt053(const QString& path, const QByteArray& data) {
    return CamtReader(path, data).read();
}
