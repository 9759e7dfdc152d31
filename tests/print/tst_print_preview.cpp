#include "print_preview.h"
#include "settings.h"
#include "test_support.h"

#include <QDir>
#include <QPushButton>
#include <QToolButton>

using namespace mdlPRINTING;

namespace {

// A report of 130 numbered lines, drawn on the preview as the report window does; some 55
// lines fill a page group of the short picture.
void previewReport() {
    QString destination = "V";
    frmPRINT_PREVIEW::instance()->prcINITIALIZE("P");
    wrkPRINT_OBJECT = frmPRINT_PREVIEW::instance()->pbxPREVIEW;
    prcPRINT_HEADER("P", "TEST REPORT", "", "[4]Line", destination);
    for (int i = 1; i <= 130; ++i) {
        wrkPRINT_OBJECT->print({col(4), text(QString("Line %1").arg(i))});
        prcCHECK_PAGE_BREAK("P", destination);
    }
    prcPRINT_END_OF_REPORT("P", destination, true);
}

} // namespace

class TestPrintPreview : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env.emplace().openDatabase();
        sqlExec("insert into SYS_SYSTEM_VALUE_MASTER (svmVALCDE, svmVALCHK) values ('PRTPRV', 1)");
        saveSetting("SMM", "IMGPTH", env->path("pages/"));
        QDir().mkpath(env->path("pages"));
    }
    void cleanup() {
        frmPRINT_PREVIEW::unloadInstance();
        env.reset();
    }

    // Next and Previous keep each page group in a file, removed when the preview closes.
    void pagesBackAndForth() {
        const QDir folder(env->path("pages"));
        QStringList log;
        // Notes the page shown, whether Previous and Next work and the files kept, then
        // clicks the button given.
        const auto click = [&](frmPRINT_PREVIEW* p, QAbstractButton* then) {
            log << QString("%1 of %2 prev %3 next %4 files %5")
                       .arg(p->currentPage())
                       .arg(p->pageNumber())
                       .arg(p->tbcPREV->isEnabled())
                       .arg(p->tbcNEXT->isEnabled())
                       .arg(folder.entryList(QDir::Files, QDir::Name).join(','));
            QTest::mouseClick(then, Qt::LeftButton);
        };
        answerPreviews({
            [&](frmPRINT_PREVIEW* p) { click(p, p->tbcNEXT); },
            [&](frmPRINT_PREVIEW* p) {
                click(p, p->tbcPREV), click(p, p->tbcNEXT), click(p, p->tbcNEXT);
            },
            [&](frmPRINT_PREVIEW* p) { click(p, p->tbcPREV), click(p, p->tbcCLOSE); },
        });
        previewReport();
        frmPRINT_PREVIEW::instance()->showModal();
        QCOMPARE(log, (QStringList{
                          "1 of 1 prev 0 next 1 files ",
                          "2 of 2 prev 1 next 1 files PREVIEW.1",
                          "1 of 2 prev 0 next 1 files PREVIEW.1,PREVIEW.2",
                          "2 of 2 prev 1 next 1 files PREVIEW.1,PREVIEW.2",
                          "3 of 3 prev 1 next 0 files PREVIEW.1,PREVIEW.2", // the end
                          "2 of 3 prev 1 next 1 files PREVIEW.1,PREVIEW.2,PREVIEW.3",
                      }));
        QVERIFY(folder.entryList(QDir::Files).isEmpty());
        QVERIFY(!frmPRINT_PREVIEW::exists());
    }

    // A page that cannot be kept in its file is reported and stays on screen; Close still
    // ends the report.
    void unsavablePageReported() {
        QFile(env->path("plain file")).open(QIODevice::WriteOnly);
        saveSetting("SMM", "IMGPTH", env->path("plain file/pages/"));
        QString page;
        answerPreviews({[&](frmPRINT_PREVIEW* p) {
            QTest::mouseClick(p->tbcNEXT, Qt::LeftButton);
            page = QString("%1 of %2 %3")
                       .arg(p->currentPage())
                       .arg(p->pageNumber())
                       .arg(p->isVisible());
            QTest::mouseClick(p->tbcCLOSE, Qt::LeftButton);
        }});
        previewReport();
        QCOMPARE(page, QString("1 of 1 1"));
        QCOMPARE(env->messages.size(), 1);
        QVERIFY2(env->messages[0].contains("PREVIEW.1"), qPrintable(env->messages[0]));
        QVERIFY(!frmPRINT_PREVIEW::exists());
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_print_preview.moc"
