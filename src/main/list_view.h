#pragma once

#include <QTableView>
#include <initializer_list>
#include <utility>

// A table view set up as the program's lists are: fixed row heights, no row numbers,
// headings centred and not clickable, Tab leaving for the next control, nothing edited in
// place. Read-only lists show a model of their own over the rows the window keeps; the
// grids the windows write cell by cell are FlexGrids, built on this.
class ListView : public QTableView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    static int twipsToPixels(int twips);
    void setColWidthTwips(int col, int twips);

    // The width in pixels a column needs to show a text whole in the view's font.
    int textWidth(const QString& text) const;
    // The designed column widths were drawn for a smaller screen font: each listed column
    // narrower than the widest text it can hold (a whole date, a five-figure amount) is
    // widened to it. Returns the width in pixels the view needs to show its visible columns
    // whole, vertical scroll bar and frame included, and at least minimumTwips.
    int widenColumns(std::initializer_list<std::pair<int, QString>> widestTexts,
                     int minimumTwips = 0);

    // The colour behind cells the model gives none.
    void setGridBackground(const QColor& colour);
    // Highlight the current row (lists the clerk picks from) instead of a plain focus frame.
    void setRowHighlight(bool on);
};
