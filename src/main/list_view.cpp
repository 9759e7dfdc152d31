#include "list_view.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>

ListView::ListView(QWidget* parent) : QTableView(parent) {
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false); // Tab leaves the view for the next control
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    // Fixed row heights keep the view's layout cost independent of the row count.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

int ListView::twipsToPixels(int twips) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return qRound(twips * dpi / 1440.0);
}

void ListView::setColWidthTwips(int col, int twips) {
    setColumnWidth(col, twipsToPixels(std::max(twips, 0)));
}

int ListView::textWidth(const QString& text) const {
    const QFontMetrics metrics(font());
    return metrics.horizontalAdvance(text) + 2 * metrics.horizontalAdvance(QLatin1Char(' ')) + 6;
}

int ListView::widenColumns(std::initializer_list<std::pair<int, QString>> widestTexts,
                           int minimumTwips) {
    for (const auto& [col, text] : widestTexts) {
        const int needed = textWidth(text);
        if (columnWidth(col) < needed)
            setColumnWidth(col, needed);
    }
    int columns = 0;
    const int count = model() ? model()->columnCount() : 0;
    for (int c = 0; c < count; ++c)
        if (!isColumnHidden(c))
            columns += columnWidth(c);
    const int chrome = verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
    return std::max(twipsToPixels(minimumTwips), columns + chrome);
}

void ListView::setGridBackground(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
    viewport()->update();
}

void ListView::setRowHighlight(bool on) {
    setSelectionMode(on ? QAbstractItemView::SingleSelection : QAbstractItemView::NoSelection);
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}
