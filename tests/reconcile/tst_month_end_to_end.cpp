// One month of a bank account through the real windows: a fee adjusted, items cleared with
// full, short and repeated dates, balances reconciled to 0.00, posted, next month proposed.

#include "account_adjustments.h"
#include "clear_transactions.h"
#include "context.h"
#include "database.h"
#include "finalize_post.h"
#include "flex_grid.h"
#include "reconcile_balances.h"
#include "test_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

using clerk::click;
using clerk::text;

class TestMonthEndToEnd : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    void monthFromFeeToPosting_data() {
        QTest::addColumn<bool>("odbc");
        QTest::newRow("SQLite file") << false;
        // The server path: every statement through ODBC (here SQLite's own ODBC driver), results
        // read whole, values arriving as the driver gives them.
        QTest::newRow("through ODBC") << true;
    }

    void monthFromFeeToPosting() {
        QFETCH(bool, odbc);
        // October 2024 on 1010 (today is 15 November 2024; September is posted).
        const auto overOdbc = [&] {
            if (!odbc)
                return;
            db().openOdbc("Driver={SQLite3};Database=" + env->databaseFile() + ";");
            QVERIFY(db().isServer());
        };
        insertAccount(1010, "Operating Account", 2024, "CA", "BNK", 1000);
        insertAccount(5010, "Bank Service Charges");
        enum { Deposit1 = 1, Deposit2, Deposit3, Check1, Check2, Check3, SeptemberDeposit, Fee };
        const QList<int> dates = {20241003, 20241007, 20241028, 20241010, 20241012, 20241020};
        const QList<double> amounts = {500, 250, 300, -200, -120, -50};
        for (int line = Deposit1; line <= Check3; ++line)
            insertLedgerLine({.line = line, .date = dates[line - 1], .amount = amounts[line - 1]});
        insertLedgerLine({SeptemberDeposit, 20240915, 400, 1010, 2024, "R", 20240920});
        insertHistoryRow({.month = 9,
                          .statement = 20240930,
                          .bank = 1400,
                          .saved = 20241001,
                          .posted = 20241002});
        shared().wrkFSYEAR = 2024;
        overOdbc();
        if (QTest::currentTestFailed())
            return;

        // 1. A fee of 25.00 on the year's next line numbers, reversed to Bank Service Charges.
        QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> adjust = openWindow<frmAUD_ACCOUNT_ADJUSTMENTS>();
        chooseComboItem(child<QComboBox>(adjust, "cbxLEDGER"), " 5010");
        QTest::keyClicks(child<QLineEdit>(adjust, "tbxDESCPT"), "Monthly service charge");
        typeInto(child<QLineEdit>(adjust, "tbxTRNAMT"), "-25");
        click(adjust, "tbcADD");
        QCOMPARE(
            sqlCount("LDG_GENERAL_LEDGER_TRANSACTION",
                     "gltLNENBR=8 and gltGLANBR=1010 and gltTRNAMT=-25 and gltTRNDTE=20241015 or "
                     "gltLNENBR=9 and gltGLANBR=5010 and gltTRNAMT=25"),
            2);
        closeAndWait(adjust);

        // 2. Clear with a full date, a day, a month and day, F6; two items stay outstanding.
        using Clear = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;
        QPointer<Clear> clear = openWindow<Clear>();
        auto* grid = child<FlexGrid>(clear, "grdTRANSACTION");
        auto* editor = child<QLineEdit>(clear, "tbxTRANSACTION");
        const auto enterOn = [&](int line, const QString& typed, Qt::Key key) {
            const int row = clear->rowOfLine(line);
            clickCell(grid, row, 3);
            QTRY_VERIFY(editor->isVisible());
            editor->selectAll();
            QTest::keyClicks(editor, typed);
            QTest::keyClick(editor, key);
        };
        enterOn(Deposit1, "10/05/2024", Qt::Key_Return);
        enterOn(Deposit2, "07", Qt::Key_Return);
        enterOn(Check1, "1011", Qt::Key_F6); // carried to Check2 below, confirmed there
        QCOMPARE(clear->lineOfRow(grid->row()), int(Check2));
        QTest::keyClick(editor, Qt::Key_Return);
        enterOn(Fee, "31", Qt::Key_Return);
        click(clear, "tbcOK");
        QTRY_VERIFY(!clear);
        QCOMPARE(sqlValue("select group_concat(gltRCNDTE) from (select gltRCNDTE from "
                          "LDG_GENERAL_LEDGER_TRANSACTION where gltLNENBR<=9 order by gltLNENBR)")
                     .toString(),
                 QString("20241005,20241007,0,20241011,20241011,0,20240920,20241031,0"));

        // 3. Outstanding 300 - 50; ledger 1000 + 655 unreconciled; the bank's 1905.00 balances.
        using Reconcile = frmRECONCILE_CHECKING_ACCOUNT_BALANCES;
        QPointer<Reconcile> reconcile = openWindow<Reconcile>();
        QCOMPARE(text(reconcile, "tbxEOMBAL"), QString("1655.00"));
        auto* bank = child<QLineEdit>(reconcile, "tbxBNKBAL");
        bank->setFocus();
        QTRY_VERIFY(bank->hasFocus());
        QTest::keyClicks(bank, "1905");
        QTest::keyClick(bank, Qt::Key_Return);
        QCOMPARE(text(reconcile, "tbxOVRSHT"), QString("0.00"));
        click(reconcile, "tbcOK");
        QTRY_VERIFY(!reconcile);
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", "brhMONTH=10 and brhOVRSHT=0"), 1);

        // 4. Post: the five cleared lines become reconciled and October is closed.
        using Finalize = frmFINALIZE_POST_BANK_RECONCILIATION;
        QPointer<Finalize> finalize = openWindow<Finalize>();
        click(finalize, "tbcOK");
        QTRY_VERIFY(!finalize);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltGLANBR=1010 and gltSTATUS='R'"), 6);
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", "brhMONTH=10 and brhPSTDTE=20241115"),
                 1);

        // 5. November is proposed next, and the ledger balance counts only what is still open.
        reconcile = openWindow<Reconcile>();
        QCOMPARE(text(reconcile, "tbxMONTH"), QString("11"));
        QCOMPARE(text(reconcile, "tbxEOMBAL"), QString("1250.00"));
        closeAndWait(reconcile);
        QCOMPARE(env->messages, QStringList());
    }
};

QTEST_MAIN(TestMonthEndToEnd)
#include "tst_month_end_to_end.moc"
