// One month of a bank account from start to finish, through the real windows: a bank fee
// recorded as an adjustment, the statement's items cleared with full, short and repeated
// dates, the balances reconciled to a difference of 0.00, the month posted, and the next
// month proposed.

#include "account_adjustments.h"
#include "clear_transactions.h"
#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "finalize_post.h"
#include "flex_grid.h"
#include "reconcile_balances.h"
#include "test_support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kBank = 1010;

// October 2024 on the bank account (today is 15 November 2024; September is posted).
enum Line { Deposit1 = 1, Deposit2, Deposit3, Check1, Check2, Check3, SeptemberDeposit };

void seedMonth() {
    sqlExec("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,glmGLANBR,glmGLANME,"
            "glmGLATYP,glmBOYBAL) values(2024,'*',1010,'Operating Account','BNK',1000)");
    sqlExec("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,glmGLANBR,glmGLANME) "
            "values(2024,'*',5010,'Bank Service Charges')");
    struct {
        int line, date;
        double amount;
        int cheque, cleared;
        const char* status;
    } lines[] = {{Deposit1, 20241003, 500, 0, 0, ""},
                 {Deposit2, 20241007, 250, 0, 0, ""},
                 {Deposit3, 20241028, 300, 0, 0, ""},
                 {Check1, 20241010, -200, 101, 0, ""},
                 {Check2, 20241012, -120, 102, 0, ""},
                 {Check3, 20241020, -50, 103, 0, ""},
                 {SeptemberDeposit, 20240915, 400, 0, 20240920, "R"}};
    for (const auto& l : lines)
        sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                               "gltJRNCDE,gltTRNDTE,gltGLANBR,gltDESCPT,gltTRNAMT,gltCHKNBR,"
                               "gltRCNDTE,gltSTATUS) values(2024,%1,'GJ',%2,1010,'Line %1',%3,"
                               "%4,%5,'%6')")
                    .arg(l.line)
                    .arg(l.date)
                    .arg(l.amount)
                    .arg(l.cheque)
                    .arg(l.cleared)
                    .arg(QLatin1String(l.status)));
    sqlExec("insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhGLANBR,brhSTMDTE,"
            "brhBNKBAL,brhRLSDTE,brhPSTDTE) values(2024,9,1010,20240930,1400,20241001,20241002)");
    shared().wrkBACNBR = kBank;
    shared().wrkFSYEAR = 2024;
}

template <typename W> W* open() {
    auto* w = new W;
    w->load();
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w))
        qWarning("window not active");
    return w;
}

template <typename T> T* child(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QString text(QWidget* w, const char* name) {
    return child<QLineEdit>(w, name)->text();
}

int clearedDate(int line) {
    return sqlValue(QStringLiteral("select gltRCNDTE from LDG_GENERAL_LEDGER_TRANSACTION where "
                                   "gltFSYEAR=2024 and gltLNENBR=%1")
                        .arg(line))
        .toInt();
}

int rowOfLine(FlexGrid* grid, int line) {
    for (int r = 1; r < grid->rows(); ++r)
        if (grid->text(r, 6) == QString::number(line))
            return r;
    return 0;
}

} // namespace

class TestMonthEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void month();
};

void TestMonthEndToEnd::month() {
    TestEnvironment env;
    env.openDatabase();
    seedMonth();

    // 1. The statement shows a fee of 25.00: the bank line lowers the balance, the reversing
    //    line goes to Bank Service Charges. It takes the year's next line numbers.
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> adjust = open<frmAUD_ACCOUNT_ADJUSTMENTS>();
    QCOMPARE(child<DatePicker>(adjust, "dbxTRNDTE")->dateNumber(), 20241015);
    auto* ledger = child<QComboBox>(adjust, "cbxLEDGER");
    ledger->showPopup();
    QTRY_VERIFY(ledger->view()->isVisible());
    const QModelIndex charges = ledger->model()->index(ledger->findData(5010), 0);
    QTest::mouseClick(ledger->view()->viewport(), Qt::LeftButton, {},
                      ledger->view()->visualRect(charges).center());
    QTRY_VERIFY(!ledger->view()->isVisible());
    QTest::keyClicks(child<QLineEdit>(adjust, "tbxDESCPT"), "Monthly service charge");
    auto* amount = child<QLineEdit>(adjust, "tbxTRNAMT");
    amount->selectAll();
    QTest::keyClicks(amount, "-25");
    QTest::mouseClick(child<QPushButton>(adjust, "tbcADD"), Qt::LeftButton);
    QCOMPARE(env.messages, QStringList());
    const int fee = SeptemberDeposit + 1;
    const auto lineValue = [](int line, const char* column) {
        return sqlValue(QStringLiteral("select %1 from LDG_GENERAL_LEDGER_TRANSACTION where "
                                       "gltFSYEAR=2024 and gltLNENBR=%2")
                            .arg(QLatin1String(column))
                            .arg(line));
    };
    QCOMPARE(lineValue(fee, "gltTRNAMT").toDouble(), -25.0);
    QCOMPARE(lineValue(fee + 1, "gltGLANBR").toInt(), 5010);
    QCOMPARE(lineValue(fee + 1, "gltTRNAMT").toDouble(), 25.0);
    adjust->closeWindow();
    QTRY_VERIFY(!adjust);

    // 2. Clear what the statement shows: a full date, a day, a month and day, F6 to repeat
    //    it; two items stay outstanding.
    using Clear = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;
    QPointer<Clear> clear = open<Clear>();
    auto* grid = child<FlexGrid>(clear, "grdTRANSACTION");
    auto* editor = child<QLineEdit>(clear, "tbxTRANSACTION");
    QCOMPARE(grid->text(rowOfLine(grid, fee), 3), QString("25.00"));
    const auto enterOn = [&](int line, const QString& typed, Qt::Key key) {
        const int row = rowOfLine(grid, line);
        QVERIFY(row > 0);
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, 3));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_VERIFY(editor->isVisible());
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, key);
    };
    enterOn(Deposit1, "10/05/2024", Qt::Key_Return);
    enterOn(Deposit2, "07", Qt::Key_Return);
    // F6 carries 10/11/24 to the row below; the clerk confirms it there.
    QCOMPARE(rowOfLine(grid, Check2), rowOfLine(grid, Check1) + 1);
    enterOn(Check1, "1011", Qt::Key_F6);
    QCOMPARE(editor->text(), QString("10/11/24"));
    QTest::keyClick(editor, Qt::Key_Return);
    enterOn(fee, "31", Qt::Key_Return);
    QCOMPARE(env.messages, QStringList());
    StatementTrace::clear();
    QTest::mouseClick(child<QPushButton>(clear, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(!clear);
    QVERIFY(StatementTrace::statements().contains(
        "Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20241011 where gltFSYEAR=2024 and "
        "gltLNENBR=5"));
    const QList<int> cleared = {clearedDate(Deposit1), clearedDate(Deposit2), clearedDate(Deposit3),
                                clearedDate(Check1),   clearedDate(Check2),   clearedDate(Check3),
                                clearedDate(fee)};
    QCOMPARE(cleared, (QList<int>{20241005, 20241007, 0, 20241011, 20241011, 0, 20241031}));

    // 3. Reconcile October. Outstanding: the deposit of 300 less the check of 50. Ledger:
    //    1000 at the start of the year plus the unreconciled lines (655). The statement's
    //    1905.00 leaves no difference.
    using Reconcile = frmRECONCILE_CHECKING_ACCOUNT_BALANCES;
    QPointer<Reconcile> reconcile = open<Reconcile>();
    QCOMPARE(reconcile->mode(), QString("ADD"));
    QCOMPARE(text(reconcile, "tbxMONTH"), QString("10"));
    QCOMPARE(text(reconcile, "tbxYEAR"), QString("2024"));
    QCOMPARE(child<DatePicker>(reconcile, "dbxSTMDTE")->dateNumber(), 20241030);
    QCOMPARE(text(reconcile, "tbxOUTSTD"), QString("250.00"));
    QCOMPARE(text(reconcile, "tbxEOMBAL"), QString("1655.00"));
    auto* bank = child<QLineEdit>(reconcile, "tbxBNKBAL");
    bank->setFocus();
    QTRY_VERIFY(bank->hasFocus());
    QTest::keyClicks(bank, "1905");
    QTest::keyClick(bank, Qt::Key_Return);
    QCOMPARE(text(reconcile, "tbxADJBAL"), QString("1655.00"));
    QCOMPARE(text(reconcile, "tbxOVRSHT"), QString("0.00"));
    QTest::mouseClick(child<QPushButton>(reconcile, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(!reconcile);
    QCOMPARE(sqlValue("select brhOVRSHT from LDG_BANK_RECONCILIATION_HISTORY where brhMONTH=10")
                 .toDouble(),
             0.0);

    // 4. Post: the five cleared lines become reconciled and October is closed.
    using Finalize = frmFINALIZE_POST_BANK_RECONCILIATION;
    QPointer<Finalize> finalize = open<Finalize>();
    QCOMPARE(child<QLabel>(finalize, "lblRECORD_COUNT")->text(), QString("Record Count:   5"));
    QTest::mouseClick(child<QPushButton>(finalize, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(!finalize);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltGLANBR=1010 and gltSTATUS='R'"), 6);
    QCOMPARE(
        sqlValue("select brhPSTDTE from LDG_BANK_RECONCILIATION_HISTORY where brhMONTH=10").toInt(),
        20241115);

    // 5. The Reconcile window now proposes November, and the ledger balance counts only
    //    what is still open.
    reconcile = open<Reconcile>();
    QCOMPARE(reconcile->mode(), QString("ADD"));
    QCOMPARE(text(reconcile, "tbxMONTH"), QString("11"));
    QCOMPARE(text(reconcile, "tbxYEAR"), QString("2024"));
    QCOMPARE(child<DatePicker>(reconcile, "dbxSTMDTE")->dateNumber(), 20241130);
    QCOMPARE(text(reconcile, "tbxOUTSTD"), QString("250.00"));
    QCOMPARE(text(reconcile, "tbxEOMBAL"), QString("1250.00"));
    reconcile->closeWindow();
    QTRY_VERIFY(!reconcile);
    QCOMPARE(env.messages, QStringList());
}

QTEST_MAIN(TestMonthEndToEnd)
#include "tst_month_end_to_end.moc"
