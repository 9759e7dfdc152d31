// ISO 20022 bank-to-customer statements (camt.053, versions .001.02 to .001.08). Elements
// are known by their local names, so any namespace prefix reads the same; the versions differ
// in where a transaction's amount and a party's name sit, and both places are read.

#include "statement.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

const QString kNamespacePrefix = QStringLiteral("urn:iso:std:iso:20022:tech:xsd:camt.053.001.");

int dateOfIso(const QString& text) {
    // "2024-02-29" or "2024-02-29T17:00:00+01:00": the calendar day as written.
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})"));
    const QRegularExpressionMatch m = iso.match(text.trimmed());
    return m.hasMatch()
               ? m.captured(1).toInt() * 10000 + m.captured(2).toInt() * 100 + m.captured(3).toInt()
               : 0;
}

struct Amount {
    bool present = false;
    double value = 0;
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
    CamtReader(const QString& path, const QByteArray& data) : m_path(path), m_xml(data) {}

    Statement read() {
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement)
                start();
            else if (token == QXmlStreamReader::Characters)
                m_text += m_xml.text();
            else if (token == QXmlStreamReader::EndElement)
                end();
        }
        if (m_xml.hasError()) {
            const int line = int(m_xml.lineNumber());
            if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                throw StatementError(
                    m_path, line,
                    ReadFault{
                        QStringLiteral(
                            "the file ends before the statement does; it may have been cut short."),
                        QStringLiteral("el archivo termina antes que el estado de cuenta; puede "
                                       "estar cortado.")});
            if (m_xml.error() != QXmlStreamReader::CustomError)
                throw StatementError(
                    m_path, line,
                    ReadFault{QStringLiteral("the file is not well-formed XML (%1)."),
                              QStringLiteral("el archivo no es XML bien formado (%1).")}
                        .arg(m_xml.errorString()));
        }
        if (m_statements == 0)
            throw StatementError(
                m_path, 0,
                ReadFault{QStringLiteral("this is not a bank statement."),
                          QStringLiteral("esto no es un estado de cuenta bancario.")});
        m_s.format = QStringLiteral("camt.053.001.") + m_version;
        return m_s;
    }

private:
    bool under(const char* name) const { return m_stack.contains(QLatin1String(name)); }
    QString parent(int up = 1) const {
        return m_stack.size() > up ? m_stack.at(m_stack.size() - 1 - up) : QString();
    }

    void start() {
        const QString name = m_xml.name().toString();
        if (m_stack.isEmpty()) {
            const QString ns = m_xml.namespaceUri().toString();
            if (name != QLatin1String("Document") || !ns.startsWith(kNamespacePrefix)) {
                if (ns.contains(QLatin1String("camt.")))
                    throw StatementError(
                        m_path, int(m_xml.lineNumber()),
                        ReadFault{
                            QStringLiteral("this is not a statement of account (camt.053) but %1."),
                            QStringLiteral("esto no es un estado de cuenta (camt.053) sino %1.")}
                            .arg(ns.section(QLatin1Char(':'), -1)));
                throw StatementError(
                    m_path, int(m_xml.lineNumber()),
                    ReadFault{QStringLiteral("this is not a bank statement."),
                              QStringLiteral("esto no es un estado de cuenta bancario.")});
            }
            m_version = ns.mid(kNamespacePrefix.size());
            const int v = m_version.toInt();
            if (m_version.size() != 2 || v < 2 || v > 8)
                throw StatementError(
                    m_path, int(m_xml.lineNumber()),
                    ReadFault{QStringLiteral("camt.053 version .001.%1 is not one this program "
                                             "reads (.001.02 to .001.08)."),
                              QStringLiteral("la versión .001.%1 de camt.053 no es una que este "
                                             "programa lea (.001.02 a .001.08).")}
                        .arg(m_version));
        }
        m_stack.push_back(name);
        m_text.clear();
        if (name == QLatin1String("Stmt"))
            ++m_statements;
        if (m_statements != 1)
            return;
        if (name == QLatin1String("Ntry")) {
            m_entry = Entry();
            m_entry.line = int(m_xml.lineNumber());
            m_inEntry = true;
        } else if (name == QLatin1String("TxDtls") && m_inEntry) {
            m_entry.details.push_back(Detail());
        } else if (name == QLatin1String("Bal")) {
            m_balanceCode.clear();
            m_balanceSign.clear();
            m_balanceAmount = Amount();
            m_balanceDate = 0;
        }
        if (name == QLatin1String("Amt") || name == QLatin1String("TxAmt")) {
            m_amountCurrency = m_xml.attributes().value(QLatin1String("Ccy")).toString();
            m_amountLine = int(m_xml.lineNumber());
        }
    }

    Amount amountHere(const QString& text) {
        Amount a;
        a.present = true;
        a.currency = m_amountCurrency;
        a.line = m_amountLine;
        bool ok = false;
        a.value = parseAmount(text, false, &ok);
        if (!ok)
            throw StatementError(m_path, m_amountLine,
                                 ReadFault{QStringLiteral("the amount \"%1\" cannot be read."),
                                           QStringLiteral("el importe \"%1\" no se puede leer.")}
                                     .arg(text));
        return a;
    }

    void end() {
        const QString name = m_stack.isEmpty() ? QString() : m_stack.takeLast();
        const QString text = m_text.trimmed();
        m_text.clear();
        if (m_statements != 1 || !under("Stmt"))
            return;
        const QString up = parent(0);
        if (m_inEntry)
            endInEntry(name, up, text);
        else if (under("Bal"))
            endInBalance(name, up, text);
        else if (name == QLatin1String("Bal"))
            finishBalance();
        else if (under("Acct")) {
            if (name == QLatin1String("IBAN") ||
                (name == QLatin1String("Id") && up == QLatin1String("Othr")))
                m_s.account = text;
            else if (name == QLatin1String("Ccy") && up == QLatin1String("Acct"))
                m_s.currency = text;
        } else if (under("FrToDt")) {
            if (name == QLatin1String("FrDtTm"))
                m_s.periodStart = dateOfIso(text);
            else if (name == QLatin1String("ToDtTm"))
                m_s.periodEnd = dateOfIso(text);
        }
    }

    void endInBalance(const QString& name, const QString& up, const QString& text) {
        if (name == QLatin1String("Cd") && up == QLatin1String("CdOrPrtry"))
            m_balanceCode = text;
        else if (name == QLatin1String("Amt") && up == QLatin1String("Bal"))
            m_balanceAmount = amountHere(text);
        else if (name == QLatin1String("CdtDbtInd") && up == QLatin1String("Bal"))
            m_balanceSign = text;
        else if ((name == QLatin1String("Dt") || name == QLatin1String("DtTm")) &&
                 up == QLatin1String("Dt"))
            m_balanceDate = dateOfIso(text);
    }

    void finishBalance() {
        if (!m_balanceAmount.present)
            return;
        const double value =
            m_balanceSign == QLatin1String("DBIT") ? -m_balanceAmount.value : m_balanceAmount.value;
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
            under("TxDtls") && !m_entry.details.isEmpty() ? &m_entry.details.last() : nullptr;
        if (detail) {
            if (name == QLatin1String("Amt") &&
                (up == QLatin1String("TxDtls") || up == QLatin1String("TxAmt")))
                detail->amount = amountHere(text);
            else if (name == QLatin1String("CdtDbtInd") && up == QLatin1String("TxDtls"))
                detail->sign = text;
            else if (name == QLatin1String("ChqNb"))
                detail->check =
                    QString(text).remove(QRegularExpression(QStringLiteral("\\D"))).toLongLong();
            else if (name == QLatin1String("Ustrd"))
                detail->unstructured +=
                    (detail->unstructured.isEmpty() ? QString() : QStringLiteral(" ")) + text;
            else if (name == QLatin1String("Nm") && detail->party.isEmpty() && under("RltdPties"))
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
            m_entry.booked = dateOfIso(text);
        else if (name == QLatin1String("AddtlNtryInf"))
            m_entry.additional = text;
        else if (name == QLatin1String("AcctSvcrRef") && up == QLatin1String("Ntry"))
            m_entry.reference = text;
    }

    void checkCurrency(const Amount& a) {
        const QString expected = m_s.currency;
        if (!a.currency.isEmpty() && !expected.isEmpty() && a.currency != expected)
            throw StatementError(
                m_path, a.line,
                ReadFault{QStringLiteral("the item is in %1, the statement in %2."),
                          QStringLiteral("la partida está en %1, el estado de cuenta en %2.")}
                    .arg(a.currency, expected));
    }

    static QString describe(const Detail& d, const QString& fallback) {
        for (const QString& text : {d.unstructured, d.party, d.additional})
            if (!text.isEmpty())
                return text;
        return fallback;
    }

    void finishEntry() {
        // Only booked items are on the statement; pending ones come again when booked.
        if (!m_entry.status.isEmpty() && m_entry.status != QLatin1String("BOOK"))
            return;
        if (!m_entry.amount.present)
            throw StatementError(m_path, m_entry.line,
                                 ReadFault{QStringLiteral("the item has no amount."),
                                           QStringLiteral("la partida no tiene importe.")});
        if (m_entry.booked == 0)
            throw StatementError(
                m_path, m_entry.line,
                ReadFault{QStringLiteral("the item has no date it was booked on."),
                          QStringLiteral("la partida no tiene fecha de asiento.")});
        checkCurrency(m_entry.amount);
        const double sign = m_entry.sign == QLatin1String("DBIT") ? -1 : 1;
        bool batched = m_entry.details.size() > 1;
        for (const Detail& d : m_entry.details)
            batched = batched && d.amount.present;
        if (!batched) {
            StatementLine line;
            line.date = m_entry.booked;
            line.amount = sign * m_entry.amount.value;
            const Detail d = m_entry.details.value(0);
            line.check = m_entry.details.size() == 1 ? d.check : 0;
            line.description = describe(d, m_entry.additional);
            line.reference = m_entry.reference;
            line.fileLine = m_entry.line;
            m_s.lines.push_back(line);
            return;
        }
        // A batch: each transaction of the entry is an item of its own.
        for (const Detail& d : m_entry.details) {
            checkCurrency(d.amount);
            StatementLine line;
            line.date = m_entry.booked;
            const double s = d.sign.isEmpty() ? sign : d.sign == QLatin1String("DBIT") ? -1 : 1;
            line.amount = s * d.amount.value;
            line.check = d.check;
            line.description = describe(d, m_entry.additional);
            line.reference = d.reference.isEmpty() ? m_entry.reference : d.reference;
            line.fileLine = d.amount.line;
            m_s.lines.push_back(line);
        }
    }

    QString m_path;
    QXmlStreamReader m_xml;
    QStringList m_stack;
    QString m_text;
    QString m_version;
    int m_statements = 0;
    Statement m_s;
    bool m_inEntry = false;
    Entry m_entry;
    QString m_amountCurrency;
    int m_amountLine = 0;
    QString m_balanceCode, m_balanceSign;
    Amount m_balanceAmount;
    int m_balanceDate = 0;
};

} // namespace

Statement readCamt053(const QString& path, const QByteArray& data) {
    return CamtReader(path, data).read();
}
