#include "context.h"
#include "print_engine.h"
#include "print_preview.h"
#include "settings.h"
#include "test_support.h"

#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

using namespace mdlPRINTING;

namespace {

// What the clerk does each time the preview comes up, one step per appearance.
using Step = std::function<void(frmPRINT_PREVIEW*)>;
void answerPreviews(QList<Step> steps) {
    if (steps.isEmpty())
        return;
    whenModalAppears([steps](QWidget* modal) mutable {
        Step step = steps.takeFirst();
        answerPreviews(steps);
        step(qobject_cast<frmPRINT_PREVIEW*>(modal));
    });
}

// A report of numbered lines, drawn on the preview as the report window does.
void previewReport(int lines, QString& destination) {
    frmPRINT_PREVIEW* preview = frmPRINT_PREVIEW::instance();
    preview->prcINITIALIZE("P");
    wrkPRINT_OBJECT = preview->pbxPREVIEW;
    prcPRINT_HEADER("P", "TEST REPORT", "", "[4]Line", destination);
    for (int i = 1; i <= lines; ++i) {
        wrkPRINT_OBJECT->print({col(4), text(QString("Line %1").arg(i))});
        prcCHECK_PAGE_BREAK("P", destination);
        if (destination.isEmpty())
            return;
    }
    prcPRINT_END_OF_REPORT("P", destination, true);
}

} // namespace

class TestPrintPreview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        env->openDatabase();
        saveSetting("SMM", "IMGPTH", env->path("pages/"));
        QDir().mkpath(env->path("pages"));
    }
    void cleanup() {
        frmPRINT_PREVIEW::unloadInstance();
        env.reset();
    }

    void shortReportIsOnePage() {
        QString dest = "V";
        previewReport(10, dest);
        const int drawnTo = wrkPRINT_OBJECT->currentY();
        struct {
            bool buttons = true;
            int height = 0;
            QStringList files;
            bool endLine = false;
        } seen;
        answerPreviews({[&](frmPRINT_PREVIEW* p) {
            seen.buttons = p->tbcNEXT->isVisible() || p->tbcPREV->isVisible();
            seen.height = p->pbxPREVIEW->height();
            seen.files = QDir(env->path("pages")).entryList(QDir::Files);
            QTest::mouseClick(p->tbcCLOSE, Qt::LeftButton);
        }});
        frmPRINT_PREVIEW::instance()->showModal();
        QVERIFY(!seen.buttons);
        QCOMPARE(seen.height, drawnTo + 1154);
        QVERIFY(seen.files.isEmpty());
        QVERIFY(!frmPRINT_PREVIEW::exists());
    }

    void scrollBarsAndOrigin() {
        QString dest = "V";
        previewReport(3, dest);
        frmPRINT_PREVIEW* p = frmPRINT_PREVIEW::instance();
        int left = 0, top = 0, stepX = 0, stepY = 0, heightAfter = 0;
        QPoint origin;
        answerPreviews({[&](frmPRINT_PREVIEW* shown) {
            stepX = shown->stepX();
            stepY = shown->stepY();
            heightAfter = shown->pbxPREVIEW->height();
            shown->scrPREVIEW_X->setValue(100);
            shown->scrPREVIEW_Y->setValue(10);
            left = shown->pbxPREVIEW->pictureLeft();
            top = shown->pbxPREVIEW->pictureTop();
            QTest::mouseClick(shown->tbcORIGIN, Qt::LeftButton);
            origin = {shown->pbxPREVIEW->pictureLeft(), shown->pbxPREVIEW->pictureTop()};
            QTest::mouseClick(shown->tbcCLOSE, Qt::LeftButton);
        }});
        const int orgLeft = p->originLeft();
        const int orgTop = p->originTop();
        p->showModal();
        QCOMPARE(stepX, 130); // 13050 / 100 = 130.5, the half going to the even number
        QCOMPARE(stepY, qRound(heightAfter / 104.0));
        QCOMPARE(left, orgLeft - 100 * stepX);
        QCOMPARE(top, orgTop - 10 * stepY);
        QCOMPARE(origin, QPoint(orgLeft, orgTop));
    }

    void pagesBackAndForth() {
        sqlExec("insert into SYS_SYSTEM_VALUE_MASTER (svmVALCDE, svmVALCHK) values ('PRTPRV', 1)");
        const QString folder = env->path("pages");
        const auto files = [folder] { return QDir(folder).entryList(QDir::Files, QDir::Name); };
        QStringList log;
        const auto state = [&](frmPRINT_PREVIEW* p, const QString& when) {
            log << QString("%1: page %2 of %3 prev %4 next %5 files %6")
                       .arg(when)
                       .arg(p->currentPage())
                       .arg(p->pageNumber())
                       .arg(p->tbcPREV->isEnabled())
                       .arg(p->tbcNEXT->isEnabled())
                       .arg(files().join(','));
        };
        answerPreviews({
            [&](frmPRINT_PREVIEW* p) {
                state(p, "break 1");
                QTest::mouseClick(p->tbcNEXT, Qt::LeftButton);
                state(p, "after next");
            },
            [&](frmPRINT_PREVIEW* p) {
                state(p, "break 2");
                QTest::mouseClick(p->tbcPREV, Qt::LeftButton);
                state(p, "back");
                QTest::mouseClick(p->tbcNEXT, Qt::LeftButton);
                state(p, "forward");
                QTest::mouseClick(p->tbcNEXT, Qt::LeftButton);
            },
            [&](frmPRINT_PREVIEW* p) {
                state(p, "end");
                QTest::mouseClick(p->tbcPREV, Qt::LeftButton);
                QTest::mouseClick(p->tbcPREV, Qt::LeftButton);
                state(p, "first");
                QTest::mouseClick(p->tbcCLOSE, Qt::LeftButton);
            },
        });
        QString dest = "V";
        previewReport(130, dest); // some 55 lines fill a 12000-twip picture
        QCOMPARE(dest, QString("V"));
        frmPRINT_PREVIEW::instance()->showModal();
        QCOMPARE(log, (QStringList{
                          "break 1: page 1 of 1 prev 0 next 1 files ",
                          "after next: page 1 of 1 prev 0 next 1 files PREVIEW.1",
                          "break 2: page 2 of 2 prev 1 next 1 files PREVIEW.1",
                          "back: page 1 of 2 prev 0 next 1 files PREVIEW.1,PREVIEW.2",
                          "forward: page 2 of 2 prev 1 next 1 files PREVIEW.1,PREVIEW.2",
                          "end: page 3 of 3 prev 1 next 0 files PREVIEW.1,PREVIEW.2",
                          "first: page 1 of 3 prev 0 next 1 files PREVIEW.1,PREVIEW.2,PREVIEW.3",
                      }));
        QVERIFY(files().isEmpty());
        QVERIFY(!frmPRINT_PREVIEW::exists());
    }

    void closeAtPageBreakStopsReport() {
        sqlExec("insert into SYS_SYSTEM_VALUE_MASTER (svmVALCDE, svmVALCHK) values ('PRTPRV', 1)");
        int breaks = 0;
        answerPreviews({[&](frmPRINT_PREVIEW* p) {
                            ++breaks;
                            QTest::mouseClick(p->tbcNEXT, Qt::LeftButton);
                        },
                        [&](frmPRINT_PREVIEW* p) {
                            ++breaks;
                            QTest::mouseClick(p->tbcCLOSE, Qt::LeftButton);
                        }});
        QString dest = "V";
        previewReport(500, dest);
        QCOMPARE(breaks, 2);
        QCOMPARE(dest, QString());
        QCOMPARE(wrkPAGE_GROUP, qint16(0));
        QVERIFY(!frmPRINT_PREVIEW::exists());
        QVERIFY(QDir(env->path("pages")).entryList(QDir::Files).isEmpty());
        // Shown again by the report loop, an unprepared window closes itself.
        frmPRINT_PREVIEW::instance()->showModal();
        QVERIFY(!frmPRINT_PREVIEW::exists());
    }

private:
    std::unique_ptr<TestEnvironment> env;
};

QTEST_MAIN(TestPrintPreview)
#include "tst_print_preview.moc"
