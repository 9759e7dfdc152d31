// The help texts between RTF and the editor's document: what the editor writes comes back
// the same, and texts written elsewhere keep every word.

#include "rtf.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

// A document as the clerk sees it: per paragraph its alignment, then its runs of equal look
// ("b" bold, "i" italic, "u" underline, a colour) with their text.
QString describe(const QTextDocument& document) {
    QStringList blocks;
    for (QTextBlock block = document.begin(); block != document.end(); block = block.next()) {
        const int align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        QString text = align == Qt::AlignHCenter   ? "C"
                       : align == Qt::AlignRight   ? "R"
                       : align == Qt::AlignJustify ? "J"
                                                   : "L";
        QString lastLook;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString look = QString(f.fontWeight() > QFont::Medium ? "b" : "") +
                           (f.fontItalic() ? "i" : "") + (f.fontUnderline() ? "u" : "");
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                look += f.foreground().color().name();
            if (look != lastLook || text.size() == 1)
                text += '|' + look + ':';
            text += it.fragment().text();
            lastLook = look;
        }
        blocks << text;
    }
    return blocks.join('\n');
}

QString fromRtf(const QString& text) {
    QTextDocument document;
    rtf::toDocument(text, &document);
    return describe(document);
}

} // namespace

class TestRtf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void reading_data();
    void reading();
};
void TestRtf::roundTrip_data() {
    QTest::addColumn<QString>("html");
    QTest::newRow("heading and labels")
        << u"<p align=center><b>CLEAR BANK TRANSACTIONS</b></p><p></p>"_s
           u"<p><b><span style='color:#000080'>Purpose:</span></b>"_s
           u"<span style='color:#000000'>  Explanation </span></p>"_s;
    QTest::newRow("apostrophe and accents")
        << u"<p>O'Brien's caf\u00e9 \u2014 5\u20ac, na\u00efve \u0151 \u96fb</p>"_s;
    QTest::newRow("line break, tab, braces")
        << u"<p>one<br>two<span style='white-space:pre'>\tthree</span> {x} a\\b</p>"_s;
    QTest::newRow("looks and alignments")
        << u"<p align=right><i>it</i> <u>ul</u> <b><i>both</i></b></p>"_s
           u"<p align=justify><span style='color:#008000'>green</span> "_s
           u"<span style='color:#800000'>red</span> plain</p>"_s;
    QTest::newRow("empty paragraphs at the end") << u"<p>text</p><p></p><p></p>"_s;
    QTest::newRow("empty") << u""_s;
}

void TestRtf::roundTrip() {
    QFETCH(QString, html);
    QTextDocument document;
    document.setHtml(html);
    const QString text = rtf::fromDocument(document);
    QVERIFY(rtf::isRtf(text));
    // Stored in any database column and in any code page.
    for (const QChar ch : text)
        QVERIFY2(ch.unicode() < 0x80, qPrintable(text));
    QCOMPARE(fromRtf(text), describe(document));
}

void TestRtf::reading_data() {
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("expected");
    QTest::newRow("tables skipped, colours read")
        << uR"({\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman Times New Roman;}}
{\colortbl ;\red128\green0\blue0;\red0\green0\blue128;}
{\*\generator Riched20 10.0;}\viewkind4\uc1 
\pard\qc\b\f0\fs20 CLEAR BANK\par
\pard\par
\cf2 Purpose:\cf0\b0   Caf\'e9 \'80 5\par
})"_s << u"C|b:CLEAR BANK\nL\nL|b#000080:Purpose:|:  Caf\u00e9 \u20ac 5"_s;
    QTest::newRow("unicode with fallbacks")
        << uR"({\rtf1\ansi A\u337?B\uc2\u-26885\'3f\'3fC{\uc0\u233}D})"_s
        << u"L|:A\u0151B\u96fbC\u00e9D"_s;
    QTest::newRow("groups restore the look")
        << uR"({\rtf1 a{\b b{\i c}\cf1 d}e\b f\plain g})"_s << u"L|:a|b:b|bi:c|b:d|:e|b:f|:g"_s;
    QTest::newRow("escapes, line, tab, named characters")
        << uR"({\rtf1 \{x\}\\ one\line two\tab three\~\rquote s \emdash\bullet
 four})"_s
        << u"L|:{x}\\ one\u2028two\tthree\u00a0\u2019s \u2014\u2022 four"_s;
    QTest::newRow("destinations skipped, field result kept")
        << uR"({\rtf1 {\*\shppict{\pict\wmetafile8 0a0b}}{\*\unknown junk}{\info{\title T}})"_s
           uR"({\field{\*\fldinst HYPERLINK x}{\fldrslt link}} {\pict\bin3 }}}} end})"_s
        << u"L|:link  end"_s;
    QTest::newRow("paragraph format resets")
        << uR"({\rtf1\qc a\par b\pard\par\qr c\par\ql d})"_s << u"C|:a\nL|:b\nR|:c\nL|:d"_s;
    QTest::newRow("table cells and rows")
        << uR"({\rtf1\trowd\cellx100\cellx200 x\cell y\cell\row z})"_s << u"L|:x\ty\t\nL|:z"_s;
    QTest::newRow("not rtf") << u"Plain help\r\nSecond line"_s
                             << u"L|:Plain help\nL|:Second line"_s;
}

void TestRtf::reading() {
    QFETCH(QString, rtf);
    QFETCH(QString, expected);
    QCOMPARE(fromRtf(rtf), expected);
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
