#include "rtf.h"

#include <algorithm>

#include <QColor>
#include <QHash>
#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>

namespace {

// Code page 1252 where it differs from Latin-1 (bytes 0x80 to 0x9F); 0 where the code page
// leaves the byte unassigned, which then reads as the Latin-1 control character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QChar fromCp1252(int byte) {
    if (byte >= 0x80 && byte < 0xA0 && kCp1252High[byte - 0x80])
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(byte);
}

// The byte of the character in code page 1252, or -1 when the code page lacks it.
int toCp1252(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u)
            return 0x80 + i;
    return -1;
}

// ---- Writing ----

struct Look {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int colour = 0; // index into the colour table; 0 is the reader's own colour
};

bool hasColour(const QTextCharFormat& format) {
    return format.hasProperty(QTextFormat::ForegroundBrush) &&
           format.foreground().style() != Qt::NoBrush;
}

void appendEscaped(QString& out, const QString& text) {
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += QLatin1Char('\\');
            out += ch;
        } else if (u == '\t') {
            out += QLatin1String("\\tab ");
        } else if (u == QChar::LineSeparator) {
            out += QLatin1String("\\line ");
        } else if (u >= 0x20 && u < 0x7F) {
            out += ch;
        } else if (u < 0x20 || u == QChar::ObjectReplacementCharacter) {
            continue; // no text of its own
        } else if (const int byte = toCp1252(ch); byte >= 0) {
            out += QStringLiteral("\\'%1").arg(byte, 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1?").arg(static_cast<short>(u));
        }
    }
}

QString alignmentWord(Qt::Alignment alignment) {
    switch (alignment & Qt::AlignHorizontal_Mask) {
    case Qt::AlignHCenter:
        return QStringLiteral("\\qc");
    case Qt::AlignRight:
        return QStringLiteral("\\qr");
    case Qt::AlignJustify:
        return QStringLiteral("\\qj");
    default:
        return {};
    }
}

// ---- Reading ----

// Destinations whose text is not part of the help text.
bool skippedDestination(const QString& word) {
    static const QStringList words = {QStringLiteral("fonttbl"),
                                      QStringLiteral("stylesheet"),
                                      QStringLiteral("info"),
                                      QStringLiteral("pict"),
                                      QStringLiteral("object"),
                                      QStringLiteral("header"),
                                      QStringLiteral("headerl"),
                                      QStringLiteral("headerr"),
                                      QStringLiteral("headerf"),
                                      QStringLiteral("footer"),
                                      QStringLiteral("footerl"),
                                      QStringLiteral("footerr"),
                                      QStringLiteral("footerf"),
                                      QStringLiteral("footnote"),
                                      QStringLiteral("fldinst"),
                                      QStringLiteral("listtable"),
                                      QStringLiteral("listoverridetable"),
                                      QStringLiteral("revtbl"),
                                      QStringLiteral("rsidtbl"),
                                      QStringLiteral("filetbl"),
                                      QStringLiteral("themedata"),
                                      QStringLiteral("colorschememapping"),
                                      QStringLiteral("datastore"),
                                      QStringLiteral("latentstyles"),
                                      QStringLiteral("generator"),
                                      QStringLiteral("xmlnstbl"),
                                      QStringLiteral("mmathPr"),
                                      QStringLiteral("nonshppict"),
                                      QStringLiteral("private"),
                                      QStringLiteral("pgdsctbl"),
                                      QStringLiteral("userprops")};
    return words.contains(word);
}

// Named characters.
QChar namedCharacter(const QString& word) {
    static const QHash<QString, char16_t> names = {
        {QStringLiteral("emdash"), 0x2014},    {QStringLiteral("endash"), 0x2013},
        {QStringLiteral("bullet"), 0x2022},    {QStringLiteral("lquote"), 0x2018},
        {QStringLiteral("rquote"), 0x2019},    {QStringLiteral("ldblquote"), 0x201C},
        {QStringLiteral("rdblquote"), 0x201D}, {QStringLiteral("emspace"), 0x2003},
        {QStringLiteral("enspace"), 0x2002},   {QStringLiteral("qmspace"), 0x2005}};
    const auto found = names.constFind(word);
    return found == names.constEnd() ? QChar() : QChar(*found);
}

class Reader {
public:
    Reader(const QString& text, QTextDocument* document) : m_text(text), m_cursor(document) {}

    void read() {
        m_cursor.beginEditBlock();
        const qsizetype n = m_text.size();
        while (m_pos < n) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('{')) {
                ++m_pos;
                m_stack.push_back(m_state);
                m_skipChars = 0;
            } else if (c == QLatin1Char('}')) {
                ++m_pos;
                if (!m_stack.isEmpty())
                    m_state = m_stack.takeLast();
                m_skipChars = 0;
            } else if (c == QLatin1Char('\\')) {
                ++m_pos;
                control();
            } else {
                ++m_pos;
                if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                    continue;
                if (m_state.colourTable && c == QLatin1Char(';')) {
                    m_colours.push_back(m_colourSeen ? m_colour : QColor());
                    m_colour = QColor(0, 0, 0);
                    m_colourSeen = false;
                    continue;
                }
                if (c == QLatin1Char('\t') || c.unicode() >= 0x20)
                    character(c);
            }
        }
        flush();
        if (!m_parPending)
            m_cursor.setBlockFormat(blockFormat());
        m_cursor.endEditBlock();
    }

private:
    struct State {
        Look look;
        Qt::Alignment alignment = Qt::AlignLeft;
        bool skip = false;
        bool colourTable = false;
        int unicodeSkip = 1;
    };

    void control() {
        if (m_pos >= m_text.size())
            return;
        const QChar c = m_text.at(m_pos);
        if (!isAsciiLetter(c)) {
            ++m_pos;
            symbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isAsciiLetter(m_text.at(m_pos)))
            ++m_pos;
        const QString word = m_text.mid(start, m_pos - start);
        bool hasParam = false;
        int param = 0;
        const qsizetype digits = m_pos;
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('-'))
            ++m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos).isDigit() &&
               m_text.at(m_pos).unicode() < 0x80)
            ++m_pos;
        if (m_pos > digits) {
            bool ok = false;
            param = m_text.mid(digits, m_pos - digits).toInt(&ok);
            hasParam = ok;
            if (!ok)
                m_pos = digits; // a lone '-' is text
        }
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(' '))
            ++m_pos;
        controlWord(word, hasParam, param);
    }

    static bool isAsciiLetter(QChar c) {
        const char16_t u = c.unicode();
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    }

    void symbol(QChar c) {
        switch (c.unicode()) {
        case '\'': {
            bool ok = false;
            const int byte = m_text.mid(m_pos, 2).toInt(&ok, 16);
            if (ok) {
                m_pos += 2;
                character(fromCp1252(byte));
            }
            break;
        }
        case '\\':
        case '{':
        case '}':
            character(c);
            break;
        case '~':
            character(QChar(0x00A0));
            break;
        case '_':
            character(QChar(0x2011));
            break;
        case '*':
            m_state.skip = true;
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default:
            break; // optional hyphen, index marks
        }
    }

    void controlWord(const QString& word, bool hasParam, int param) {
        if (skippedDestination(word)) {
            m_state.skip = true;
            return;
        }
        if (word == QLatin1String("colortbl")) {
            m_state.colourTable = true;
            m_colours.clear();
            m_colour = QColor(0, 0, 0);
            m_colourSeen = false;
            return;
        }
        if (m_state.colourTable) {
            const int value = std::clamp(param, 0, 255);
            if (word == QLatin1String("red"))
                m_colour.setRed(value);
            else if (word == QLatin1String("green"))
                m_colour.setGreen(value);
            else if (word == QLatin1String("blue"))
                m_colour.setBlue(value);
            else
                return;
            m_colourSeen = true;
            return;
        }
        if (m_state.skip)
            return;
        const bool on = !hasParam || param != 0;
        if (word == QLatin1String("par") || word == QLatin1String("row") ||
            word == QLatin1String("page") || word == QLatin1String("sect")) {
            paragraph();
        } else if (word == QLatin1String("line")) {
            character(QChar(QChar::LineSeparator));
        } else if (word == QLatin1String("tab") || word == QLatin1String("cell")) {
            character(QLatin1Char('\t'));
        } else if (word == QLatin1String("u") && hasParam) {
            m_skipChars = 0;
            character(QChar(static_cast<char16_t>(param < 0 ? param + 65536 : param)));
            m_skipChars = m_state.unicodeSkip;
        } else if (word == QLatin1String("uc") && hasParam) {
            m_state.unicodeSkip = std::max(param, 0);
        } else if (word == QLatin1String("b")) {
            m_state.look.bold = on;
        } else if (word == QLatin1String("i")) {
            m_state.look.italic = on;
        } else if (word == QLatin1String("ul") || word == QLatin1String("ulw") ||
                   word == QLatin1String("uld") || word == QLatin1String("uldb")) {
            m_state.look.underline = on;
        } else if (word == QLatin1String("ulnone")) {
            m_state.look.underline = false;
        } else if (word == QLatin1String("cf")) {
            m_state.look.colour = hasParam ? param : 0;
        } else if (word == QLatin1String("plain")) {
            m_state.look = Look();
        } else if (word == QLatin1String("pard")) {
            m_state.alignment = Qt::AlignLeft;
        } else if (word == QLatin1String("ql")) {
            m_state.alignment = Qt::AlignLeft;
        } else if (word == QLatin1String("qc")) {
            m_state.alignment = Qt::AlignHCenter;
        } else if (word == QLatin1String("qr")) {
            m_state.alignment = Qt::AlignRight;
        } else if (word == QLatin1String("qj")) {
            m_state.alignment = Qt::AlignJustify;
        } else if (word == QLatin1String("bin") && hasParam) {
            m_pos = std::min<qsizetype>(m_pos + std::max(param, 0), m_text.size());
        } else if (const QChar named = namedCharacter(word); !named.isNull()) {
            character(named);
        }
    }

    void character(QChar c) {
        if (m_state.skip || m_state.colourTable)
            return;
        if (m_skipChars > 0) {
            --m_skipChars; // the fallback of a \u character
            return;
        }
        if (m_parPending) {
            flush();
            m_cursor.insertBlock();
            m_parPending = false;
        }
        if (!sameLook(m_state.look, m_pendingLook)) {
            flush();
            m_pendingLook = m_state.look;
        }
        m_pending += c;
    }

    // The paragraph ends now, with the paragraph format in effect; the next one begins with
    // its first character, so the closing \par of the last paragraph adds no empty one.
    void paragraph() {
        if (m_state.skip || m_state.colourTable)
            return;
        flush();
        if (m_parPending)
            m_cursor.insertBlock();
        m_cursor.setBlockFormat(blockFormat());
        m_parPending = true;
    }

    QTextBlockFormat blockFormat() const {
        QTextBlockFormat format = m_cursor.blockFormat();
        format.setAlignment(m_state.alignment);
        return format;
    }

    void flush() {
        if (m_pending.isEmpty())
            return;
        QTextCharFormat format;
        if (m_pendingLook.bold)
            format.setFontWeight(QFont::Bold);
        if (m_pendingLook.italic)
            format.setFontItalic(true);
        if (m_pendingLook.underline)
            format.setFontUnderline(true);
        const int index = m_pendingLook.colour;
        if (index > 0 && index < m_colours.size() && m_colours.at(index).isValid())
            format.setForeground(m_colours.at(index));
        m_cursor.insertText(m_pending, format);
        m_pending.clear();
    }

    static bool sameLook(const Look& a, const Look& b) {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
               a.colour == b.colour;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    State m_state;
    QVector<State> m_stack;
    QList<QColor> m_colours;
    QColor m_colour;
    bool m_colourSeen = false;
    int m_skipChars = 0;
    bool m_parPending = false;
    QString m_pending;
    Look m_pendingLook;
};

} // namespace

namespace rtf {

bool isRtf(const QString& text) {
    return text.trimmed().startsWith(QLatin1String("{\\rtf"));
}

QString fromDocument(const QTextDocument& document) {
    QList<QRgb> colours;
    for (QTextBlock block = document.begin(); block != document.end(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (hasColour(format) && !colours.contains(format.foreground().color().rgb()))
                colours.push_back(format.foreground().color().rgb());
        }

    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil ");
    appendEscaped(out, document.defaultFont().family());
    out += QLatin1String(";}}");
    if (!colours.isEmpty()) {
        out += QLatin1String("\r\n{\\colortbl ;");
        for (const QRgb rgb : colours)
            out += QStringLiteral("\\red%1\\green%2\\blue%3;")
                       .arg(qRed(rgb))
                       .arg(qGreen(rgb))
                       .arg(qBlue(rgb));
        out += QLatin1Char('}');
    }
    out += QLatin1String("\r\n\\uc1\\f0");
    if (const int points = document.defaultFont().pointSize(); points > 0)
        out += QStringLiteral("\\fs%1").arg(points * 2);

    Look current;
    for (QTextBlock block = document.begin(); block != document.end(); block = block.next()) {
        out += QLatin1String("\\pard") + alignmentWord(block.blockFormat().alignment());
        bool delimit = true; // a control word ends at a space, which the reader drops
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            QString codes;
            Look look;
            look.bold = format.fontWeight() > QFont::Medium;
            look.italic = format.fontItalic();
            look.underline = format.fontUnderline();
            if (hasColour(format))
                look.colour = int(colours.indexOf(format.foreground().color().rgb())) + 1;
            if (look.bold != current.bold)
                codes += look.bold ? QStringLiteral("\\b") : QStringLiteral("\\b0");
            if (look.italic != current.italic)
                codes += look.italic ? QStringLiteral("\\i") : QStringLiteral("\\i0");
            if (look.underline != current.underline)
                codes += look.underline ? QStringLiteral("\\ul") : QStringLiteral("\\ulnone");
            if (look.colour != current.colour)
                codes += QStringLiteral("\\cf%1").arg(look.colour);
            current = look;
            out += codes;
            if (delimit || !codes.isEmpty())
                out += QLatin1Char(' ');
            delimit = false;
            appendEscaped(out, fragment.text());
        }
        out += QLatin1String("\\par\r\n");
    }
    out += QLatin1Char('}');
    return out;
}

void toDocument(const QString& text, QTextDocument* document) {
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false); // the stored text is not the clerk's edit
    document->clear();
    if (isRtf(text))
        Reader(text, document).read();
    else
        document->setPlainText(text);
    document->setUndoRedoEnabled(undo);
}

} // namespace rtf
