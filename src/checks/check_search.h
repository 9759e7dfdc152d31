#pragma once

#include "child_window.h"

#include <QColor>
#include <QString>

class FlexGrid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The window both check corrections share: the clerk types a check number and presses
// Enter, the grid lists the matching outstanding lines, a click picks one and OK writes the
// correction in one transaction. Idle (OK disabled, headings only), Listed (two or more
// hits, OK disabled) and Selected (a valid row picked, OK enabled). Cancel closes the window
// while OK is disabled and otherwise goes back to Idle.
//
// A window of this kind supplies its captions, colours, how it reads the typed number, its
// search and what OK writes.
class CheckSearchWindow : public ChildWindow {
    Q_OBJECT
public:
    // What tells the twins apart on screen.
    struct Look {
        QString numberName; // objectName of the number box; its label is "lbl" + the rest
        QString title, titleSpanish;
        QString label, labelSpanish;
        QColor background;       // the grid's colour; as the selection colour it hides it
        QColor validSelection;   // a check is picked
        QColor invalidSelection; // a click on an empty row
    };

    int wrkTRNDTE = 0; // check date of the picked row; 0 when none is picked

    // The selection colour the grid shows now (its highlight).
    QColor selectionColour() const;

    // Types a check number into the number box and searches it, as the clerk would (another
    // window hands over a check to correct).
    void searchFor(const QString& number);

protected:
    CheckSearchWindow(const QString& name, const Look& look, QWidget* parent);

    // Reads the typed text into the window's check number; false when it cannot be a check
    // on file (the clerk is told so and nothing is searched).
    virtual bool readNumber(const QString& typed) = 0;
    // The check number after a correction or a reset.
    virtual void forgetNumber() = 0;
    // Runs the search; returns its rows.
    virtual Recordset& searchChecks() = 0;
    // The payee column of the current search row.
    virtual QString payee(const Recordset& rs);
    // The fourth column of the current search row (empty unless the window shows one).
    virtual QString extraColumn(const Recordset& rs);
    // The correction of the picked check through its ledger service: all its statements, in
    // their order, or none.
    virtual void writeCorrection() = 0;
    // Called before a search fills the grid, for lookups answered once per search.
    virtual void searchStarting() {}

    void loadWindow() override;

    QLineEdit* numberBox() const { return m_number; }
    FlexGrid* grid() const { return m_grid; }

private:
    void prcSET_GRID_WIDTHS();
    void prcCLEAR_GRID();
    void prcLOAD_CHECKS();
    void setSelectionColour(const QColor& colour);
    void selectRow(int row);
    void numberEntered();
    void okClicked();
    void cancelClicked();
    void backToIdle();

    Look m_look;
    QGroupBox* m_select;
    QLabel* m_label;
    QLineEdit* m_number;
    FlexGrid* m_grid;
    QGroupBox* m_control;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
