#pragma once

#include "child_window.h"
#include "database.h"

#include <QColor>
#include <QHash>

class DatePicker;
class FlexGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Records the bank's own adjustments to the selected bank account (charges, interest) as
// two-line 'BA' journal entries and deletes them again. The bank line carries the amount as
// typed, the reversing line on the ledger account the clerk picks carries it negated; both
// share the adjustment's date and the time of entry, which identify the adjustment.
class frmAUD_ACCOUNT_ADJUSTMENTS : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmAUD_ACCOUNT_ADJUSTMENTS";
    explicit frmAUD_ACCOUNT_ADJUSTMENTS(QWidget* parent = nullptr);

    // Fills in an adjustment from a bank statement line the ledger lacks: its date,
    // description and amount (negative lowers the bank balance), on the add or subtract side.
    // The clerk picks the reversing account and adds it.
    // A proposed reversing account (0: none) is chosen for the clerk, who may change it.
    void prefillFromStatement(int date, const QString& description, double amount,
                              int proposedAccount = 0);
    // The fiscal year of the last adjustment's date: of the last Add, whether or not it went
    // through, else of the date at load.
    int fiscalYear() const { return wrkFSYEAR; }

protected:
    void loadWindow() override;

private:
    FlexGrid* buildGrid();
    QGroupBox* buildEntry(); // the adjustment's kind, date, description, account and amount
    void connectCommands();
    void prcCLEAR_FIELDS();
    void prcLOAD_LEDGERS();
    void prcSET_GRID_WIDTHS();
    void prcCLEAR_GRID();
    void prcLOAD_ADJUSTMENTS();
    void prcLOAD_ADJUSTMENT();
    bool fncVALIDATE_ADJUSTMENT();
    void prcGENERAL_LEDGER_MASTER(const QString& action);
    void prcGENERAL_LEDGER_TRANSACTION(const QString& action);

    void ledgerChosen(int index);
    void showAdjustment(int row);
    void addAdjustment();
    void deleteAdjustment();
    void clearAll();
    QString ledgerPrompt() const;
    QString ledgerName(int account); // one "LEDGER" per account and command

    FlexGrid* grdADJUSTMENT;
    QGroupBox* grpSELECT;
    QRadioButton* optADD;
    QRadioButton* optSUBTRACT;
    DatePicker* dbxTRNDTE;
    QLabel* lblADJDSC;
    QLineEdit* tbxDESCPT;
    QComboBox* cbxLEDGER;
    QLabel* lblADJAMT;
    QLineEdit* tbxTRNAMT;
    QGroupBox* grpCONTROL;
    QPushButton* tbcADD;
    QPushButton* tbcCLEAR;
    QPushButton* tbcDELETE;

    int wrkFSYEAR = 0;       // fiscal year of the adjustment date
    int wrkGLANBR = 0;       // the reversing account picked in cbxLEDGER; 0 = none
    int wrkLINE_ACCOUNT = 0; // account of the line looked up
    int wrkTRNDTE = 0;
    int wrkTRNTME = 0;
    QColor wrkADD_COLOUR;      // a listed amount below 0: money into the bank
    QColor wrkSUBTRACT_COLOUR; // otherwise
    QHash<int, QString> m_ledgerNames;
    double m_widthScale = 1;

    Recordset rsGENERAL_LEDGER_MASTER;
    Recordset rsGENERAL_LEDGER_TRANSACTION;
};
