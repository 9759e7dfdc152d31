#pragma once

#include "child_window.h"
#include "ledger.h"

#include <optional>

class DatePicker;
class QLabel;
class QLineEdit;
class QPushButton;

// One month's reconciliation of the selected bank account: the clerk enters the statement
// date and the bank's closing balance; the window shows the outstanding total, the adjusted
// bank balance, the ledger balance and the difference, and OK stores them as the month's row
// of the reconciliation history. An open (unposted) month is shown again to be redone; after
// a posted one the next month is proposed. The figures are always today's: worked out on
// load, again whenever the bank balance is left and whenever another window writes to the
// account, and a line says what moved since the month was saved or the window opened.
class frmRECONCILE_CHECKING_ACCOUNT_BALANCES : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmRECONCILE_CHECKING_ACCOUNT_BALANCES";
    explicit frmRECONCILE_CHECKING_ACCOUNT_BALANCES(QWidget* parent = nullptr);

    QString mode() const; // "ADD" or "UPDATE"
    int cutOffDate() const { return m_month.cutOff; }

    // Takes the statement date and closing balance of an imported bank statement as if the
    // clerk had entered them; OK stores them as usual.
    void offerStatement(int statementDate, double bankBalance);

protected:
    void loadWindow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void prcCLEAR_FIELDS();
    void prcLOAD_RECONCILIATION();
    void prcCALCULATE_BALANCES(double bankBalance);
    void showFigures();
    void followWrite();

    // The bank balance box as an amount; nothing when it holds no number (bankBalance says
    // so to the clerk).
    std::optional<double> typedBankBalance() const;
    std::optional<double> bankBalance();
    void completeBankBalance();
    void onOk();
    void findDifference();

    QLineEdit* tbxMONTH;
    QLineEdit* tbxYEAR;
    DatePicker* dbxSTMDTE;
    QLineEdit* tbxBNKBAL;
    QLineEdit* tbxOUTSTD;
    QLineEdit* tbxADJBAL;
    QLineEdit* tbxEOMBAL;
    QLineEdit* tbxOVRSHT;
    QLabel* lblFIGURES_MOVED;
    QPushButton* tbcFIND_DIFFERENCE;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;

    ledger::Month m_month;
    // The figures the clerk is told have moved from: the saved ones of an open month, else
    // those the window first showed.
    double m_outstandingBefore = 0;
    double m_ledgerBefore = 0;
    bool m_entryStarted = false;
    bool m_saving = false;
    // A bank balance was entered (typed, offered by the import, or saved with the month):
    // only then is a difference worth looking into.
    bool m_balanceEntered = false;
};
