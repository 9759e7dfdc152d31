#include "clock.h"
#include "context.h"
#include "print_engine.h"
#include "report.h"
#include "settings.h"
#include "test_support.h"

#include <QLocale>
#include <QtTest>

using namespace mdlPRINTING;
using Surfaces = std::unique_ptr<RecordingSurface>;

namespace {

const int kLine8 = lineHeight(8); // 181 twips
const int kChar8 = charWidth(8);  // 96 twips

// Stands in for the preview window: Next (clear the picture and go on) or Close at a break.
struct ScriptedPreview : PreviewHost {
    RecordingSurface* surface = nullptr;
    bool closeAtBreak = false;
    bool mp = false;
    bool endOfPage = false;
    QList<int> pageNumbers;
    int shown = 0;
    int unloaded = 0;
    void setMultipage(bool value) override { mp = value; }
    bool multipage() const override { return mp; }
    void setPageNumber(int value) override { pageNumbers << value; }
    void setEndOfPage(bool value) override { endOfPage = value; }
    void showModal() override {
        ++shown;
        if (closeAtBreak)
            mp = false;
        else
            surface->clearPicture();
    }
    void unload() override { ++unloaded; }
};

Surfaces makeSurface(const QString& destination, ScriptedPreview* host = nullptr) {
    Surfaces surface = destination == QLatin1String("P")
                           ? RecordingSurface::printer()
                           : RecordingSurface::preview(13050, 12000, host);
    if (host)
        host->surface = surface.get();
    wrkPRINT_OBJECT = surface.get();
    return surface;
}

} // namespace

class TestPrintEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        shared().wrkCOMPANY_NAME = QStringLiteral("Tolvane Vending Company");
        wrkPAGE_GROUP = 0;
    }
    void cleanup() { env.reset(); }

    void printStatement_data() {
        QTest::addColumn<QList<PrintItem>>("items");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("xs");
        QTest::addColumn<QList<int>>("ys");
        QTest::addColumn<int>("endY");
        QTest::newRow("numbers in print form")
            << QList<PrintItem>{num(3), num(-2.5), num(0.5)} << QStringList{" 3 ", "-2.5 ", " .5 "}
            << QList<int>{0, 3 * kChar8, 8 * kChar8} << QList<int>{0, 0, 0} << kLine8;
        QTest::newRow("column behind the position goes to the next line")
            << QList<PrintItem>{col(10), text("AB"), col(5), text("C")} << QStringList{"AB", "C"}
            << QList<int>{9 * kChar8, 4 * kChar8} << QList<int>{0, kLine8} << 2 * kLine8;
        QTest::newRow("column at the position stays on the line")
            << QList<PrintItem>{col(0), text("AB"), col(3), text("C")} << QStringList{"AB", "C"}
            << QList<int>{0, 2 * kChar8} << QList<int>{0, 0} << kLine8;
    }
    void printStatement() {
        QFETCH(QList<PrintItem>, items);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, xs);
        QFETCH(QList<int>, ys);
        QFETCH(int, endY);
        Surfaces s = makeSurface("P");
        s->print(items);
        QCOMPARE(s->texts.size(), texts.size());
        for (int i = 0; i < texts.size(); ++i) {
            QCOMPARE(s->texts[i].text, texts[i]);
            QCOMPARE(s->texts[i].x, xs[i]);
            QCOMPARE(s->texts[i].y, ys[i]);
        }
        QCOMPARE(s->currentY(), endY);
        QCOMPARE(s->currentX(), 0);
    }

    void headerCentring_data() {
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<int>("titleLength");
        QTest::addColumn<int>("column");
        QTest::newRow("portrait 20") << "P" << 20 << 38;
        QTest::newRow("portrait 35 half to even") << "P" << 35 << 30;
        QTest::newRow("portrait 21 half to even") << "P" << 21 << 38;
        QTest::newRow("landscape 23") << "L" << 23 << 52;
        QTest::newRow("landscape 20") << "L" << 20 << 54;
    }
    void headerCentring() {
        QFETCH(QString, orientation);
        QFETCH(int, titleLength);
        QFETCH(int, column);
        Surfaces s = makeSurface("P");
        prcPRINT_HEADER(orientation, QString(titleLength, 'T'), "Period", "", "P");
        const auto& title = s->texts.at(0);
        QCOMPARE(title.column, column);
        QCOMPARE(title.y, lineHeight(10));
        QCOMPARE(title.size, 10.0);
        QVERIFY(title.bold);
        const bool portrait = orientation == "P";
        QCOMPARE(s->texts.at(1).text, QString("Tolvane Vending Company"));
        QCOMPARE(s->texts.at(1).column, portrait ? 7 : 5);
        QCOMPARE(s->texts.at(2).column, portrait ? 80 : 100);
        QCOMPARE(s->texts.at(2).y, 2 * lineHeight(10));
        QCOMPARE(s->orientations, QList<int>{portrait ? 1 : 2});
    }

    void headerNotAtTop() {
        Surfaces s = makeSurface("P");
        s->setCurrentY(5);
        prcPRINT_HEADER("P", "TITLE", "", "[4]A", "P");
        QVERIFY(s->texts.isEmpty());
        QVERIFY(s->rules.isEmpty());
        QCOMPARE(s->currentY(), 5);
    }

    void headerRulesAndHeadings_data() {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<QString>("printerType");
        QTest::addColumn<QString>("headings");
        QTest::addColumn<int>("ruleEnd");
        QTest::addColumn<int>("ruleWidth");
        QTest::addColumn<int>("headingY");
        QTest::addColumn<int>("bodyY");
        QTest::newRow("printer no headings") << "P"
                                             << "P"
                                             << ""
                                             << "" << 11500 << 10 << -1 << 950;
        QTest::newRow("printer type I landscape")
            << "P"
            << "L"
            << "I"
            << "[4]Amount" << 15000 << 1 << 750 + kLine8 << 1150;
        QTest::newRow("preview") << "V"
                                 << "P"
                                 << "I"
                                 << "[4]Amount" << 12650 << 2 << 725 + kLine8 << 1150;
    }
    void headerRulesAndHeadings() {
        QFETCH(QString, destination);
        QFETCH(QString, orientation);
        QFETCH(QString, printerType);
        QFETCH(QString, headings);
        QFETCH(int, ruleEnd);
        QFETCH(int, ruleWidth);
        QFETCH(int, headingY);
        QFETCH(int, bodyY);
        saveSetting("Startup", "PRTTYP", printerType);
        Surfaces s = makeSurface(destination);
        prcPRINT_HEADER(orientation, "TITLE", "", headings, destination);
        QCOMPARE(s->rules.size(), headingY < 0 ? 1 : 2);
        for (const auto& rule : s->rules) {
            QCOMPARE(rule.x1, 300);
            QCOMPARE(rule.x2, ruleEnd);
            QCOMPARE(rule.width, ruleWidth);
        }
        QCOMPARE(s->rules.first().y1, 850);
        if (headingY >= 0) {
            QCOMPARE(s->rules.last().y1, 1200);
            const auto& heading = s->texts.last();
            QCOMPARE(heading.text, QString("Amount"));
            QCOMPARE(heading.column, 4);
            QCOMPARE(heading.y, headingY); // below the first rule, which left x at its end
            QVERIFY(heading.bold);
        }
        QCOMPARE(s->currentY(), bodyY);
        QVERIFY(!s->fontBold());
    }

    void parseHeadings_data() {
        QTest::addColumn<QString>("headings");
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("empty") << "" << QList<int>{} << QStringList{};
        QTest::newRow("activity") << "[6]Date[20]ChkNbr[35]Description[99]Debits[113]Credits"
                                  << QList<int>{6, 20, 35, 99, 113}
                                  << QStringList{"Date", "ChkNbr", "Description", "Debits",
                                                 "Credits"};
        QTest::newRow("lead text, blanks, empty last")
            << "x[ 12 ]A B[7]" << QList<int>{12, 7} << QStringList{"A B", ""};
    }
    void parseHeadings() {
        QFETCH(QString, headings);
        QFETCH(QList<int>, columns);
        QFETCH(QStringList, texts);
        const auto items = mdlPRINTING::parseHeadings(headings);
        QCOMPARE(items.size(), columns.size());
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i].first, columns[i]);
            QCOMPARE(items[i].second, texts[i]);
        }
    }

    void pageBreakThreshold_data() {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<QString>("printerType");
        QTest::addColumn<int>("threshold");
        QTest::newRow("printer L portrait") << "P"
                                            << "P"
                                            << "L" << 14000;
        QTest::newRow("printer J portrait") << "P"
                                            << "P"
                                            << "J" << 13700;
        QTest::newRow("printer L landscape") << "P"
                                             << "L"
                                             << "L" << 10600;
        QTest::newRow("printer landscape") << "P"
                                           << "L"
                                           << "" << 10500;
        QTest::newRow("preview portrait") << "V"
                                          << "P"
                                          << "L" << 12000 - 1154;
        QTest::newRow("preview landscape") << "V"
                                           << "L"
                                           << "" << 12000 - 1250;
    }
    void pageBreakThreshold() {
        QFETCH(QString, destination);
        QFETCH(QString, orientation);
        QFETCH(QString, printerType);
        QFETCH(int, threshold);
        saveSetting("Startup", "PRTTYP", printerType);
        for (const int y : {threshold, threshold + 1}) {
            ScriptedPreview host;
            Surfaces s = makeSurface(destination, &host);
            s->setCurrentY(y);
            QString dest = destination;
            prcCHECK_PAGE_BREAK(orientation, dest);
            const bool broke = s->newPages + host.shown > 0;
            QCOMPARE(broke, y > threshold);
            QCOMPARE(dest, destination);
        }
    }

    void printerPageFoot_data() {
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("ruleEnd");
        QTest::newRow("portrait") << "P" << 55 << 11500;
        QTest::newRow("landscape") << "L" << 75 << 15000;
    }
    void printerPageFoot() {
        QFETCH(QString, orientation);
        QFETCH(int, column);
        QFETCH(int, ruleEnd);
        Surfaces s = makeSurface("P");
        s->newPage();
        s->newPage(); // on the third sheet
        s->setCurrentY(14001);
        QString dest = "P";
        prcCHECK_PAGE_BREAK(orientation, dest);
        QCOMPARE(s->rules.size(), 1);
        QCOMPARE(s->rules[0].y1, 14301);
        QCOMPARE(s->rules[0].x2, ruleEnd);
        QCOMPARE(s->textsOn(14301 + kLine8), (QStringList{"Page: ", " 3 "}));
        QCOMPARE(s->find("Page: ")->column, column);
        QCOMPARE(s->newPages, 3);
        QCOMPARE(s->currentY(), 0);
    }

    void previewPageGroups() {
        ScriptedPreview host;
        Surfaces s = makeSurface("V", &host);
        QString dest = "V";
        for (int group = 1; group <= 2; ++group) {
            s->setCurrentY(11000);
            prcCHECK_PAGE_BREAK("P", dest);
            const auto& rule = s->rules.last();
            QCOMPARE(rule.y1, 11000 + kLine8);
            QCOMPARE(rule.x2, 12650);
            const auto line = s->textsOn(11000 + 2 * kLine8);
            QCOMPARE(line.mid(line.size() - 2),
                     (QStringList{"Extended Page Group: ", QString(" %1 ").arg(group)}));
            QCOMPARE(s->texts.last().sheet, group);
        }
        QCOMPARE(s->find("Extended Page Group: ")->column, 50);
        QVERIFY(host.mp);
        QCOMPARE(host.pageNumbers, (QList<int>{1, 2, 2, 3}));
        QCOMPARE(dest, QString("V"));
        QCOMPARE(s->currentY(), 0); // the next group starts at the top of the cleared picture
    }

    void previewClosedAtBreak() {
        ScriptedPreview host;
        host.closeAtBreak = true;
        Surfaces s = makeSurface("V", &host);
        wrkPAGE_GROUP = 4;
        s->setCurrentY(11000);
        QString dest = "V";
        prcCHECK_PAGE_BREAK("P", dest);
        QCOMPARE(dest, QString());
        QCOMPARE(wrkPAGE_GROUP, qint16(0));
        QCOMPARE(host.unloaded, 1);
        QCOMPARE(host.pageNumbers, QList<int>{5});
    }

    void endOfReport_data() {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<QString>("printerType");
        QTest::addColumn<bool>("records");
        QTest::addColumn<int>("ruleY");
        QTest::addColumn<int>("ruleEnd");
        QTest::addColumn<int>("column");
        QTest::newRow("printer portrait") << "P"
                                          << "P"
                                          << "" << true << 14500 << 11500 << 30;
        QTest::newRow("printer portrait I") << "P"
                                            << "P"
                                            << "I" << true << 14250 << 11500 << 30;
        QTest::newRow("printer portrait J") << "P"
                                            << "P"
                                            << "J" << true << 14250 << 11500 << 30;
        QTest::newRow("printer landscape") << "P"
                                           << "L"
                                           << "J" << true << 11000 << 15000 << 50;
        QTest::newRow("preview") << "V"
                                 << "P"
                                 << "" << true << 5000 + kLine8 << 12650 << 30;
        QTest::newRow("preview no records") << "V"
                                            << "L"
                                            << "" << false << 5000 + 4 * kLine8 << 12650 << 50;
    }
    void endOfReport() {
        QFETCH(QString, destination);
        QFETCH(QString, orientation);
        QFETCH(QString, printerType);
        QFETCH(bool, records);
        QFETCH(int, ruleY);
        QFETCH(int, ruleEnd);
        QFETCH(int, column);
        saveSetting("Startup", "PRTTYP", printerType);
        ScriptedPreview host;
        Surfaces s = makeSurface(destination, &host);
        s->setFontBold(true);
        s->setCurrentY(5000);
        prcPRINT_END_OF_REPORT(orientation, destination, records);

        if (!records) {
            const auto* message = s->find("No Records were found while printing report request.");
            QVERIFY(message);
            QCOMPARE(message->y, 5000 + 2 * kLine8);
            QCOMPARE(message->column, orientation == "P" ? 35 : 50);
        }
        QCOMPARE(s->rules.size(), 1);
        QCOMPARE(s->rules[0].y1, ruleY);
        QCOMPARE(s->rules[0].x2, ruleEnd);
        const QString expected = "End of Report  " + programTitle() + "  " +
                                 QLocale::system().toString(today(), QLocale::ShortFormat) +
                                 "  CLERK";
        const auto& last = s->texts.last();
        QCOMPARE(last.text, expected);
        QCOMPARE(last.column, column);
        QCOMPARE(last.y, ruleY + kLine8); // the rule left x at its end: the text goes below
        QVERIFY(!last.bold);
        QCOMPARE(s->documents, destination == "P" ? 1 : 0);
        QCOMPARE(host.endOfPage, destination != "P");
    }

    void endRightAfterBreak_data() {
        QTest::addColumn<QString>("destination");
        QTest::newRow("printer") << "P";
        QTest::newRow("preview") << "V";
    }
    void endRightAfterBreak() {
        QFETCH(QString, destination);
        ScriptedPreview host;
        Surfaces s = makeSurface(destination, &host);
        s->setCurrentY(14001);
        QString dest = destination;
        prcCHECK_PAGE_BREAK("P", dest);
        const int texts = s->texts.size();
        const int rules = s->rules.size();
        prcPRINT_END_OF_REPORT("P", dest, true);
        QCOMPARE(s->texts.size(), texts);
        QCOMPARE(s->rules.size(), rules);
        QCOMPARE(s->documents, 0);
        QVERIFY(!host.endOfPage);
    }

private:
    std::unique_ptr<TestEnvironment> env;
};

QTEST_MAIN(TestPrintEngine)
#include "tst_print_engine.moc"
