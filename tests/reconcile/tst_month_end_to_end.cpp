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
        insertAccount(1010, "Operating Account", 2024, "CA", "BNK", 1000);
        insertAccount(5010, "Bank Service Charges");
        enum { Deposit1 = 1, Deposit2, Deposit3, Check1, Check2, Check3, SeptemberDeposit, Fee };
        const QList<int> dates = {20241003, 20241007, 20241028, 20241010, 20241012, 20241020};
        const QList<double> amounts = {500, 250, 300, -200, -120, -50};
        for (int line = Deposit1; line <= Check3; ++line)
            insertLedgerLine({.line = line, .date = dates[line - 1], .amount = amounts[line - 1]});
        insertLedgerLine({SeptemberDeposit, 20240915, 400, 1010, 2024, "R", 20240920});
        insertHistoryRow({2024, 9, 20240930, 1400, 0, 0, 0, 0, 20241001, 20241002});
        shared().wrkFSYEAR = 2024;
        if (odbc) {
            db().openOdbc("Driver={SQLite3};Database=" + env->databaseFile() + ";");
            QVERIFY(db().isServer());
        }

        // 1. A fee of 25.00 on the year's next line numbers, reversed to Bank Service Charges.
        QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> adjust = openWindow<frmAUD_ACCOUNT_ADJUSTMENTS>();
        chooseComboItem(child<QComboBox>(adjust, "cbxLEDGER"), " 5010");
        QTest::keyClicks(child<QLineEdit>(adjust, "tbxDESCPT"), "Monthly service charge");
        typeInto(child<QLineEdit>(adjust, "tbxTRNAMT"), "-25");
        click(adjust, "tbcADD");
        closeAndWait(adjust);

        // 2. Clear with a full date, a day, a month and day, F6; two items stay outstanding.
        using Clear = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;
        QPointer<Clear> clear = openWindow<Clear>();
        auto* grid = child<FlexGrid>(clear, "grdTRANSACTION");
        auto* editor = child<QLineEdit>(clear, "tbxTRANSACTION");
        const auto enterOn = [&](int line, const QString& typed, Qt::Key key) {
            clickCell(grid, clear->rowOfLine(line), 3);
            QTRY_VERIFY(editor->isVisible());
            editor->selectAll();
            QTest::keyClicks(editor, typed);
            QTest::keyClick(editor, key);
        };
        enterOn(Deposit1, "10/05/2024", Qt::Key_Return);
        enterOn(Deposit2, "07", Qt::Key_Return);
        enterOn(Check1, "1011", Qt::Key_F6); // carried to Check2 below, confirmed there
        QTest::keyClick(editor, Qt::Key_Return);
        enterOn(Fee, "31", Qt::Key_Return);
        click(clear, "tbcOK");
        QTRY_VERIFY(!clear);

        // 3. Outstanding 300 - 50; ledger 1000 + 655 unreconciled; the bank's 1905.00 balances.
        using Reconcile = frmRECONCILE_CHECKING_ACCOUNT_BALANCES;
        QPointer<Reconcile> reconcile = openWindow<Reconcile>();
        typeInto(child<QLineEdit>(reconcile, "tbxBNKBAL"), "1905", Qt::Key_Return);
        click(reconcile, "tbcOK");
        QTRY_VERIFY(!reconcile);

        // 4. Post: the five cleared lines become reconciled and October is closed.
        using Finalize = frmFINALIZE_POST_BANK_RECONCILIATION;
        QPointer<Finalize> finalize = openWindow<Finalize>();
        click(finalize, "tbcOK");
        QTRY_VERIFY(!finalize);

        // 5. November is proposed next, and the ledger balance counts only what is still open.
        reconcile = openWindow<Reconcile>();
        QCOMPARE(text(reconcile, "tbxMONTH"), QString("11"));
        QCOMPARE(text(reconcile, "tbxEOMBAL"), QString("1250.00"));
        closeAndWait(reconcile);
        QCOMPARE(env->messages, QStringList());
        // The month's rows as written: each line's account, date, amount, cleared date and
        // status (the fee and its reversing line last); October reconciled to 0.00 and posted.
        QCOMPARE(sqlValue("select group_concat(line, ', ') from (select gltGLANBR||' '||gltTRNDTE"
                          "||' '||gltTRNAMT||' '||gltRCNDTE||' '||gltSTATUS as line from "
                          "LDG_GENERAL_LEDGER_TRANSACTION order by gltLNENBR)")
                     .toString(),
                 QString("1010 20241003 500.0 20241005 R, 1010 20241007 250.0 20241007 R, "
                         "1010 20241028 300.0 0 , 1010 20241010 -200.0 20241011 R, "
                         "1010 20241012 -120.0 20241011 R, 1010 20241020 -50.0 0 , "
                         "1010 20240915 400.0 20240920 R, 1010 20241015 -25.0 20241031 R, "
                         "5010 20241015 25.0 0 "));
        QCOMPARE(
            sqlCount("LDG_BANK_RECONCILIATION_HISTORY",
                     "brhMONTH=10 and brhBNKBAL=1905 and "
                     "brhOUTSTD=250 and brhEOMBAL=1655 and brhOVRSHT=0 and brhPSTDTE=20241115"),
            1);
    }
};

QTEST_MAIN(TestMonthEndToEnd)
#include "tst_month_end_to_end.moc"
