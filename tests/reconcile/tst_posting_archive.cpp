// Finalize archives the month's report before it posts: the file's name, that an older
// archive is never overwritten, that the archive reads as Print's PDF of the same moment, and
// the clerk's choice when the archive cannot be written.

#include "finalize_post.h"
#include "print_engine.h"
#include "reconciliation_report.h"
#include "settings.h"
#include "test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

using namespace mdlPRINTING;
using Window = frmFINALIZE_POST_BANK_RECONCILIATION;

namespace {

int postedOn() {
    return sqlValue("select brhPSTDTE from LDG_BANK_RECONCILIATION_HISTORY where brhMONTH=2")
        .toInt();
}

} // namespace

class TestPostingArchive : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env.emplace(20240305).openDatabase();
        archive = env->path("Archive");
        insertLedgerLine({.line = 1,
                          .date = 20240210,
                          .amount = -80,
                          .cleared = 20240220,
                          .check = 501,
                          .description = "Cleared check"});
        insertLedgerLine({.line = 2,
                          .date = 20240225,
                          .amount = -30,
                          .check = 502,
                          .description = "Outstanding check"});
        insertHistoryRow({.month = 1,
                          .statement = 20240131,
                          .bank = 500,
                          .saved = 20240201,
                          .posted = 20240202});
        insertHistoryRow({.month = 2,
                          .statement = 20240229,
                          .bank = 420,
                          .outstanding = -30,
                          .saved = 20240304});
    }
    // The name is the archive's own (an older archive is never overwritten: tst_after_month).
    void archivesBeforePosting() {
        QPointer<Window> w = openWindow<Window>();
        w->findChild<QPushButton*>("tbcOK")->click();
        QTRY_VERIFY(!w);
        QCOMPARE(postedOn(), 20240305);
        QCOMPARE(QDir(archive).entryList(QDir::Files), QStringList("1010 2024-02.pdf"));
        // Only the open month is archived, with all three reports.
        const QString text = pdfText(QDir(archive).filePath("1010 2024-02.pdf"));
        for (const char* title :
             {"BANK RECONCILIATION ACTIVITY REPORT", "BANK RECONCILIATION SUMMARY REPORT",
              "BANK RECONCILIATION OUTSTANDING ITEMS"})
            QVERIFY2(text.contains(title), title);
        QVERIFY(text.contains("Period   2/ 2024"));
        QVERIFY(text.contains("Outstanding check"));
        QVERIFY(!text.contains("(stale)")); // no check is old enough
        QVERIFY(env->questions.isEmpty());
    }

    void archiveReadsAsPrint() {
        // Print of the same month, to a PDF file, before anything is posted.
        const QString printed = env->path("printed.pdf");
        {
            PdfSurface pdf(printed);
            frmPRINT_BANK_RECONCILIATION_REPORT::setPrinterOverride([&pdf] { return &pdf; });
            QPointer<frmPRINT_BANK_RECONCILIATION_REPORT> report =
                openWindow<frmPRINT_BANK_RECONCILIATION_REPORT>();
            report->chkOUTSTANDING->setChecked(true);
            report->lbxRECONCILIATION->item(0)->setSelected(true); // February, the newest
            report->tbcPRINT->click();
            frmPRINT_BANK_RECONCILIATION_REPORT::setPrinterOverride({});
            pdf.finish();
            delete report;
        }
        QPointer<Window> w = openWindow<Window>();
        w->findChild<QPushButton*>("tbcOK")->click();
        QTRY_VERIFY(!w);
        QCOMPARE(pdfText(QDir(archive).filePath("1010 2024-02.pdf")), pdfText(printed));
    }

    void archiveCannotBeWritten_data() {
        QTest::addColumn<bool>("answer");
        QTest::newRow("post anyway") << true;
        QTest::newRow("do not post") << false;
    }
    void archiveCannotBeWritten() {
        QFETCH(bool, answer);
        writeFile(archive, {}); // the folder's name is taken by a file: no folder there
        env->answer = answer;
        QPointer<Window> w = openWindow<Window>();
        w->findChild<QPushButton*>("tbcOK")->click();
        QCOMPARE(env->questions.size(), 1);
        QVERIFY2(env->questions.first().startsWith(
                     "The month's report could not be archived as " +
                     QDir::toNativeSeparators(QDir(archive).filePath("1010 2024-02.pdf"))),
                 qPrintable(env->questions.first()));
        QVERIFY(env->questions.first().endsWith("Do you want to post the reconciliation anyway?"));
        QCOMPARE(postedOn(), answer ? 20240305 : 0);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS='R'"), answer ? 1 : 0);
        if (answer)
            QTRY_VERIFY(!w);
        else
            QVERIFY(w && w->isVisible());
        delete w;
    }

private:
    QString archive;
};

QTEST_MAIN(TestPostingArchive)

#include "tst_posting_archive.moc"
