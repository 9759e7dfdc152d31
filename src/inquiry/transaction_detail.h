#pragma once

#include "child_window.h"
#include "database.h"

#include <QHash>

class FlexGrid;
class QGroupBox;
class QLabel;

// The transaction the clerk picked in the activity listing.
struct PickedTransaction {
    bool deposit = false; // a deposit batch, else an expenditure
    int date = 0;         // yyyymmdd
    int time = 0;         // hhmmss of the deposit batch
    int line = 0;         // the expenditure's line number
};

// The detail of the transaction picked in the activity inquiry: every line of a deposit
// batch, or the lines of an expenditure, with the payer or payee named. Read-only and
// modal; it closes as soon as the clerk turns to another window, and on F12.
class frmANALYZE_BANK_TRANSACTION : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmANALYZE_BANK_TRANSACTION";
    explicit frmANALYZE_BANK_TRANSACTION(const PickedTransaction& picked,
                                         QWidget* parent = nullptr);

    bool depositView() const { return m_picked.deposit; }
    const PickedTransaction& picked() const { return m_picked; }
    // The upper date bound of the expenditure statement; 0 means none.
    int wrkEXPDTE = 0;
    short wrkANLGLA = 0; // the ledger account of the deposit line being written

protected:
    void loadWindow() override;
    void unloadWindow() override;
    void changeEvent(QEvent* event) override;

private:
    void prcSHOW_DEPOSIT();
    void prcSHOW_EXPENDITURE();
    void prcBANK_DEPOSIT_TRANSACTION(const QString& action);
    void prcBANK_EXPENDITURE_TRANSACTION(const QString& action);
    void prcACCOUNT_PAYABLE_MASTER(const QString& action);
    void prcLOCATION_MASTER(const QString& action);
    void prcPAYROLL_MASTER(const QString& action);
    void prcGENERAL_LEDGER_MASTER(const QString& action);

    void startView(const int* widths, const char* const* headers, int count);
    int takeRow(int row);
    // The name a lookup statement finds in its first row; "" when nothing is found. Each
    // statement runs once per view: a batch naming one location many times asks once.
    QString lookUp(Recordset& rs, const QString& sql, const QString& field);
    void closeWhenLeft();

    QGroupBox* grpQUERY;
    FlexGrid* grdACTIVITY;
    QLabel* lblACTNME;

    Recordset rsBANK_DEPOSIT_TRANSACTION;
    Recordset rsBANK_EXPENDITURE_TRANSACTION;
    Recordset rsACCOUNT_PAYABLE_MASTER;
    Recordset rsLOCATION_MASTER;
    Recordset rsPAYROLL_MASTER;
    Recordset rsGENERAL_LEDGER_MASTER;

    // The keys of the lookups of the line being written.
    int m_location = 0;
    int m_account = 0;
    int m_employee = 0;
    QString m_name; // what the last lookup found

    QHash<QString, QString> m_names; // statement text -> name, for one view
    const PickedTransaction m_picked;
    bool m_wasActive = false;
};
