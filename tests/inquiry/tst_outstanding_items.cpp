// The inquiry's Reconciliations mode after the month: a double click lists a month's
// outstanding items, a stale check goes to the Void window already searched, the "Changed
// Since Posting" column and its lines, and the Balances chart that opens a month's items.

#include "balance_chart.h"
#include "bank_activity.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "ledger.h"
#include "outstanding_items.h"
#include "test_support.h"
#include "void_checks.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>

namespace {

using Window = frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS;

// A month of 1010 saved on its statement date.
void insertMonth(int month, int statement, int postedOn) {
    insertHistoryRow({.month = month,
                      .statement = statement,
                      .bank = 1000.0 + month * 10,
                      .ledger = 990.0 + month * 10,
                      .difference = month - 5.0,
                      .saved = statement,
                      .posted = postedOn});
}

// January and February posted, March open; a check from last summer is stale by February.
void seed() {
    insertLedgerLine(
        {.line = 1, .date = 20230710, .amount = -45, .check = 812, .description = "Old Supplier"});
    insertLedgerLine(
        {.line = 2, .date = 20240220, .amount = -300, .check = 901, .description = "Rent"});
    insertLedgerLine({.line = 3, .date = 20240228, .amount = 75, .description = "Deposit"});
    insertLedgerLine({.line = 4,
                      .date = 20240115,
                      .amount = -20,
                      .status = "R",
                      .cleared = 20240120,
                      .check = 850,
                      .description = "Cleared in January"});
    // Entered after February was posted, dated in February.
    insertLedgerLine({.line = 5, .date = 20240227, .amount = -12.5, .description = "Late fee"});
    sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltPSTDTE=20240310 where gltLNENBR=5");
    sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltPSTDTE=gltTRNDTE where gltLNENBR<>5");
    insertMonth(1, 20240131, 20240205);
    insertMonth(2, 20240229, 20240305);
    insertMonth(3, 20240331, 0);
}

Window* openReconciliations() {
    auto* w = openWindow<Window>();
    w->findChild<DatePicker*>("dbxSTRDTE")->setDateNumber(20230101);
    w->findChild<QRadioButton*>("optRECONCILIATION")->click();
    QCoreApplication::processEvents(); // the grid takes its new layout before it is clicked
    return w;
}

} // namespace

class TestOutstandingItems : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>(20240415);
        env->openDatabase();
        seed();
    }
    void cleanup() {
        deleteProgramWindows();
        env.reset();
    }

    void changedSincePostingColumn() {
        QPointer<Window> w = openReconciliations();
        auto* grid = w->findChild<FlexGrid*>("grdACTIVITY");
        // Newest first: March is open, February gained the late fee, January is unchanged.
        QCOMPARE(grid->text(1, 8), QString());
        QCOMPARE(grid->text(2, 8), QStringLiteral("Out -12.50  Book -12.50"));
        QCOMPARE(grid->text(3, 8), QString());

        QPointer<frmCHANGES_SINCE_POSTING> changes;
        bool seen = false;
        whenModalAppears([&](QWidget* modal) {
            seen = true;
            changes = qobject_cast<frmCHANGES_SINCE_POSTING*>(modal);
            QVERIFY(changes);
            auto* lines = changes->findChild<QTableView*>("grdCHANGES");
            QCOMPARE(lines->model()->rowCount(), 1);
            QCOMPARE(cellText(lines, 1, 2), QStringLiteral("Late fee"));
            QCOMPARE(cellText(lines, 1, 4), QStringLiteral("Posted after the month was posted"));
            QCOMPARE(cellText(lines, 1, 5), QStringLiteral("-12.50"));
            changes->closeWindow();
        });
        clickCell(grid, 2, 8, true);
        QTRY_VERIFY(seen && !changes);
    }

    void outstandingListAndStaleCheck() {
        QPointer<Window> w = openReconciliations();
        auto* grid = w->findChild<FlexGrid*>("grdACTIVITY");
        QPointer<frmOUTSTANDING_ITEMS> items;
        whenModalAppears([&](QWidget* modal) {
            items = qobject_cast<frmOUTSTANDING_ITEMS*>(modal);
            QVERIFY(items);
            auto* list = items->findChild<QTableView*>("grdOUTSTANDING");
            // As of 29 February: the stale check, rent, the late fee and the deposit.
            QCOMPARE(list->model()->rowCount(), 4);
            QCOMPARE(cellText(list, 1, 1), QStringLiteral("812"));
            QCOMPARE(cellText(list, 1, 4), QStringLiteral("234"));
            QCOMPARE(cellText(list, 1, 5), QStringLiteral("Over 180"));
            QCOMPARE(list->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
                     QColor(255, 192, 192));
            QCOMPARE(cellText(list, 2, 5), QStringLiteral("0-30"));
            auto* ageing = items->findChild<FlexGrid*>("grdAGEING");
            QCOMPARE(ageing->text(1, 0), QStringLiteral("-237.50"));
            QCOMPARE(ageing->text(1, 4), QStringLiteral("-45.00"));
            QCOMPARE(ageing->text(1, 5), QStringLiteral("-282.50"));
            // Another window clears the rent: the open list follows.
            ledger::writeClearedDates(db(), 1010, {{2024, 2, 20240226}});
            QCOMPARE(list->model()->rowCount(), 3);
            QCOMPARE(ageing->text(1, 5), QStringLiteral("17.50"));
            auto* voidButton = items->findChild<QPushButton*>("tbcVOID");
            clickCell(list, 2, 0);
            QVERIFY(!voidButton->isEnabled());
            clickCell(list, 1, 0);
            QVERIFY(voidButton->isEnabled());
            voidButton->click();
        });
        clickCell(grid, 2, 1, true);
        QTRY_VERIFY(!items);
        // The Void window has searched the stale check.
        auto* voids = topLevel<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS>();
        QVERIFY(voids);
        QCOMPARE(voids->wrkCHKNBR, 812);
    }

    void balancesChart() {
        QPointer<Window> w = openWindow<Window>();
        w->findChild<QRadioButton*>("optBALANCES")->click();
        BalanceChart* chart = w->balanceChart();
        QVERIFY(chart && chart->isVisible());
        QVERIFY(!w->findChild<FlexGrid*>("grdACTIVITY")->isVisible());
        QCOMPARE(chart->months().size(), 3);
        QCOMPARE(chart->months().first().label(), QStringLiteral("2024-01"));
        QCOMPARE(chart->figuresText(1).section('\n', 0, 4),
                 QStringLiteral("2024-02 (statement 02/29/24)\nBank balance: 1020.00\nLedger "
                                "balance: 1010.00\nOutstanding: 0.00\nOver/-Short: -3.00"));
        QTRY_VERIFY(chart->monthAt(chart->monthPosition(1)) == 1);

        // A click on February opens its outstanding items.
        QPointer<frmOUTSTANDING_ITEMS> items;
        int listed = 0;
        whenModalAppears([&](QWidget* modal) {
            items = qobject_cast<frmOUTSTANDING_ITEMS*>(modal);
            QVERIFY(items);
            listed = items->list().items.size();
            QCOMPARE(items->list().asOf, 20240229);
            items->closeWindow();
        });
        QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->monthPosition(1));
        QTRY_VERIFY(listed == 4 && !items);

        // Back to a listing: the grid returns.
        w->findChild<QRadioButton*>("optRECONCILIATION")->click();
        QVERIFY(!chart->isVisible());
        QVERIFY(w->findChild<FlexGrid*>("grdACTIVITY")->isVisible());
    }

private:
    std::unique_ptr<TestEnvironment> env;
};

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestOutstandingItems test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_outstanding_items.moc"
