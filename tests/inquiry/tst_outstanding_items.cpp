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
#include <QTableView>

namespace {

using Window = frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS;

// A month of 1010 saved on its statement date.
void insertMonth(int month, int statement, int postedOn) {
    insertHistoryRow({2024, month, statement, 1000.0 + month * 10, 0, 0, 990.0 + month * 10,
                      month - 5.0, statement, postedOn});
}

// January and February posted, March open; a check from last summer is stale by February.
void seed() {
    // line, date, amount, account, year, status, cleared, check, description; the late fee
    // was entered after February was posted, dated in February.
    for (const LedgerLine& l :
         {LedgerLine{1, 20230710, -45, 1010, 2024, "", 0, 812, "Old Supplier"},
          LedgerLine{2, 20240220, -300, 1010, 2024, "", 0, 901, "Rent"},
          LedgerLine{3, 20240228, 75, 1010, 2024, "", 0, 0, "Deposit"},
          LedgerLine{4, 20240115, -20, 1010, 2024, "R", 20240120, 850, "Cleared in January"},
          LedgerLine{5, 20240227, -12.5, 1010, 2024, "", 0, 0, "Late fee"}})
        insertLedgerLine(l);
    sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltPSTDTE=20240310 where gltLNENBR=5");
    sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltPSTDTE=gltTRNDTE where gltLNENBR<>5");
    insertMonth(1, 20240131, 20240205);
    insertMonth(2, 20240229, 20240305);
    insertMonth(3, 20240331, 0);
}

QString cells(const QTableView* list, int row, std::initializer_list<int> columns) {
    QStringList texts;
    for (int c : columns)
        texts << cellText(list, row, c);
    return texts.join(u'|');
}

Window* openReconciliations() {
    auto* w = openWindow<Window>();
    w->findChild<DatePicker*>("dbxSTRDTE")->setDateNumber(20230101);
    w->findChild<QRadioButton*>("optRECONCILIATION")->click();
    QCoreApplication::processEvents(); // the grid takes its new layout before it is clicked
    return w;
}

} // namespace

class TestOutstandingItems : public QObject, WindowFixture<Window> {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        setUp(20240415);
        seed();
    }
    void cleanup() {
        deleteProgramWindows();
        tearDown();
    }

    void changedSincePostingColumn() {
        w = openReconciliations();
        auto* grid = w->findChild<FlexGrid*>("grdACTIVITY");
        // Newest first: March is open, February gained the late fee, January is unchanged.
        QCOMPARE(grid->text(1, 8) + '|' + grid->text(2, 8) + '|' + grid->text(3, 8),
                 QStringLiteral("|Out -12.50  Book -12.50|"));

        QString listed;
        whenModalAppears([&listed](QWidget* modal) {
            auto* changes = qobject_cast<frmCHANGES_SINCE_POSTING*>(modal);
            QVERIFY(changes);
            listed = cells(changes->findChild<QTableView*>("grdCHANGES"), 1, {2, 4, 5});
            changes->closeWindow();
        });
        clickCell(grid, 2, 8, true);
        QCOMPARE(listed, QStringLiteral("Late fee|Posted after the month was posted|-12.50"));
    }

    void outstandingListAndStaleCheck() {
        w = openReconciliations();
        auto* grid = w->findChild<FlexGrid*>("grdACTIVITY");
        whenModalAppears([](QWidget* modal) {
            auto* items = qobject_cast<frmOUTSTANDING_ITEMS*>(modal);
            QVERIFY(items);
            auto* list = items->findChild<QTableView*>("grdOUTSTANDING");
            // As of 29 February, the stale check first.
            QCOMPARE(cells(list, 1, {1, 4, 5}), QStringLiteral("812|234|Over 180"));
            QCOMPARE(list->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
                     QColor(255, 192, 192));
            auto* ageing = items->findChild<FlexGrid*>("grdAGEING");
            QCOMPARE(ageing->text(1, 0) + '|' + ageing->text(1, 4) + '|' + ageing->text(1, 5),
                     QStringLiteral("-237.50|-45.00|-282.50"));
            // Another window clears the rent: the open list follows.
            ledger::writeClearedDates(db(), 1010, {{2024, 2, 20240226}});
            QCOMPARE(ageing->text(1, 5), QStringLiteral("17.50"));
            auto* voidButton = items->findChild<QPushButton*>("tbcVOID");
            clickCell(list, 2, 0);
            QVERIFY(!voidButton->isEnabled());
            clickCell(list, 1, 0);
            QVERIFY(voidButton->isEnabled());
            voidButton->click();
        });
        clickCell(grid, 2, 1, true);
        auto* voids = topLevel<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS>();
        QVERIFY(voids);
        QCOMPARE(voids->wrkCHKNBR, 812);
    }

    void balancesChart() {
        w = openWindow<Window>();
        w->findChild<QRadioButton*>("optBALANCES")->click();
        BalanceChart* chart = w->balanceChart();
        QVERIFY(chart && chart->isVisible());
        QVERIFY(!w->findChild<FlexGrid*>("grdACTIVITY")->isVisible());
        QCOMPARE(chart->figuresText(1).section('\n', 0, 4),
                 QStringLiteral("2024-02 (statement 02/29/24)\nBank balance: 1020.00\nLedger "
                                "balance: 1010.00\nOutstanding: 0.00\nOver/-Short: -3.00"));

        // A click on February opens its outstanding items.
        int asOf = 0;
        whenModalAppears([&asOf](QWidget* modal) {
            auto* items = qobject_cast<frmOUTSTANDING_ITEMS*>(modal);
            QVERIFY(items);
            asOf = items->list().asOf;
            items->closeWindow();
        });
        QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->monthPosition(1));
        QTRY_COMPARE(asOf, 20240229);

        w->findChild<QRadioButton*>("optRECONCILIATION")->click();
        QVERIFY(!chart->isVisible());
        QVERIFY(w->findChild<FlexGrid*>("grdACTIVITY")->isVisible());
    }
};

QTEST_MAIN(TestOutstandingItems)

#include "tst_outstanding_items.moc"
