// The help texts between RTF and the editor's document: what the editor writes comes back
// the same, and texts written elsewhere keep every word.

#include "rtf.h"
#include "test_support.h"

#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

// A help text as a Windows rich text box writes it: a larger heading, coloured and
// highlighted words, a bullet in the Symbol font, Spanish accents and the euro as \'hh, an
// empty paragraph and a picture.
const QString kWindowsRtf =
    uR"({\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1034{\fonttbl{\f0\fnil\fcharset0 Calibri;}{\f1\fnil\fcharset2 Symbol;}}
{\colortbl ;\red0\green0\blue128;\red255\green255\blue0;}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\sa200\sl276\slmult1\qc\b\f0\fs32\lang10 Conciliaci\'f3n\b0\fs22\par
\pard\li720\ri360\sb120\sa200\cf1\highlight2 Se\'f1ale\cf0\highlight0  los \strike anulados\strike0  H\sub 2\nosupersub O x\super 2\nosupersub\par
\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720\sa200\f0 Dep\'f3sitos \'80 5\par
\pard\par
\pard{\pict{\*\picprop}\wmetafile8\picw100\pich100\picwgoal300\pichgoal300 0a0b0c}\par
}
)"_s;

QString fromRtf(const QString& text) {
    QTextDocument document;
    rtf::toDocument(text, &document);
    return describeDocument(document);
}

} // namespace

class TestRtf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writtenTextReadsBackTheSame_data() {
        QTest::addColumn<QString>("html");
        QTest::newRow("heading, labels, looks and alignments")
            << u"<p align=center><b>CLEAR BANK TRANSACTIONS</b></p><p></p>"_s
               u"<p><b><span style='color:#000080'>Purpose:</span></b>"_s
               u"<span style='color:#000000'>  Explanation </span></p>"_s
               u"<p align=right><i>it</i> <u>ul</u> <b><i>both</i></b></p>"_s
               u"<p align=justify><span style='color:#008000'>green</span> plain</p>"_s;
        QTest::newRow("apostrophe and accents")
            << u"<p>O'Brien's caf\u00e9 \u2014 5\u20ac, na\u00efve \u0151 \u96fb</p>"_s;
        QTest::newRow("line break, tab, braces")
            << u"<p>one<br>two<span style='white-space:pre'>\tthree</span> {x} a\\b</p>"_s;
        QTest::newRow("empty paragraphs at the end") << u"<p>text</p><p></p><p></p>"_s;
        QTest::newRow("empty") << u""_s;
    }

    void writtenTextReadsBackTheSame() {
        QFETCH(QString, html);
        QTextDocument document;
        document.setHtml(html);
        const QString text = rtf::fromDocument(document);
        QVERIFY(rtf::isRtf(text));
        // Stored in any database column and in any code page.
        for (const QChar ch : text)
            QVERIFY2(ch.unicode() < 0x80, qPrintable(text));
        QCOMPARE(fromRtf(text), describeDocument(document));
    }

    void readsOtherWritersFormatting_data() {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unicode with fallbacks")
            << uR"({\rtf1\ansi A\u337?B\uc2\u-26885\'3f\'3fC{\uc0\u233}D})"_s
            << u"L|:A\u0151B\u96fbC\u00e9D"_s;
        QTest::newRow("groups restore the look")
            << uR"({\rtf1 a{\b b{\i c}\cf1 d}e\b f\plain g})"_s << u"L|:a|b:b|bi:c|b:d|:e|b:f|:g"_s;
        QTest::newRow("escapes, line, tab, named characters")
            << uR"({\rtf1 \{x\}\\ one\line two\tab three\~\rquote s \emdash\bullet
 four})"_s << u"L|:{x}\\ one\u2028two\tthree\u00a0\u2019s \u2014\u2022 four"_s;
        QTest::newRow("destinations skipped, field result kept")
            << uR"({\rtf1 {\*\shppict{\pict\wmetafile8 0a0b}}{\*\unknown junk}{\info{\title T}})"_s
               uR"({\field{\*\fldinst HYPERLINK x}{\fldrslt link}} {\pict\bin3 }}}} end})"_s
            << u"L|:\ufffclink \ufffc end"_s;
        QTest::newRow("paragraph format resets")
            << uR"({\rtf1\qc a\par b\pard\par\qr c\par\ql d})"_s << u"C|:a\nL|:b\nR|:c\nL|:d"_s;
        QTest::newRow("table cells and rows")
            << uR"({\rtf1\trowd\cellx100\cellx200 x\cell y\cell\row z})"_s << u"L|:x\ty\t\nL|:z"_s;
        QTest::newRow("a Windows help text")
            << kWindowsRtf
            << u"C|b:Conciliaci\u00f3n\nL|#000080:Se\u00f1ale|: los anulados H2O x2\n"_s
               u"L|:\u2022\tDep\u00f3sitos \u20ac 5\nL\nL|:\ufffc"_s;
        // Broken or very large texts load, showing what they can.
        QTest::newRow("unterminated")
            << uR"({\rtf1 {\b bold {\i open\'e)"_s << u"L|b:bold |bi:open"_s;
        QTest::newRow("stray braces and words")
            << uR"({\rtf1 a}}} b\ \u\'zz\bin-5 c})"_s << u"L|:a"_s;
        QTest::newRow("deep nesting")
            << u"{\\rtf1 "_s + QString(300000, '{') + u"deep"_s + QString(300000, '}') + '}'
            << u"L|:deep"_s;
        QTest::newRow("10 MB picture")
            << u"{\\rtf1 before{\\pict\\pngblip "_s + QString(10'000'000, 'a') + u"} after}"_s
            << u"L|:before\ufffc after"_s;
        QTest::newRow("not rtf") << u"Plain help\r\nSecond line"_s
                                 << u"L|:Plain help\nL|:Second line"_s;
    }

    void readsOtherWritersFormatting() {
        QFETCH(QString, rtf);
        QFETCH(QString, expected);
        QCOMPARE(fromRtf(rtf), expected);
    }

    // What other programs of the suite wrote keeps, when written again, the formatting the editor
    // does not offer (size, font, highlight, strike, position, indents, spacing, picture), so an
    // editor's OK loses none of it.
    void otherWritersKept() {
        QTextDocument document;
        rtf::toDocument(kWindowsRtf, &document);
        const QString written = rtf::fromDocument(document);
        for (const char* kept :
             {"\\fcharset2 Symbol;", "\\fs32", "\\highlight", "\\strike", "\\sub", "\\super",
              "\\li720\\ri360", "\\fi-360", "\\sb120\\sa200", "\\'b7",
              "{\\pict{\\*\\picprop}\\wmetafile8\\picw100\\pich100"
              "\\picwgoal300\\pichgoal300 0a0b0c}"})
            QVERIFY2(written.contains(QLatin1String(kept)), kept);
        QTextDocument again;
        rtf::toDocument(written, &again);
        QCOMPARE(rtf::fromDocument(again), written);
    }
};

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
