#pragma once

#include "child_window.h"
#include "database.h"

#include <QColor>
#include <QHash>

class FlexGrid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Where the clerk works through the bank statement: every deposit and check of the selected
// bank account that is not reconciled, one per grid row, with a date editor laid over the
// cleared-date cell. OK writes each typed cleared date into its ledger line.
class frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT";
    explicit frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT(QWidget* parent = nullptr);

    // The last date the editor accepted: the base for short entries and what F6 repeats.
    int lastValidDate() const { return m_lastValidDate; }
    bool editing() const { return m_editing; }

    // A ledger line's key: line numbers start again each fiscal year, so a check still
    // outstanding from last year can share its number with one of this year's.
    static qint64 lineKey(int fiscalYear, int line) { return qint64(fiscalYear) << 32 | line; }
    // Puts a bank date (yyyymmdd) into the cleared-date cell of each listed ledger line, by
    // lineKey(), as the clerk would have typed it; OK saves them as usual. Returns how many
    // of the lines are listed.
    int setClearedDates(const QHash<qint64, int>& dateOfLine);
    // The ledger line a grid row lists and its fiscal year (0 for an empty row), and the row
    // listing a line (0 when it is not listed).
    int lineOfRow(int row) const;
    int fiscalYearOfRow(int row) const;
    int rowOfLine(int line) const;
    // Brings the line's row into view with the editor on its cleared date, as a click would;
    // false when the line is not listed.
    bool showLine(int fiscalYear, int line);

protected:
    void loadWindow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* buildGrid(); // the lines, their cleared dates and the instruction
    void prcSET_GRID_WIDTHS();
    void prcCLEAR_GRID();
    void prcLOAD_TRANSACTIONS();
    bool fncVALIDATE_CLEARED_DATE();
    void prcGENERAL_LEDGER_TRANSACTION(const QString& action);

    void fillRows(const QColor& colour, bool negate, int& row);

    void enterCell();
    void leaveCell();
    void goToRow(int row);
    bool editorKey(int key);

    void onCellClicked(int row, int col);
    void onCurrentCellChanged();
    void onScrolled();
    void onOk();
    void save();

    FlexGrid* grdTRANSACTION;
    QLineEdit* tbxTRANSACTION;
    QLabel* lblINSTRUCTION;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;

    Recordset m_rs;
    QColor m_depositColour;
    QColor m_checkColour;
    bool m_editing = false;
    bool m_moving = false; // the window itself is moving the editor
    int m_editRow = 0;     // the cell the editor lies over; 0 when hidden
    int m_editCol = 0;
    int m_lastValidDate = 0;
};
