#include "rtf.h"

#include <algorithm>

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVector>
#include <memory>

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

// The Symbol font's characters where Unicode has them; the others are kept in the private
// area at U+F000 + byte, as Windows keeps them, so they are written back as they came.
constexpr std::pair<int, char16_t> kSymbolChars[] = {
    {0xA7, 0x2663}, {0xA8, 0x2666}, {0xA9, 0x2665}, {0xAA, 0x2660}, {0xAB, 0x2194}, {0xAC, 0x2190},
    {0xAD, 0x2191}, {0xAE, 0x2192}, {0xAF, 0x2193}, {0xB0, 0x00B0}, {0xB1, 0x00B1}, {0xB4, 0x00D7},
    {0xB7, 0x2022}, {0xB8, 0x00F7}, {0xD7, 0x22C5}, {0xE0, 0x25CA}};

QChar fromSymbol(int byte) {
    for (const auto& [b, u] : kSymbolChars)
        if (b == byte)
            return QChar(u);
    return QChar(char16_t(0xF000 + byte));
}

int toSymbol(QChar ch) {
    const char16_t u = ch.unicode();
    for (const auto& [b, c] : kSymbolChars)
        if (c == u)
            return b;
    if (u >= 0xF020 && u <= 0xF0FF)
        return u - 0xF000;
    return u < 0x80 ? u : -1;
}

// The font charsets (\fcharset) and the Windows code pages their \'hh bytes are in.
int codePageOfCharset(int charset, int ansiCodePage) {
    static const QHash<int, int> pages = {{161, 1253}, {162, 1254}, {163, 1258},
                                          {177, 1255}, {178, 1256}, {186, 1257},
                                          {204, 1251}, {222, 874},  {238, 1250}};
    return pages.value(charset, ansiCodePage);
}

constexpr int kSymbolCharset = 2;

// One byte of a single-byte Windows code page; code page 1252 where no converter is found.
class ByteDecoder {
public:
    QChar decode(int byte, int codePage) {
        if (codePage == 1252 || byte < 0x80)
            return fromCp1252(byte);
        auto found = m_decoders.find(codePage);
        if (found == m_decoders.end()) {
            const QByteArray name = "windows-" + QByteArray::number(codePage);
            auto decoder = std::make_shared<QStringDecoder>(name.constData());
            found = m_decoders.insert(codePage, decoder->isValid() ? decoder : nullptr);
        }
        if (!*found)
            return fromCp1252(byte);
        const QString text = (*found)->decode(QByteArray(1, char(byte)));
        return text.isEmpty() ? fromCp1252(byte) : text.front();
    }

private:
    QHash<int, std::shared_ptr<QStringDecoder>> m_decoders;
};

// What the reader keeps on a document for the writer: a run's font charset, and the RTF of a
// picture or object exactly as it was read.
constexpr int kCharsetProperty = QTextFormat::UserProperty + 1;
constexpr int kRawRtfProperty = QTextFormat::UserProperty + 2;

// Document margins are in pixels of 1/96 inch; RTF measures in twips.
constexpr double kTwipsPerPixel = 15.0;

// ---- Writing ----

struct Look {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int vertical = 0;  // 1 superscript, -1 subscript
    int colour = 0;    // index into the colour table; 0 is the reader's own colour
    int highlight = 0; // index into the colour table; 0 is none
    int size = 0;      // half points; 0 is the text's own size
    int font = -1;     // index into the font table; -1 is the default font

    bool operator==(const Look&) const = default;
};

struct Font {
    QString family;
    int charset = 0;
    bool operator==(const Font&) const = default;
};

bool hasColour(const QTextCharFormat& format) {
    return format.hasProperty(QTextFormat::ForegroundBrush) &&
           format.foreground().style() != Qt::NoBrush;
}

void appendEscaped(QString& out, const QString& text, bool symbolFont = false) {
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (symbolFont && u >= 0x80) {
            if (const int byte = toSymbol(ch); byte >= 0) {
                out += QStringLiteral("\\'%1").arg(byte, 2, 16, QLatin1Char('0'));
                continue;
            }
        }
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

Font fontOf(const QTextCharFormat& format) {
    if (!format.hasProperty(QTextFormat::FontFamilies))
        return {};
    return Font{format.fontFamilies().toStringList().value(0),
                format.property(kCharsetProperty).toInt()};
}

// The paragraph's indents and spacing, in twips.
QString paragraphWords(const QTextBlockFormat& format) {
    QString words;
    const auto add = [&words](const char* word, double pixels) {
        if (const int twips = qRound(pixels * kTwipsPerPixel); twips != 0)
            words += QStringLiteral("\\%1%2").arg(QLatin1String(word)).arg(twips);
    };
    add("li", format.leftMargin());
    add("ri", format.rightMargin());
    add("fi", format.textIndent());
    add("sb", format.topMargin());
    add("sa", format.bottomMargin());
    return words;
}

// The control words that turn the look of one run into that of the next.
QString changeWords(const Look& from, const Look& to) {
    QString codes;
    if (to.bold != from.bold)
        codes += to.bold ? QStringLiteral("\\b") : QStringLiteral("\\b0");
    if (to.italic != from.italic)
        codes += to.italic ? QStringLiteral("\\i") : QStringLiteral("\\i0");
    if (to.underline != from.underline)
        codes += to.underline ? QStringLiteral("\\ul") : QStringLiteral("\\ulnone");
    if (to.strike != from.strike)
        codes += to.strike ? QStringLiteral("\\strike") : QStringLiteral("\\strike0");
    if (to.vertical != from.vertical)
        codes += to.vertical > 0   ? QStringLiteral("\\super")
                 : to.vertical < 0 ? QStringLiteral("\\sub")
                                   : QStringLiteral("\\nosupersub");
    if (to.colour != from.colour)
        codes += QStringLiteral("\\cf%1").arg(to.colour);
    if (to.highlight != from.highlight)
        codes += QStringLiteral("\\highlight%1").arg(to.highlight);
    if (to.font != from.font)
        codes += QStringLiteral("\\f%1").arg(to.font);
    if (to.size != from.size && to.size > 0)
        codes += QStringLiteral("\\fs%1").arg(to.size);
    return codes;
}

// ---- Reading ----

// Destinations whose text is not part of the help text.
bool skippedDestination(const QString& word) {
    static const QStringList words = {QStringLiteral("stylesheet"),
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

// Destinations kept whole, as read, and written back unchanged: pictures and objects.
bool keptDestination(const QString& word) {
    return word == QLatin1String("pict") || word == QLatin1String("object") ||
           word == QLatin1String("shppict") || word == QLatin1String("nonshppict");
}

// Deeper nesting than any writer uses is malformed; its braces are only counted.
constexpr int kMaxDepth = 1000;

class Reader {
public:
    Reader(const QString& text, QTextDocument* document)
        : m_text(text), m_document(document), m_cursor(document) {}

    void read() {
        m_cursor.beginEditBlock();
        const qsizetype n = m_text.size();
        while (m_pos < n && !m_ended) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('{')) {
                ++m_pos;
                if (m_stack.size() >= kMaxDepth) {
                    ++m_overflow;
                    continue;
                }
                m_stack.push_back(m_state);
                m_groupStarts.push_back(m_pos - 1);
                m_skipChars = 0;
            } else if (c == QLatin1Char('}')) {
                ++m_pos;
                if (m_overflow > 0) {
                    --m_overflow;
                    continue;
                }
                endGroup();
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
                if (m_state.fontTable) {
                    fontNameCharacter(c);
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
    struct Paragraph {
        Qt::Alignment alignment = Qt::AlignLeft;
        int left = 0; // twips
        int right = 0;
        int firstLine = 0;
        int before = 0;
        int after = 0;
    };
    struct State {
        Look look;
        Paragraph paragraph;
        bool skip = false;
        bool colourTable = false;
        bool fontTable = false;
        int unicodeSkip = 1;
    };

    void endGroup() {
        if (m_state.fontTable && !m_stack.isEmpty() && m_stack.last().fontTable)
            endFontEntry(); // an entry in braces ends with its group
        if (m_stack.isEmpty())
            return;
        m_state = m_stack.takeLast();
        m_groupStarts.removeLast();
        // The document's own group is closed: what follows is no part of it.
        if (m_stack.isEmpty())
            m_ended = true;
    }

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
            const QString hex = m_text.mid(m_pos, 2);
            const int byte = hex.size() == 2 ? hex.toInt(&ok, 16) : 0;
            if (ok) {
                m_pos += 2;
                if (!m_state.fontTable)
                    character(decodeByte(byte));
            } else if (hex.size() < 2) {
                m_pos += hex.size(); // cut off at the end of the text
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

    // The byte in the code page of the current font's charset, or of the document.
    QChar decodeByte(int byte) {
        const int font = m_state.look.font >= 0 ? m_state.look.font : m_defaultFont;
        const auto found = m_fonts.constFind(font);
        const int charset = found == m_fonts.constEnd() ? 0 : found->charset;
        if (charset == kSymbolCharset)
            return fromSymbol(byte);
        return m_bytes.decode(byte, codePageOfCharset(charset, m_codePage));
    }

    void controlWord(const QString& word, bool hasParam, int param) {
        // Only where the group around it is read: a picture inside a skipped group goes with it.
        if (keptDestination(word) && !(m_stack.isEmpty() || m_stack.last().skip)) {
            keepGroup();
            return;
        }
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
        if (word == QLatin1String("fonttbl")) {
            m_state.fontTable = true;
            m_fontName.clear();
            return;
        }
        if (m_state.fontTable) {
            if (word == QLatin1String("f"))
                m_fontIndex = param;
            else if (word == QLatin1String("fcharset"))
                m_fontCharset = param;
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
        if (word == QLatin1String("ansicpg") && hasParam) {
            m_codePage = param;
            return;
        }
        if (word == QLatin1String("deff") && hasParam) {
            m_defaultFont = param;
            return;
        }
        if (m_state.skip)
            return;
        const bool on = !hasParam || param != 0;
        Look& look = m_state.look;
        Paragraph& par = m_state.paragraph;
        if (word == QLatin1String("par") || word == QLatin1String("row") ||
            word == QLatin1String("page") || word == QLatin1String("sect")) {
            paragraph();
        } else if (word == QLatin1String("line")) {
            character(QChar(QChar::LineSeparator));
        } else if (word == QLatin1String("tab") || word == QLatin1String("cell")) {
            character(QLatin1Char('\t'));
        } else if (word == QLatin1String("u") && hasParam) {
            m_skipChars = 0;
            const char16_t u = static_cast<char16_t>(param < 0 ? param + 65536 : param);
            character(u >= 0xF020 && u <= 0xF0FF && fontCharset() == kSymbolCharset
                          ? fromSymbol(u - 0xF000)
                          : QChar(u));
            m_skipChars = m_state.unicodeSkip;
        } else if (word == QLatin1String("uc") && hasParam) {
            m_state.unicodeSkip = std::max(param, 0);
        } else if (word == QLatin1String("b")) {
            look.bold = on;
        } else if (word == QLatin1String("i")) {
            look.italic = on;
        } else if (word == QLatin1String("ul") || word == QLatin1String("ulw") ||
                   word == QLatin1String("uld") || word == QLatin1String("uldb")) {
            look.underline = on;
        } else if (word == QLatin1String("ulnone")) {
            look.underline = false;
        } else if (word == QLatin1String("strike") || word == QLatin1String("strikedl")) {
            look.strike = on;
        } else if (word == QLatin1String("super")) {
            look.vertical = 1;
        } else if (word == QLatin1String("sub")) {
            look.vertical = -1;
        } else if (word == QLatin1String("nosupersub")) {
            look.vertical = 0;
        } else if (word == QLatin1String("up") || word == QLatin1String("dn")) {
            look.vertical = !on ? 0 : word == QLatin1String("up") ? 1 : -1;
        } else if (word == QLatin1String("cf")) {
            look.colour = hasParam ? param : 0;
        } else if (word == QLatin1String("highlight") || word == QLatin1String("cb")) {
            look.highlight = hasParam ? param : 0;
        } else if (word == QLatin1String("fs")) {
            look.size = hasParam ? std::clamp(param, 0, 3276) : 0;
        } else if (word == QLatin1String("f") && hasParam) {
            look.font = param;
        } else if (word == QLatin1String("plain")) {
            look = Look();
        } else if (word == QLatin1String("pard")) {
            par = Paragraph();
        } else if (word == QLatin1String("ql")) {
            par.alignment = Qt::AlignLeft;
        } else if (word == QLatin1String("qc")) {
            par.alignment = Qt::AlignHCenter;
        } else if (word == QLatin1String("qr")) {
            par.alignment = Qt::AlignRight;
        } else if (word == QLatin1String("qj")) {
            par.alignment = Qt::AlignJustify;
        } else if (word == QLatin1String("li")) {
            par.left = param;
        } else if (word == QLatin1String("ri")) {
            par.right = param;
        } else if (word == QLatin1String("fi")) {
            par.firstLine = param;
        } else if (word == QLatin1String("sb")) {
            par.before = param;
        } else if (word == QLatin1String("sa")) {
            par.after = param;
        } else if (word == QLatin1String("bin") && hasParam) {
            m_pos = std::min<qsizetype>(m_pos + std::max(param, 0), m_text.size());
        } else if (const QChar named = namedCharacter(word); !named.isNull()) {
            character(named);
        }
    }

    int fontCharset() const {
        const int font = m_state.look.font >= 0 ? m_state.look.font : m_defaultFont;
        return m_fonts.value(font).charset;
    }

    void fontNameCharacter(QChar c) {
        if (m_state.skip)
            return;
        if (c == QLatin1Char(';'))
            endFontEntry();
        else
            m_fontName += c;
    }

    void endFontEntry() {
        if (m_fontIndex >= 0 && !m_fontName.trimmed().isEmpty())
            m_fonts.insert(m_fontIndex, Font{m_fontName.trimmed(), m_fontCharset});
        m_fontName.clear();
        m_fontIndex = -1;
        m_fontCharset = 0;
    }

    // The group of a picture or object, from its brace to the matching one, is kept as one
    // object character in the text; a picture the document can show is shown.
    void keepGroup() {
        const qsizetype start = m_groupStarts.last();
        const qsizetype n = m_text.size();
        int depth = 1;
        qsizetype at = m_pos;
        while (at < n && depth > 0) {
            const QChar c = m_text.at(at++);
            if (c == QLatin1Char('{')) {
                ++depth;
            } else if (c == QLatin1Char('}')) {
                --depth;
            } else if (c == QLatin1Char('\\') && at < n) {
                if (m_text.at(at) == QLatin1Char('b') &&
                    m_text.mid(at, 3) == QLatin1String("bin")) {
                    qsizetype digits = at + 3;
                    while (digits < n && m_text.at(digits).isDigit())
                        ++digits;
                    const qsizetype count = m_text.mid(at + 3, digits - at - 3).toLongLong();
                    if (digits < n && m_text.at(digits) == QLatin1Char(' '))
                        ++digits;
                    at = std::min(n, digits + count);
                } else {
                    ++at; // an escaped brace or backslash
                }
            }
        }
        const QString raw = m_text.mid(start, at - start);
        m_pos = at;
        if (depth == 0) {
            m_state = m_stack.takeLast();
            m_groupStarts.removeLast();
        } else {
            m_ended = true; // the text ended inside the picture
        }
        insertObject(raw);
    }

    void insertObject(const QString& raw) {
        if (m_objectAt >= 0) {
            // The alternatives a writer gives for one picture stay together.
            QTextCursor object(m_document);
            object.setPosition(m_objectAt);
            object.setPosition(m_objectAt + 1, QTextCursor::KeepAnchor);
            QTextCharFormat format = object.charFormat();
            format.setProperty(kRawRtfProperty, format.property(kRawRtfProperty).toString() + raw);
            object.setCharFormat(format);
            return;
        }
        startText();
        flush();
        QTextImageFormat format = pictureFormat(raw);
        format.setProperty(kRawRtfProperty, raw);
        m_objectAt = m_cursor.position();
        m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
    }

    // A PNG or JPEG picture is shown at its intended size; others keep only their place.
    QTextImageFormat pictureFormat(const QString& raw) {
        QTextImageFormat format;
        const auto number = [&raw](const char* word) {
            const qsizetype at = raw.indexOf(QLatin1String(word));
            if (at < 0)
                return 0;
            qsizetype end = at + qsizetype(qstrlen(word));
            const qsizetype digits = end;
            while (end < raw.size() && raw.at(end).isDigit())
                ++end;
            return raw.mid(digits, end - digits).toInt();
        };
        if (const int width = number("\\picwgoal"); width > 0)
            format.setWidth(width / kTwipsPerPixel);
        if (const int height = number("\\pichgoal"); height > 0)
            format.setHeight(height / kTwipsPerPixel);
        if (!raw.contains(QLatin1String("\\pngblip")) && !raw.contains(QLatin1String("\\jpegblip")))
            return format;
        // The hex digits after the last control word of the picture group.
        const qsizetype close = raw.indexOf(QLatin1Char('}'), raw.lastIndexOf(QLatin1Char('\\')));
        qsizetype at = raw.lastIndexOf(QLatin1Char('\\'));
        while (at < raw.size() && raw.at(at) != QLatin1Char(' ') &&
               raw.at(at) != QLatin1Char('\r') && raw.at(at) != QLatin1Char('\n'))
            ++at;
        QByteArray hex;
        for (qsizetype i = at; i < (close < 0 ? raw.size() : close); ++i)
            if (raw.at(i).isLetterOrNumber())
                hex += char(raw.at(i).unicode());
        const QImage image = QImage::fromData(QByteArray::fromHex(hex));
        if (image.isNull())
            return format;
        const QString name = QStringLiteral("rtf-picture-%1").arg(++m_pictures);
        m_document->addResource(QTextDocument::ImageResource, QUrl(name), image);
        format.setName(name);
        return format;
    }

    // A paragraph ended earlier begins now, at its first character or object.
    void startText() {
        if (m_parPending) {
            flush();
            m_cursor.insertBlock();
            m_parPending = false;
        }
    }

    void character(QChar c) {
        if (m_state.skip || m_state.colourTable || m_state.fontTable)
            return;
        if (m_skipChars > 0) {
            --m_skipChars; // the fallback of a \u character
            return;
        }
        m_objectAt = -1;
        startText();
        if (!(m_state.look == m_pendingLook)) {
            flush();
            m_pendingLook = m_state.look;
        }
        m_pending += c;
    }

    // The paragraph ends now, with the paragraph format in effect; the next one begins with
    // its first character, so the closing \par of the last paragraph adds no empty one.
    void paragraph() {
        if (m_state.skip || m_state.colourTable || m_state.fontTable)
            return;
        m_objectAt = -1;
        flush();
        if (m_parPending)
            m_cursor.insertBlock();
        m_cursor.setBlockFormat(blockFormat());
        m_parPending = true;
    }

    QTextBlockFormat blockFormat() const {
        const Paragraph& par = m_state.paragraph;
        QTextBlockFormat format = m_cursor.blockFormat();
        format.setAlignment(par.alignment);
        format.setLeftMargin(par.left / kTwipsPerPixel);
        format.setRightMargin(par.right / kTwipsPerPixel);
        format.setTextIndent(par.firstLine / kTwipsPerPixel);
        format.setTopMargin(par.before / kTwipsPerPixel);
        format.setBottomMargin(par.after / kTwipsPerPixel);
        return format;
    }

    QColor colour(int index) const {
        return index > 0 && index < m_colours.size() ? m_colours.at(index) : QColor();
    }

    void flush() {
        if (m_pending.isEmpty())
            return;
        const Look& look = m_pendingLook;
        QTextCharFormat format;
        if (look.bold)
            format.setFontWeight(QFont::Bold);
        if (look.italic)
            format.setFontItalic(true);
        if (look.underline)
            format.setFontUnderline(true);
        if (look.strike)
            format.setFontStrikeOut(true);
        if (look.vertical != 0)
            format.setVerticalAlignment(look.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                                          : QTextCharFormat::AlignSubScript);
        if (const QColor c = colour(look.colour); c.isValid())
            format.setForeground(c);
        if (const QColor c = colour(look.highlight); c.isValid())
            format.setBackground(c);
        if (look.size > 0)
            format.setFontPointSize(look.size / 2.0);
        const int fontIndex = look.font >= 0 ? look.font : m_defaultFont;
        if (const auto font = m_fonts.constFind(fontIndex); font != m_fonts.constEnd()) {
            format.setFontFamilies(QStringList(font->family));
            format.setProperty(kCharsetProperty, font->charset);
        }
        m_cursor.insertText(m_pending, format);
        m_pending.clear();
    }

    const QString& m_text;
    QTextDocument* m_document;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    State m_state;
    QVector<State> m_stack;
    QVector<qsizetype> m_groupStarts; // where each open group's brace is
    int m_overflow = 0;
    bool m_ended = false;
    QList<QColor> m_colours;
    QColor m_colour;
    bool m_colourSeen = false;
    QHash<int, Font> m_fonts;
    QString m_fontName;
    int m_fontIndex = -1;
    int m_fontCharset = 0;
    int m_defaultFont = 0;
    int m_codePage = 1252;
    ByteDecoder m_bytes;
    int m_pictures = 0;
    int m_objectAt = -1; // the object just inserted, while nothing has followed it
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
    // The tables: every colour used for text or highlight, and every font runs name, after
    // the document's own font as \f0.
    QList<QRgb> colours;
    QList<Font> fonts = {Font{document.defaultFont().family(), 0}};
    const auto addColour = [&colours](const QBrush& brush) {
        if (brush.style() != Qt::NoBrush && !colours.contains(brush.color().rgb()))
            colours.push_back(brush.color().rgb());
    };
    for (QTextBlock block = document.begin(); block != document.end(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (hasColour(format))
                addColour(format.foreground());
            if (format.hasProperty(QTextFormat::BackgroundBrush))
                addColour(format.background());
            if (const Font font = fontOf(format); !font.family.isEmpty() && !fonts.contains(font))
                fonts.push_back(font);
        }

    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
    for (int i = 0; i < fonts.size(); ++i) {
        out += QStringLiteral("{\\f%1\\fnil").arg(i);
        if (fonts[i].charset != 0)
            out += QStringLiteral("\\fcharset%1").arg(fonts[i].charset);
        out += QLatin1Char(' ');
        appendEscaped(out, fonts[i].family);
        out += QLatin1String(";}");
    }
    out += QLatin1Char('}');
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
    const int points = document.defaultFont().pointSize();
    const int defaultSize = points > 0 ? points * 2 : 0;
    if (defaultSize > 0)
        out += QStringLiteral("\\fs%1").arg(defaultSize);

    Look current;
    current.font = 0;
    current.size = defaultSize;
    for (QTextBlock block = document.begin(); block != document.end(); block = block.next()) {
        out += QLatin1String("\\pard") + alignmentWord(block.blockFormat().alignment()) +
               paragraphWords(block.blockFormat());
        bool delimit = true; // a control word ends at a space, which the reader drops
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            // Pictures and objects go back as they came, one per object character.
            if (const QString raw = format.property(kRawRtfProperty).toString(); !raw.isEmpty()) {
                out += raw.repeated(fragment.text().count(QChar::ObjectReplacementCharacter));
                continue;
            }
            Look look;
            look.bold = format.fontWeight() > QFont::Medium;
            look.italic = format.fontItalic();
            look.underline = format.fontUnderline();
            look.strike = format.fontStrikeOut();
            if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
                look.vertical = 1;
            else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
                look.vertical = -1;
            if (hasColour(format))
                look.colour = int(colours.indexOf(format.foreground().color().rgb())) + 1;
            if (format.hasProperty(QTextFormat::BackgroundBrush) &&
                format.background().style() != Qt::NoBrush)
                look.highlight = int(colours.indexOf(format.background().color().rgb())) + 1;
            look.size = format.hasProperty(QTextFormat::FontPointSize)
                            ? qRound(format.fontPointSize() * 2)
                            : defaultSize;
            const Font font = fontOf(format);
            look.font = font.family.isEmpty() ? 0 : int(fonts.indexOf(font));
            const QString codes = changeWords(current, look);
            current = look;
            out += codes;
            if (delimit || !codes.isEmpty())
                out += QLatin1Char(' ');
            delimit = false;
            appendEscaped(out, fragment.text(), fonts.value(look.font).charset == kSymbolCharset);
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
