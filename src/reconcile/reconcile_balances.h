#pragma once

#include "child_window.h"
#include "database.h"

class DatePicker;
class QLineEdit;
class QPushButton;

// One month's reconciliation of the selected bank account: the clerk enters the statement
// date and the bank's closing balance; the window shows the outstanding total, the adjusted
// bank balance, the ledger balance and the difference, and OK stores them as the month's row
// of the reconciliation history. An open (unposted) month is shown again to be redone; after
// a posted one the next month is proposed.
class frmRECONCILE_CHECKING_ACCOUNT_BALANCES : public ChildWindow {
    Q_OBJECT
public:
    explicit frmRECONCILE_CHECKING_ACCOUNT_BALANCES(QWidget* parent = nullptr);
    ~frmRECONCILE_CHECKING_ACCOUNT_BALANCES() override;

    QString mode() const { return m_mode; } // "ADD" or "UPDATE"
    int cutOffDate() const { return m_cutOff; }

    // Takes the statement date and closing balance of an imported bank statement as if the
    // clerk had entered them; OK stores them as usual.
    void offerStatement(int statementDate, double bankBalance);

protected:
    void loadWindow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void prcCLEAR_FIELDS();
    void prcLOAD_RECONCILIATION();
    void prcCALCULATE_BALANCES();
    void prcBANK_RECONCILIATION_HISTORY(const QString& action);
    void prcGENERAL_LEDGER_MASTER(const QString& action);
    void prcGENERAL_LEDGER_TRANSACTION(const QString& action);

    void computeFigures();
    bool bankBalanceReadable();
    void completeBankBalance();
    void onOk();

    QLineEdit* tbxMONTH;
    QLineEdit* tbxYEAR;
    DatePicker* dbxSTMDTE;
    QLineEdit* tbxBNKBAL;
    QLineEdit* tbxOUTSTD;
    QLineEdit* tbxADJBAL;
    QLineEdit* tbxEOMBAL;
    QLineEdit* tbxOVRSHT;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;

    Recordset m_rsHistory;
    Recordset m_rsLedger;
    Recordset m_rsTransaction;
    QString m_mode;
    int m_lastStatement = 0;
    int m_cutOff = 0;
    bool m_entryStarted = false;
};
