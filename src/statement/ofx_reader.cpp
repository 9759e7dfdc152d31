// OFX and QFX statements. OFX 1.x is SGML: a header of "KEY:VALUE" lines, then tags whose
// closing tag may be left out for elements that hold a value; it is read by a small tag
// scanner. OFX 2.x is XML and read by QXmlStreamReader. Both hand the same events to one
// builder, so both give the same statements. Each bank or credit-card statement (STMTRS,
// CCSTMTRS) becomes one statement; a file may hold several.

#include "statement.h"

#include <QXmlStreamReader>

using namespace statement_text;

namespace {

const ReadFault kCutShort{
    QStringLiteral("the file ends before the statement does; it may have been cut short."),
    QStringLiteral("el archivo termina antes que el estado de cuenta; puede estar cortado.")};

// Builds statements from the elements of the file: an aggregate's start and end, and each
// element that holds a value.
class OfxBuilder {
public:
    explicit OfxBuilder(const QString& path) : m_path(path) {
        m_file.format = QStringLiteral("OFX");
    }

    void start(QStringView name, int line) {
        m_stack.push_back(name.toString());
        if (name == QLatin1String("STMTRS") || name == QLatin1String("CCSTMTRS")) {
            if (m_inStatement)
                fail(line, ReadFault{QStringLiteral("a statement begins inside another one."),
                                     QStringLiteral("un estado de cuenta empieza dentro de "
                                                    "otro.")});
            m_inStatement = true;
            m_statement = Statement();
            m_statement.format = m_file.format;
            m_statement.fileLine = line;
        } else if (name == QLatin1String("STMTTRN")) {
            if (!m_inStatement || m_inItem)
                fail(line, ReadFault{QStringLiteral("an item (STMTTRN) is expected only in a "
                                                    "statement's list of items."),
                                     QStringLiteral("una partida (STMTTRN) solo se espera en la "
                                                    "lista de partidas de un estado de cuenta.")});
            m_inItem = true;
            m_item = StatementLine();
            m_item.fileLine = line;
            m_hasAmount = false;
            m_name.clear();
            m_memo.clear();
        }
    }

    void value(QStringView name, QStringView text, int line) {
        m_stack.push_back(name.toString());
        if (m_inItem)
            itemValue(name, text, line);
        else if (m_inStatement)
            statementValue(name, text, line);
        m_stack.pop_back();
    }

    void end(QStringView name) {
        if (name == QLatin1String("STMTTRN") && m_inItem) {
            m_inItem = false;
            if (m_item.date == 0)
                fail(m_item.fileLine,
                     ReadFault{QStringLiteral("the item has no date it was booked on (DTPOSTED)."),
                               QStringLiteral("la partida no tiene fecha de asiento "
                                              "(DTPOSTED).")});
            if (!m_hasAmount)
                fail(m_item.fileLine,
                     ReadFault{QStringLiteral("the item has no amount (TRNAMT)."),
                               QStringLiteral("la partida no tiene importe (TRNAMT).")});
            m_item.description = m_name;
            if (!m_memo.isEmpty() && m_memo != m_name)
                m_item.description +=
                    (m_name.isEmpty() ? QString() : QStringLiteral(" / ")) + m_memo;
            m_statement.lines.push_back(m_item);
        } else if ((name == QLatin1String("STMTRS") || name == QLatin1String("CCSTMTRS")) &&
                   m_inStatement) {
            m_inStatement = false;
            m_file.statements.push_back(m_statement);
        } else if (name == QLatin1String("OFX")) {
            m_ended = true;
        }
        m_stack.pop_back();
    }

    StatementFile finish(int lastLine) {
        if (!m_ended)
            fail(lastLine, kCutShort);
        if (m_file.statements.isEmpty())
            fail(0, ReadFault{QStringLiteral("the file holds no bank or credit-card statement "
                                             "(STMTRS or CCSTMTRS)."),
                              QStringLiteral("el archivo no contiene ningún estado de cuenta "
                                             "bancario ni de tarjeta (STMTRS o CCSTMTRS).")});
        return m_file;
    }

    [[noreturn]] void fail(int line, const ReadFault& fault) const {
        // The last elements of the path are enough to find the place.
        const QStringList path = m_stack.mid(std::max<qsizetype>(0, m_stack.size() - 3));
        throw StatementError(m_path, line, fault, path.join(QLatin1Char('/')));
    }

private:
    bool under(QLatin1String name) const {
        return m_stack.size() >= 2 && m_stack.at(m_stack.size() - 2) == name;
    }

    int date(QStringView text, int line) const {
        const int d = ofxDate(text);
        if (d == 0)
            fail(line, dateFault(text, QStringLiteral("YYYYMMDD")));
        return d;
    }

    Cents amount(QStringView text, int line) const {
        // The standard allows a point or a comma as the decimal separator.
        MoneyForm form;
        form.decimal = MoneyForm::Decimal::Either;
        const MoneyRead read = readMoney(text, form);
        if (!read.ok)
            fail(line, amountFault(text, read.fault));
        return read.cents;
    }

    void itemValue(QStringView name, QStringView text, int line) {
        if (name == QLatin1String("DTPOSTED")) {
            m_item.date = date(text, line);
        } else if (name == QLatin1String("TRNAMT")) {
            m_item.cents = amount(text, line);
            m_hasAmount = true;
        } else if (name == QLatin1String("CHECKNUM")) {
            const MoneyRead n = readCentsDigits(text.trimmed(), false);
            m_item.check = n.ok ? n.cents : 0; // a check number that is not a number is text
        } else if (name == QLatin1String("NAME")) {
            m_name = text.trimmed().toString();
        } else if (name == QLatin1String("MEMO")) {
            m_memo = text.trimmed().toString();
        } else if (name == QLatin1String("FITID")) {
            m_item.reference = text.trimmed().toString();
        }
    }

    void statementValue(QStringView name, QStringView text, int line) {
        if (name == QLatin1String("CURDEF")) {
            m_statement.currency = text.trimmed().toString();
        } else if (name == QLatin1String("ACCTID") &&
                   (under(QLatin1String("BANKACCTFROM")) || under(QLatin1String("CCACCTFROM")))) {
            m_statement.account = text.trimmed().toString();
        } else if (under(QLatin1String("BANKTRANLIST"))) {
            if (name == QLatin1String("DTSTART"))
                m_statement.periodStart = date(text, line);
            else if (name == QLatin1String("DTEND"))
                m_statement.periodEnd = date(text, line);
        } else if (under(QLatin1String("LEDGERBAL"))) {
            // An empty balance is no balance, not a balance of 0.
            if (name == QLatin1String("BALAMT") && !text.trimmed().isEmpty()) {
                m_statement.hasClosing = true;
                m_statement.closing = amount(text, line);
            } else if (name == QLatin1String("DTASOF")) {
                m_statement.closingDate = date(text, line);
            }
        }
    }

    QString m_path;
    StatementFile m_file;
    QStringList m_stack;
    bool m_inStatement = false;
    bool m_inItem = false;
    bool m_ended = false;
    Statement m_statement;
    StatementLine m_item;
    bool m_hasAmount = false;
    QString m_name, m_memo;
};

// The SGML of OFX 1.x. An element whose tag is followed by text holds that value and needs no
// closing tag; an element followed by another tag is an aggregate, closed by its closing tag
// or by the closing tag of one around it.
class SgmlScanner {
public:
    SgmlScanner(const QString& text, OfxBuilder& builder) : m_text(text), m_builder(builder) {}

    // Reads to the end; returns the last line.
    int run() {
        // The header lines come before the first tag.
        while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('<'))
            advance();
        while (m_pos < m_text.size()) {
            if (m_text.at(m_pos) != QLatin1Char('<')) {
                const qsizetype start = m_pos;
                while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('<'))
                    advance();
                if (m_pending)
                    m_value += QStringView(m_text).mid(start, m_pos - start);
                else if (!QStringView(m_text).mid(start, m_pos - start).trimmed().isEmpty())
                    m_builder.fail(m_line,
                                   ReadFault{QStringLiteral("text stands outside any element."),
                                             QStringLiteral("hay texto fuera de todo elemento.")});
                continue;
            }
            const QStringView rest = QStringView(m_text).mid(m_pos);
            if (rest.startsWith(QLatin1String("<!--"))) {
                skipPast(QLatin1String("-->"));
            } else if (rest.startsWith(QLatin1String("<?")) ||
                       rest.startsWith(QLatin1String("<!"))) {
                skipPast(QLatin1String(">"));
            } else {
                tag();
            }
        }
        if (m_pending)
            resolvePending(QStringView());
        // The last line is the last one with text, not the empty one after the last line end.
        return m_text.endsWith(QLatin1Char('\n')) ? m_line - 1 : m_line;
    }

private:
    void advance() {
        if (m_text.at(m_pos) == QLatin1Char('\n'))
            ++m_line;
        ++m_pos;
    }

    void skipPast(QLatin1String close) {
        const int line = m_line;
        const qsizetype end = m_text.indexOf(close, m_pos);
        if (end < 0)
            m_builder.fail(line, ReadFault{QStringLiteral("a comment or declaration never ends."),
                                           QStringLiteral("un comentario o una declaración no "
                                                          "termina nunca.")});
        while (m_pos < end + close.size())
            advance();
    }

    void tag() {
        const int line = m_line;
        const qsizetype close = m_text.indexOf(QLatin1Char('>'), m_pos);
        const qsizetype nextOpen = m_text.indexOf(QLatin1Char('<'), m_pos + 1);
        if (close < 0 || (nextOpen >= 0 && nextOpen < close))
            m_builder.fail(line, ReadFault{QStringLiteral("a tag is not closed by \">\"."),
                                           QStringLiteral("una etiqueta no se cierra con "
                                                          "\">\".")});
        QStringView inside = QStringView(m_text).mid(m_pos + 1, close - m_pos - 1);
        const bool closing = inside.startsWith(QLatin1Char('/'));
        const QStringView name = (closing ? inside.mid(1) : inside).trimmed();
        bool valid = !name.isEmpty();
        for (const QChar c : name)
            valid =
                valid && (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('_'));
        if (!valid)
            m_builder.fail(
                line,
                ReadFault{
                    QStringLiteral("\"<%1>\" is not a tag of an OFX file.").arg(quoted(inside)),
                    QStringLiteral("\"<%1>\" no es una etiqueta de un "
                                   "archivo OFX.")
                        .arg(quoted(inside))});
        while (m_pos <= close)
            advance();
        if (closing)
            closeElement(name, line);
        else
            openElement(name, line);
    }

    // The element before this tag is known now: a value when text followed it, else an
    // aggregate (followed by a tag that opens) or an empty value (followed by one that closes).
    bool resolvePending(QStringView closingName) {
        m_pending = false;
        const QString value = decodeReferences(m_value);
        m_value.clear();
        if (!value.trimmed().isEmpty() || !closingName.isNull()) {
            m_builder.value(m_pendingName, value, m_pendingLine);
            return closingName == m_pendingName; // its own closing tag was written
        }
        m_builder.start(m_pendingName, m_pendingLine);
        m_open.push_back(m_pendingName);
        return false;
    }

    void openElement(QStringView name, int line) {
        if (m_pending)
            resolvePending(QStringView());
        m_pending = true;
        m_pendingName = name.toString();
        m_pendingLine = line;
    }

    void closeElement(QStringView name, int line) {
        if (m_pending && resolvePending(name))
            return;
        qsizetype at = m_open.size() - 1;
        while (at >= 0 && m_open.at(at) != name)
            --at;
        if (at < 0)
            m_builder.fail(line, ReadFault{QStringLiteral("the closing tag </%1> closes nothing "
                                                          "that is open.")
                                               .arg(quoted(name)),
                                           QStringLiteral("la etiqueta de cierre </%1> no cierra "
                                                          "nada que esté abierto.")
                                               .arg(quoted(name))});
        // Aggregates left open inside it end with it.
        while (m_open.size() > at) {
            m_builder.end(m_open.back());
            m_open.pop_back();
        }
    }

    // Character references ("&#233;", "&#xE9;") and the entities of SGML text.
    static QString decodeReferences(const QString& text) {
        if (!text.contains(QLatin1Char('&')))
            return text;
        QString out;
        out.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype semicolon =
                text.at(i) == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i) : -1;
            if (semicolon < 0 || semicolon - i > 10) {
                out += text.at(i);
                continue;
            }
            const QStringView ref = QStringView(text).mid(i + 1, semicolon - i - 1);
            char32_t code = 0;
            if (ref == QLatin1String("amp"))
                code = '&';
            else if (ref == QLatin1String("lt"))
                code = '<';
            else if (ref == QLatin1String("gt"))
                code = '>';
            else if (ref == QLatin1String("quot"))
                code = '"';
            else if (ref == QLatin1String("apos"))
                code = '\'';
            else if (ref == QLatin1String("nbsp"))
                code = 0xA0;
            else if (ref.startsWith(QLatin1Char('#'))) {
                bool ok = false;
                const bool hex = ref.size() > 1 &&
                                 (ref.at(1) == QLatin1Char('x') || ref.at(1) == QLatin1Char('X'));
                const uint n = ref.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
                if (ok && n > 0 && n <= 0x10FFFF && (n < 0xD800 || n > 0xDFFF))
                    code = n;
            }
            if (code == 0) { // not a reference: text as written ("AT&T; Inc")
                out += text.at(i);
                continue;
            }
            out += QString::fromUcs4(&code, 1);
            i = semicolon;
        }
        return out;
    }

    const QString& m_text;
    OfxBuilder& m_builder;
    qsizetype m_pos = 0;
    int m_line = 1;
    QStringList m_open;
    bool m_pending = false;
    QString m_pendingName;
    int m_pendingLine = 0;
    QString m_value;
};

// Reads to the end; returns the last line.
int readXml(const QByteArray& data, OfxBuilder& builder) {
    QXmlStreamReader xml;
    XmlFeed feed(xml, data);
    QXmlStreamReader::TokenType token;
    bool pending = false; // an element started, and no element inside it yet
    QString pendingName;
    QString text;
    int pendingLine = 0;
    while (feed.next(&token)) {
        switch (token) {
        case QXmlStreamReader::StartElement:
            if (pending)
                builder.start(pendingName, pendingLine);
            pending = true;
            pendingName = xml.name().toString();
            text.clear();
            pendingLine = int(xml.lineNumber());
            break;
        case QXmlStreamReader::Characters:
            if (pending)
                text += xml.text();
            break;
        case QXmlStreamReader::EndElement:
            if (pending)
                builder.value(xml.name(), text, pendingLine);
            else
                builder.end(xml.name());
            pending = false;
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            builder.fail(int(xml.lineNumber()), kCutShort);
        builder.fail(int(xml.lineNumber()),
                     ReadFault{QStringLiteral("the file is not well-formed XML (%1)."),
                               QStringLiteral("el archivo no es XML bien formado (%1).")}
                         .arg(xml.errorString()));
    }
    return int(xml.lineNumber());
}

} // namespace

StatementFile readOfx(const QString& path, const QByteArray& data) {
    OfxBuilder builder(path);
    const QString text = decode(data);
    const QStringView start = QStringView(text).trimmed();
    const int lastLine = start.startsWith(QLatin1String("<?xml"))
                             ? readXml(data, builder)
                             : SgmlScanner(text, builder).run();
    return builder.finish(lastLine);
}
