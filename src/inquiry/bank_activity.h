#pragma once

#include "child_window.h"
#include "database.h"

#include "after_month.h"

#include <QHash>
#include <initializer_list>
#include <vector>

class DatePicker;
class FlexGrid;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class BalanceChart;

// The read-only inquiry over the selected bank account: its checks, payments and deposits
// (Account Activity) or its monthly reconciliations from a start date on (Reconciliations).
// A typed amount or check number appends the matching deposits or checks below the listing;
// a double click or Enter on an activity row opens the transaction's detail.
// The window's shell is in bank_activity.cpp, the activity listing and its search in
// activity_listing.cpp, the reconciliations and their changes since posting in
// reconciliation_listing.cpp.
class frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS";
    explicit frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS(QWidget* parent = nullptr);

    // The listing is rebuilt for the chosen mode and the current bank account (OK, F9).
    void refresh();
    // Enter in the search box.
    void search();
    // Double click or Enter on a row of the listing.
    void drillDown(int row);

    bool activityMode() const;
    // The Balances option: the chart in place of the listing.
    bool balancesMode() const;
    BalanceChart* balanceChart() const { return chtBALANCES; }
    // The row the next listed record is written to.
    int nextRow() const { return m_nextRow; }

protected:
    void loadWindow() override;

private:
    static constexpr int kGridCols = 9;
    static constexpr int kTimeCol = 8;    // the deposit time, kept out of view for the drill-down
    static constexpr int kChangedCol = 8; // Reconciliations: a posted month's change since posting

    // Field positions of one result, looked up once per listing rather than once per row.
    static std::vector<int> fieldIndexes(const Recordset& rs,
                                         std::initializer_list<const char*> names);

    QLayout* buildSelection(); // the mode, the search and the start date
    QGroupBox* buildDetails(); // the listing
    void connectCommands();
    void prcSET_GRID_LAYOUT();
    void prcSET_GRID_HEADERS();
    void prcLOAD_ACTIVITY();
    void prcLOAD_RECONCILIATIONS();
    void prcBANK_EXPENDITURE_TRANSACTION(const QString& action);
    void prcBANK_DEPOSIT_TRANSACTION(const QString& action);
    void prcBANK_RECONCILIATION_HISTORY(const QString& action);

    void activityDrillDown(int row);
    void writeExpenditures();
    void writeDeposits();
    int takeRow(); // the next free row, the grid grown when it is full

    QGroupBox* grpSELECT;
    QRadioButton* optACTIVITY;
    QRadioButton* optRECONCILIATION;
    QLabel* lblSEARCH;
    QLineEdit* tbxSEARCH;
    QCheckBox* chkCHECK;
    QCheckBox* chkDEPOSIT;
    QLabel* lblSTRDTE;
    DatePicker* dbxSTRDTE;
    QGroupBox* grpDETAILS;
    FlexGrid* grdACTIVITY;
    QLabel* lblINFO;
    QGroupBox* grpCONTROL;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;

    Recordset rsBANK_EXPENDITURE_TRANSACTION;
    Recordset rsBANK_DEPOSIT_TRANSACTION;
    Recordset rsBANK_RECONCILIATION_HISTORY;

    QString dateText(int date); // display dates repeat: each is formatted once per listing

    // After the month: what a listed reconciliation's row leads to.
    void writeChangesSincePosting();
    void reconciliationDrillDown(int row, int col);
    void openOutstandingItems(int asOf);
    bool showBalances(); // true when the Balances option is chosen and the chart shown
    QRadioButton* optBALANCES = nullptr;
    BalanceChart* chtBALANCES = nullptr;

    QHash<int, QString> m_dates;
    QString m_searchValue; // the amount or check number of the search statements
    int m_nextRow = 1;
};
