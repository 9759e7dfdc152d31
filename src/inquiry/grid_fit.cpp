#include "grid_fit.h"

#include "flex_grid.h"

#include <QHeaderView>
#include <QScrollBar>

int fitColumns(FlexGrid* grid, int designedTwips,
               std::initializer_list<std::pair<int, const char*>> widestTexts) {
    const QFontMetrics metrics(grid->font());
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char(' ')) + 6;
    for (const auto& [col, text] : widestTexts) {
        const int needed = metrics.horizontalAdvance(QLatin1String(text)) + padding;
        if (grid->columnWidth(col) < needed)
            grid->setColumnWidth(col, needed);
    }
    int columns = 0;
    for (int c = 0; c < grid->cols(); ++c)
        if (!grid->isColumnHidden(c))
            columns += grid->columnWidth(c);
    const int chrome = grid->verticalScrollBar()->sizeHint().width() + 2 * grid->frameWidth();
    return std::max(FlexGrid::twipsToPixels(designedTwips), columns + chrome);
}
