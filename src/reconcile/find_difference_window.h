#pragma once

#include "child_window.h"
#include "find_difference.h"
#include "ledger.h"

class FlexGrid;
class QLabel;
class QPushButton;

// The likely causes of the month's difference, each with its sentence and the way to act on
// it: open Clear at the line, add the bank's line as an adjustment, show the transaction
// behind the line, or void the check. The
// list and the difference follow every write to the account, so the clerk sees at once what
// an action left.
class frmFIND_DIFFERENCE : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmFIND_DIFFERENCE";
    explicit frmFIND_DIFFERENCE(QWidget* parent = nullptr);

    // The month as Reconcile shows it, its bank balance typed or offered.
    void setMonth(const ledger::Month& month);
    // The statement the bank's lines come from ("" for none).
    void setStatementFile(const QString& file);
    const reports::DifferenceSearch& search() const { return m_search; }

    FlexGrid* grdCAUSES = nullptr;
    QLabel* lblDIFFERENCE = nullptr;
    QLabel* lblSTATEMENT = nullptr;
    QLabel* lblSENTENCE = nullptr;
    QPushButton* tbcCLEAR = nullptr;
    QPushButton* tbcADJUSTMENT = nullptr;
    QPushButton* tbcADD_PROPOSED = nullptr;
    QPushButton* tbcDETAIL = nullptr;
    QPushButton* tbcVOID = nullptr;
    QPushButton* tbcSTATEMENT = nullptr;
    QPushButton* tbcCANCEL = nullptr;

protected:
    void loadWindow() override;

private:
    void searchAgain();
    void fillGrid();
    const reports::Cause* causeAt(int row) const;
    void rowChanged(int row);
    void openClear();
    void addAdjustment();
    // The bank's lines the ledger lacks, each with the account the account's own earlier
    // adjustments propose; those with a proposal.
    QList<std::pair<int, reports::AdjustmentProposal>> proposals() const;
    void addProposed();
    void showDetail();
    void voidCheck();
    void pickStatement();

    ledger::Month m_month;
    bool m_hasMonth = false;
    // A bank balance was entered for the month (typed or offered in Reconcile, or saved): a
    // difference against no balance at all explains nothing.
    bool m_balanceEntered = false;
    QString m_statementFile;
    QList<reports::BankLine> m_bank;
    QList<reports::PastAdjustment> m_past;
    reports::DifferenceSearch m_search;
};
