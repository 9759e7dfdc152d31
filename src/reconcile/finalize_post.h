#pragma once

#include "child_window.h"
#include "database.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

// Closes the month of the selected bank account: its cleared, unreconciled ledger lines
// become reconciled and its saved, open reconciliation rows get today as posting date.
// No amount changes. It reads the account when OK is pressed, so it never reloads.
class frmFINALIZE_POST_BANK_RECONCILIATION : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmFINALIZE_POST_BANK_RECONCILIATION";
    explicit frmFINALIZE_POST_BANK_RECONCILIATION(QWidget* parent = nullptr);

protected:
    void loadWindow() override;

private:
    void post();
    // Writes each open month's report into the archive folder; false when one could not be
    // written and the clerk chose not to post without it.
    bool archiveOpenMonths();

    QGroupBox* grpDETAIL;
    QProgressBar* barPOSTING;
    QLabel* lblRECORD_COUNT;
    QGroupBox* grpCONTROL;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;
};
