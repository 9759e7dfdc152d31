#pragma once

#include "after_month.h"
#include "child_window.h"

class FlexGrid;
class ListView;
class QLabel;
class QPushButton;

// The items of the selected bank account that were outstanding at a statement date: their
// date, check number, description, amount, days outstanding and ageing bucket, with a total
// per bucket. Checks outstanding over 180 days are stale; "Void Stale Check" hands the
// picked one to the Void window.
class frmOUTSTANDING_ITEMS : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmOUTSTANDING_ITEMS";
    explicit frmOUTSTANDING_ITEMS(int asOf, QWidget* parent = nullptr);
    ~frmOUTSTANDING_ITEMS() override;

    ListView* grdOUTSTANDING = nullptr;
    FlexGrid* grdAGEING = nullptr;
    QLabel* lblASOF = nullptr;
    QPushButton* tbcVOID = nullptr;
    QPushButton* tbcCANCEL = nullptr;

    const reports::OutstandingList& list() const { return m_list; }

Q_SIGNALS:
    // The clerk asked to void this stale check; the window closes after it.
    void voidRequested(int check);

protected:
    void loadWindow() override;

private:
    const reports::OutstandingItem* itemAt(int row) const; // a row of the list from 0
    void rowChanged(int row);

    int m_asOf;
    reports::OutstandingList m_list;
    class ItemsModel;
    ItemsModel* m_model = nullptr;
};

// The lines that explain how a posted month changed since it was posted: lines posted
// later, cleared dates that moved, lines voided or returned unpaid.
class frmCHANGES_SINCE_POSTING : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmCHANGES_SINCE_POSTING";
    explicit frmCHANGES_SINCE_POSTING(const ledger::HistoryRow& month, QWidget* parent = nullptr);
    ~frmCHANGES_SINCE_POSTING() override;

    ListView* grdCHANGES = nullptr;
    QLabel* lblFIGURES = nullptr;
    QPushButton* tbcCANCEL = nullptr;

protected:
    void loadWindow() override;

private:
    ledger::HistoryRow m_month;
    reports::ChangesSincePosting m_changes;
    class ChangesModel;
    ChangesModel* m_model = nullptr;
};
