// Finding the difference from Reconcile: the button, the list of causes, and acting on one in
// Clear, after which the list and Reconcile follow.

#include "clear_transactions.h"
#include "command_line.h"
#include "common.h"
#include "demo_database.h"
#include "find_difference_window.h"
#include "flex_grid.h"
#include "ledger.h"
#include "messages.h"
#include "reconcile_balances.h"
#include "settings.h"
#include "statement_files.h"
#include "test_support.h"
#include "transaction_detail.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>

namespace {

using Reconcile = frmRECONCILE_CHECKING_ACCOUNT_BALANCES;

// February, saved with a bank balance of 1450.00: check 102 was paid but is not cleared.
void insertMonth() {
    insertAccount(1010, "Bank", 2024, "CA", "BNK", 1000);
    insertLedgerLine({.line = 1, .date = 20240205, .amount = 500, .cleared = 20240206});
    insertLedgerLine({.line = 3, .date = 20240220, .amount = -50, .check = 102});
    insertHistoryRow({.month = 2, .statement = 20240229, .bank = 1450, .saved = 20240305});
}

} // namespace

class TestFindDifferenceWindow : public QObject, WindowFixture<Reconcile> {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUp(20240315); }
    void cleanup() {
        deleteProgramWindows();
        tearDown();
    }

    void buttonWantsABalanceAndADifference() {
        insertAccount(1010, "Bank", 2024, "CA", "BNK", 1000);
        w = openWindow<Reconcile>();
        auto* find = child<QPushButton>(w, "tbcFIND_DIFFERENCE");
        QCOMPARE(find->text(), QStringLiteral("Find the &Difference"));
        QVERIFY(!find->isEnabled()); // no balance entered yet
        typeInto(child<QLineEdit>(w, "tbxBNKBAL"), "900", Qt::Key_Return);
        QVERIFY(find->isEnabled());
        typeInto(child<QLineEdit>(w, "tbxBNKBAL"), "1000", Qt::Key_Return);
        QVERIFY(!find->isEnabled()); // no difference
    }

    // The bank's fee the ledger lacks is added where last month's fee went, cleared on the
    // bank's date, after one question; the difference it explained is gone.
    void proposedAdjustmentAdded() {
        insertMonth();
        sqlExec("update LDG_BANK_RECONCILIATION_HISTORY set brhBNKBAL=1356.5");
        const ledger::PostedAdjustment january = ledger::postAdjustment(
            db(), {20240131, 90000, 1010, 5010, "MONTHLY SERVICE CHARGE", -25}, QDate(2024, 2, 1));
        ledger::writeClearedDates(db(), 1010, {{january.fiscalYear, january.line, 20240131}});
        Statement february;
        february.account = QStringLiteral("4410012345");
        february.currency = QStringLiteral("USD");
        february.periodStart = 20240201;
        february.periodEnd = 20240229;
        february.hasOpening = february.hasClosing = true;
        february.opening = 100000;
        february.closing = 98150;
        february.closingDate = 20240229;
        february.lines = {{20240227, -1850, 0, QStringLiteral("MONTHLY SERVICE CHARGE")}};
        const statement_files::Written written = statement_files::write({february}, {});
        const QString file = env->path(written.fileName);
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(written.bytes) > 0);
        out.close();

        auto* found = openWindow<frmFIND_DIFFERENCE>();
        found->setStatementFile(file);
        QCOMPARE(found->grdCAUSES->text(1, 0), QStringLiteral("Bank's lines"));
        QVERIFY(found->tbcADD_PROPOSED->isEnabled());
        // The real question box, answered Yes as the clerk would.
        setQuestionHandler({});
        QString asked;
        whenModalAppears([&asked](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            asked = box->text();
            box->button(QMessageBox::Yes)->click();
        });
        QTest::mouseClick(found->tbcADD_PROPOSED, Qt::LeftButton);
        QVERIFY(asked.contains(
            "MONTHLY SERVICE CHARGE  -18.50  like 'MONTHLY SERVICE CHARGE' on 01/31/24 -> 5010"));
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION",
                          "gltJRNCDE='BA' and gltTRNDTE=20240227 and gltRCNDTE=20240227 and "
                          "gltGLANBR=1010 and gltTRNAMT=-18.5"),
                 1);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION",
                          "gltJRNCDE='BA' and gltTRNDTE=20240227 and gltGLANBR=5010"),
                 1);
        QCOMPARE(found->lblDIFFERENCE->text(),
                 QStringLiteral("The month 2/2024 has no difference."));
        delete found;
    }

    // The demo's open month is left with a difference of a check's swapped digits and a
    // service charge the ledger lacks; the window and the command line find the same causes.
    void demoMonthAgreesWithTheCommandLine() {
        const QString file = env->path("demo.mdb"), statement = env->path("demo.ofx");
        buildDemoDatabase(file, {}, statement);
        const QString folder = fncPROGRAM_FOLDER();
        saveSetting("Startup", "TKVDTA-" + folder, file);
        saveSetting("Startup", "TKWDTA-" + folder, file);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(cli::run({"difference", "--account", "1010", "--month", "2024-02", "--statement",
                           statement},
                          outStream, errStream),
                 0);
        db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + file);
        auto* found = openWindow<frmFIND_DIFFERENCE>();
        found->setStatementFile(statement);
        QCOMPARE(found->lblDIFFERENCE->text(),
                 QStringLiteral("Difference over or short of 2/2024: -36.50"));
        QStringList listed;
        for (const reports::Cause& c : found->search().causes)
            listed << QStringLiteral("%1. %2: %3")
                          .arg(listed.size() + 1)
                          .arg(reports::causeKindName(c.kind), c.english);
        QVERIFY(listed.first().contains("check 4637 of 02/13/24 (-824.60, Metro Truck Repair) was "
                                        "probably meant as -842.60 (two digits swapped)"));
        QCOMPARE(out.split('\n').mid(2, listed.size()), listed);
        delete found;
    }

    void causeActedOnInClear() {
        insertMonth();
        w = openWindow<Reconcile>();
        QCOMPARE(child<QLineEdit>(w, "tbxOVRSHT")->text(), QStringLiteral("50.00"));
        QTest::mouseClick(child<QPushButton>(w, "tbcFIND_DIFFERENCE"), Qt::LeftButton);
        auto* found = topLevel<frmFIND_DIFFERENCE>();
        QVERIFY(found);
        QCOMPARE(found->grdCAUSES->text(1, 0), QStringLiteral("Item cleared"));
        QVERIFY(found->lblSENTENCE->text().startsWith(
            "check 102 of 02/20/24 (-50.00, Line 3) is outstanding"));
        QVERIFY(found->tbcCLEAR->isEnabled() && !found->tbcADJUSTMENT->isEnabled());
        // The check's transaction, found by its number, is shown on request.
        sqlExec("insert into LDG_BANK_EXPENDITURE_TRANSACTION(betGLANBR,betCHKNBR,betTRNDTE,"
                "betLNENBR,betTRNAMT) values(1010,102,20240220,7,50)");
        int shownLine = 0;
        whenModalAppears([&shownLine](QWidget* modal) {
            auto* detail = qobject_cast<frmANALYZE_BANK_TRANSACTION*>(modal);
            QVERIFY(detail && !detail->depositView());
            shownLine = detail->picked().line;
            detail->close();
        });
        QTest::mouseClick(found->tbcDETAIL, Qt::LeftButton);
        QCOMPARE(shownLine, 7);

        QTest::mouseClick(found->tbcCLEAR, Qt::LeftButton);
        auto* clear = topLevel<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT>();
        QVERIFY(clear);
        QCOMPARE(child<FlexGrid>(clear, "grdTRANSACTION")->row(), clear->rowOfLine(3));
        auto* editor = child<QLineEdit>(clear, "tbxTRANSACTION");
        QTRY_VERIFY(editor->isVisible());
        QTest::keyClicks(editor, "02/26/24");
        QTest::mouseClick(child<QPushButton>(clear, "tbcOK"), Qt::LeftButton);
        // Both follow the write: nothing left to explain.
        QCOMPARE(child<QLineEdit>(w, "tbxOVRSHT")->text(), QStringLiteral("0.00"));
        QCOMPARE(found->lblDIFFERENCE->text(),
                 QStringLiteral("The month 2/2024 has no difference."));
        QCOMPARE(found->grdCAUSES->rows(), 1);
    }
};

QTEST_MAIN(TestFindDifferenceWindow)
#include "tst_find_difference_window.moc"
