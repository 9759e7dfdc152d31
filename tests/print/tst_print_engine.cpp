#include "clock.h"
#include "print_engine.h"
#include "report.h"
#include "settings.h"
#include "test_support.h"

#include <QLocale>

using namespace mdlPRINTING;
using Surfaces = std::unique_ptr<RecordingSurface>;

namespace {

const int kLine8 = lineHeight(8); // 181 twips
const int kChar8 = charWidth(8);  // 96 twips

// Stands in for the preview window: Next clears the picture and goes on.
struct ScriptedPreview : PreviewHost {
    RecordingSurface* surface = nullptr;
    bool endOfPage = false;
    int shown = 0;
    bool mp = false;
    void setMultipage(bool value) override { mp = value; }
    bool multipage() const override { return mp; }
    void setPageNumber(int) override {}
    void setEndOfPage(bool value) override { endOfPage = value; }
    void showModal() override { ++shown, surface->clearPicture(); }
    void unload() override {}
};

// Splits "destination orientation printer-type" into is, saves the printer type ("-": none)
// and makes the printer ("P") or preview surface the engine prints on.
Surfaces setUp(const QString& setup, QStringList& is, ScriptedPreview* host = nullptr) {
    is = setup.split(' ');
    saveSetting("Startup", "PRTTYP", QString(is[2]).remove('-'));
    Surfaces surface =
        is[0] == "P" ? RecordingSurface::printer() : RecordingSurface::preview(13050, 12000, host);
    if (host)
        host->surface = surface.get();
    wrkPRINT_OBJECT = surface.get();
    return surface;
}

QString at(const QString& text, int x, int y) {
    return QString("%1@%2,%3").arg(text).arg(x).arg(y);
}
// A text as "text@column,y".
QString placed(const RecordingSurface::Text& t) {
    return at(t.text, t.column, t.y);
}

} // namespace

class TestPrintEngine : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env.emplace();
        shared().wrkCOMPANY_NAME = QStringLiteral("Tolvane Vending Company");
        wrkPAGE_GROUP = 0;
    }
    void cleanup() { env.reset(); }

    void printStatement_data() {
        QTest::addColumn<QList<PrintItem>>("items");
        QTest::addColumn<QStringList>("placed");
        QTest::addColumn<int>("endY");
        QTest::newRow("numbers in print form")
            << QList<PrintItem>{num(3), num(-2.5), num(0.5)}
            << QStringList{at(" 3 ", 0, 0), at("-2.5 ", 3 * kChar8, 0), at(" .5 ", 8 * kChar8, 0)}
            << kLine8;
        QTest::newRow("column behind the position goes to the next line")
            << QList<PrintItem>{col(10), text("AB"), col(5), text("C")}
            << QStringList{at("AB", 9 * kChar8, 0), at("C", 4 * kChar8, kLine8)} << 2 * kLine8;
        QTest::newRow("column at the position stays on the line")
            << QList<PrintItem>{col(0), text("AB"), col(3), text("C")}
            << QStringList{at("AB", 0, 0), at("C", 2 * kChar8, 0)} << kLine8;
    }
    void printStatement() {
        QFETCH(QList<PrintItem>, items);
        QFETCH(QStringList, placed);
        QFETCH(int, endY);
        QStringList is;
        Surfaces s = setUp("P P -", is);
        s->print(items);
        QStringList got;
        for (const auto& t : s->texts)
            got << at(t.text, t.x, t.y);
        QCOMPARE(got, placed);
        QCOMPARE(s->currentY(), endY);
        QCOMPARE(s->currentX(), 0);
    }

    void headerPlacesTitleAndHeadings_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("titleLength");
        QTest::addColumn<QString>("headings");
        QTest::addColumn<QList<int>>("expect"); // title column, rule end, heading y, body y
        QTest::newRow("portrait 35 half to even")
            << "P P -" << 35 << "" << QList<int>{30, 11500, -1, 950};
        QTest::newRow("landscape 23, type I, headings")
            << "P L I" << 23 << "[4]Amount" << QList<int>{52, 15000, 750 + kLine8, 1150};
        QTest::newRow("preview") << "V P I" << 20 << "[4]Amount"
                                 << QList<int>{38, 12650, 725 + kLine8, 1150};
    }
    void headerPlacesTitleAndHeadings() {
        QFETCH(QString, setup);
        QFETCH(int, titleLength);
        QFETCH(QString, headings);
        QFETCH(QList<int>, expect);
        QStringList is;
        Surfaces s = setUp(setup, is);
        prcPRINT_HEADER(is[1], QString(titleLength, 'T'), "Period", headings, is[0]);
        QCOMPARE(placed(s->texts.at(0)), at(QString(titleLength, 'T'), expect[0], lineHeight(10)));
        const bool portrait = is[1] == "P";
        QCOMPARE(placed(s->texts.at(1)),
                 at("Tolvane Vending Company", portrait ? 7 : 5, 2 * lineHeight(10)));
        if (is[0] == "P")
            QCOMPARE(s->orientations, QList<int>{portrait ? 1 : 2});
        QCOMPARE(s->rules.size(), headings.isEmpty() ? 1 : 2);
        QCOMPARE(s->rules.last().x2, expect[1]);
        if (!headings.isEmpty()) // below the rule that left x at its end
            QCOMPARE(placed(s->texts.last()), at("Amount", 4, expect[2]));
        QCOMPARE(s->currentY(), expect[3]);
        // Not at the top of a page: nothing.
        s->texts.clear();
        prcPRINT_HEADER(is[1], "TITLE", "", headings, is[0]);
        QVERIFY(s->texts.isEmpty());
    }

    void pageBreaksPastTheLastLine_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("threshold");
        QTest::newRow("printer L portrait") << "P P L" << 14000;
        QTest::newRow("printer J portrait") << "P P J" << 13700;
        QTest::newRow("printer L landscape") << "P L L" << 10600;
        QTest::newRow("printer landscape") << "P L -" << 10500;
        QTest::newRow("preview portrait") << "V P L" << 12000 - 1154;
        QTest::newRow("preview landscape") << "V L -" << 12000 - 1250;
    }
    void pageBreaksPastTheLastLine() {
        QFETCH(QString, setup);
        QFETCH(int, threshold);
        const bool printer = setup.startsWith('P');
        for (const int y : {threshold, threshold + 1}) {
            ScriptedPreview host;
            QStringList is;
            Surfaces s = setUp(setup, is, &host);
            if (printer)
                s->newPage(); // on the second sheet
            s->setCurrentY(y);
            QString dest = is[0];
            prcCHECK_PAGE_BREAK(is[1], dest);
            QCOMPARE(dest, is[0]);
            QCOMPARE(s->newPages + host.shown, int(printer) + int(y > threshold));
            if (y == threshold)
                continue;
            const int ruleY = y + (printer ? 300 : kLine8);
            QCOMPARE(s->rules.size(), 1);
            const QString label = printer ? "Page: " : "Extended Page Group: ";
            const QStringList line = s->textsOn(ruleY + kLine8);
            QCOMPARE(line.mid(line.size() - 2), (QStringList{label, printer ? " 2 " : " 1 "}));
            QCOMPARE(s->currentY(), 0);
            // The report ending right after a break adds nothing.
            const auto before = std::make_pair(s->texts.size(), s->rules.size());
            prcPRINT_END_OF_REPORT(is[1], dest, true);
            QCOMPARE(std::make_pair(s->texts.size(), s->rules.size()), before);
            QCOMPARE(s->documents, 0);
            QVERIFY(!host.endOfPage);
        }
    }

    void endOfReportLinePlaced_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("records");
        QTest::addColumn<QList<int>>("expect"); // rule y, column of the last line
        QTest::newRow("printer portrait") << "P P -" << true << QList<int>{14500, 30};
        QTest::newRow("printer portrait I") << "P P I" << true << QList<int>{14250, 30};
        QTest::newRow("printer landscape J") << "P L J" << true << QList<int>{11000, 50};
        QTest::newRow("preview no records")
            << "V L -" << false << QList<int>{5000 + 4 * kLine8, 50};
    }
    void endOfReportLinePlaced() {
        QFETCH(QString, setup);
        QFETCH(bool, records);
        QFETCH(QList<int>, expect);
        ScriptedPreview host;
        QStringList is;
        Surfaces s = setUp(setup, is, &host);
        s->setCurrentY(5000);
        prcPRINT_END_OF_REPORT(is[1], is[0], records);
        if (!records) {
            const auto* message = s->find("No Records were found while printing report request.");
            QVERIFY(message);
            QCOMPARE(message->y, 5000 + 2 * kLine8);
        }
        QCOMPARE(s->rules.size(), 1);
        QCOMPARE(s->rules[0].y1, expect[0]);
        const QString expected = "End of Report  " + programTitle() + "  " +
                                 QLocale::system().toString(today(), QLocale::ShortFormat) +
                                 "  CLERK";
        QCOMPARE(placed(s->texts.last()), at(expected, expect[1], expect[0] + kLine8));
        QCOMPARE(s->documents, is[0] == "P" ? 1 : 0);
        QCOMPARE(host.endOfPage, is[0] != "P");
    }
};

QTEST_MAIN(TestPrintEngine)
#include "tst_print_engine.moc"
