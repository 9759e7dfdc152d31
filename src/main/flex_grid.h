#pragma once

#include "list_view.h"

#include <QColor>
#include <QLineEdit>
#include <QVariant>
#include <QVector>
#include <any>
#include <initializer_list>
#include <utility>
#include <vector>

class FlexGridModel;

// The program's one grid: a table view over a list-backed model, with the addressing the
// windows were written for. Rows are numbered from the fixed heading row 0 (shown as the
// column headings), data start at row 1; columns from 0. Each row may carry one item of the
// window's own type; each cell a text, an optional background colour and an alignment. It stays
// quick at 100,000 rows: fill large grids between setRedraw(false) and setRedraw(true).
class FlexGrid : public ListView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int rows() const; // heading row included
    void setRows(int rows);
    int cols() const;
    void setCols(int cols);
    int addRow(); // appends an empty row and returns its number

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    // The item that travels with a row (a line's key, its dates, its amount), as the window
    // wrote it: what the program put on screen is never read back from its text. rowItem is
    // null where none was set, or one of another type.
    template <typename T> void setRowItem(int row, T item) {
        if (std::any* slot = itemSlot(row))
            *slot = std::move(item);
    }
    template <typename T> const T* rowItem(int row) const {
        return std::any_cast<T>(itemSlot(row));
    }
    template <typename T> T* rowItem(int row) { return std::any_cast<T>(itemSlot(row)); }

    QColor cellColour(int row, int col) const; // the grid's background when none was set
    void setCellColour(int row, int col, const QColor& colour);
    void setRowColour(int row, const QColor& colour);
    void setGridBackground(const QColor& colour);
    QColor gridBackground() const;

    void setColAlignment(int col, Qt::Alignment alignment);
    void setCellAlignment(int row, int col, Qt::Alignment alignment);
    Qt::Alignment cellAlignment(int row, int col) const;

    void setColWidthTwips(int col, int twips);
    int colWidthTwips(int col) const;

    // Clears every text, colour and row item, headings included; keeps the row count.
    void clearCells();

    // The current cell; row() is 0 when there is none.
    int row() const;
    int col() const;
    void setCurrentCell(int row, int col);
    int topRow() const; // first data row in view

    // Off: changes are not drawn and cost nothing until it is switched on again.
    void setRedraw(bool on);

    // Every grid fill runs under one: nothing is drawn until the fill is done, and the grid
    // draws again however the fill ends, a database error included.
    class RedrawBlocker {
    public:
        explicit RedrawBlocker(FlexGrid* grid) : m_grid(grid) { m_grid->setRedraw(false); }
        ~RedrawBlocker() { m_grid->setRedraw(true); }
        RedrawBlocker(const RedrawBlocker&) = delete;
        RedrawBlocker& operator=(const RedrawBlocker&) = delete;

    private:
        FlexGrid* m_grid;
    };

    // The rectangle of a cell in the grid's own coordinates.
    QRect cellRect(int row, int col) const;

    // The text editor laid over a cell: created on first use, a child of the grid.
    QLineEdit* cellEditor();
    void placeEditor(int row, int col); // lays it over the cell, shows it, gives it focus
    void hideEditor();
    bool editorVisible() const;

Q_SIGNALS:
    void cellClicked(int row, int col);
    void cellDoubleClicked(int row, int col);
    void currentCellChanged(int row, int col, int previousRow, int previousCol);
    void scrolled();
    void enterPressed(int row, int col);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::any* itemSlot(int row);
    const std::any* itemSlot(int row) const;

    FlexGridModel* m_model;
    QLineEdit* m_editor = nullptr;
    QVector<int> m_twips;
};
