// Finalize archives the month's report before it posts: the archive reads as Print's PDF of
// the same moment, and the clerk chooses when the archive cannot be written. (The archive's
// name, never an older one overwritten: tst_after_month.)

#include "finalize_post.h"
#include "print_engine.h"
#include "reconciliation_report.h"
#include "test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>

using namespace mdlPRINTING;
using Window = frmFINALIZE_POST_BANK_RECONCILIATION;
using Report = frmPRINT_BANK_RECONCILIATION_REPORT;

class TestPostingArchive : public DatabaseTest {
    Q_OBJECT
    QString archive;
    QPointer<Window> w;

    // OK in the Finalize window; February's posting date after it, 0 while open.
    int post() {
        w = openWindow<Window>();
        clerk::clickOk(w);
        return sqlValue("select brhPSTDTE from LDG_BANK_RECONCILIATION_HISTORY where brhMONTH=2")
            .toInt();
    }

private Q_SLOTS:
    void init() {
        env.emplace(20240305).openDatabase();
        archive = env->path("Archive");
        // line, date, amount, account, year, status, cleared, check, description
        insertLedgerLine({1, 20240210, -80, 1010, 2024, "", 20240220, 501, "Cleared check"});
        insertLedgerLine({2, 20240225, -30, 1010, 2024, "", 0, 502, "Outstanding check"});
        // January posted, February saved and open.
        insertHistoryRow({2024, 1, 20240131, 500, 0, 0, 0, 0, 20240201, 20240202});
        insertHistoryRow({2024, 2, 20240229, 420, -30, 0, 0, 0, 20240304});
    }
    void cleanup() {
        delete w;
        env.reset();
    }

    // OK archives the open month under the account and month, and the archive reads as
    // Print's PDF of that month with all three reports, made before anything is posted.
    void archiveReadsAsPrint() {
        const QString printed = env->path("printed.pdf");
        {
            PdfSurface pdf(printed);
            Report::setPrinterOverride([&pdf] { return &pdf; });
            QPointer<Report> report = openWindow<Report>();
            report->chkOUTSTANDING->setChecked(true);
            report->lbxRECONCILIATION->item(0)->setSelected(true); // February, the newest
            report->tbcPRINT->click();
            Report::setPrinterOverride({});
            pdf.finish();
            delete report;
        }
        QCOMPARE(post(), 20240305);
        QTRY_VERIFY(!w);
        QCOMPARE(pdfText(QDir(archive).filePath("1010 2024-02.pdf")), pdfText(printed));
        QVERIFY(env->questions.isEmpty());
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
        QCOMPARE(post(), answer ? 20240305 : 0);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS='R'"), answer ? 1 : 0);
        QCOMPARE(env->questions.size(), 1);
        QVERIFY2(env->questions.first().startsWith(
                     "The month's report could not be archived as " +
                     QDir::toNativeSeparators(QDir(archive).filePath("1010 2024-02.pdf"))),
                 qPrintable(env->questions.first()));
        QVERIFY(env->questions.first().endsWith("Do you want to post the reconciliation anyway?"));
        if (answer)
            QTRY_VERIFY(!w);
        else
            QVERIFY(w && w->isVisible());
    }
};

QTEST_MAIN(TestPostingArchive)
#include "tst_posting_archive.moc"
