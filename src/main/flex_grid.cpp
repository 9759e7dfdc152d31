#include "flex_grid.h"

#include <QAbstractTableModel>
#include <QKeyEvent>
#include <QScrollBar>

class FlexGridModel : public QAbstractTableModel {
public:
    struct Row {
        std::vector<QString> text;
        std::vector<QRgb> colour;  // empty until a colour is set; alpha 0 = none
        std::vector<quint8> align; // empty until an alignment is set; 0 = the column's
        std::any item;             // the window's own; small items are kept in place
    };

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_cols;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const Row& r = m_rows[std::size_t(index.row())];
        const std::size_t c = std::size_t(index.column());
        switch (role) {
        case Qt::DisplayRole:
            return c < r.text.size() ? r.text[c] : QString();
        case Qt::BackgroundRole: {
            const QRgb rgb = c < r.colour.size() ? r.colour[c] : 0;
            return qAlpha(rgb) ? QColor::fromRgba(rgb) : m_background;
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignment(index.row(), index.column()));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section >= m_cols)
            return {};
        if (role == Qt::DisplayRole)
            return section < int(m_heading.size()) ? m_heading[std::size_t(section)] : QString();
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex&) const override {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    Qt::Alignment alignment(int dataRow, int col) const {
        const Row& r = m_rows[std::size_t(dataRow)];
        if (std::size_t(col) < r.align.size() && r.align[std::size_t(col)])
            return Qt::Alignment(r.align[std::size_t(col)]) | Qt::AlignVCenter;
        return col < m_colAlign.size() ? m_colAlign[col] : Qt::AlignLeft | Qt::AlignVCenter;
    }

    void changed(int dataRow, int col) {
        if (!m_quiet) {
            const QModelIndex i = index(dataRow, col);
            Q_EMIT dataChanged(i, i);
        }
    }

    void setRowCount(int count) {
        count = std::max(count, 0);
        const int old = int(m_rows.size());
        if (count == old)
            return;
        if (m_quiet) {
            m_rows.resize(std::size_t(count));
        } else if (count > old) {
            beginInsertRows({}, old, count - 1);
            m_rows.resize(std::size_t(count));
            endInsertRows();
        } else {
            beginRemoveRows({}, count, old - 1);
            m_rows.resize(std::size_t(count));
            endRemoveRows();
        }
    }

    void setColCount(int count) {
        count = std::max(count, 0);
        if (count == m_cols)
            return;
        if (!m_quiet)
            beginResetModel();
        m_cols = count;
        m_heading.resize(std::size_t(count));
        m_colAlign.resize(count, Qt::AlignLeft | Qt::AlignVCenter);
        if (!m_quiet)
            endResetModel();
    }

    void setQuiet(bool quiet) {
        if (quiet == m_quiet)
            return;
        if (quiet) {
            beginResetModel();
            m_quiet = true;
        } else {
            m_quiet = false;
            endResetModel();
        }
    }

    void clearAll() {
        if (!m_quiet)
            beginResetModel();
        for (Row& r : m_rows)
            r = Row();
        for (QString& h : m_heading)
            h.clear();
        if (!m_quiet) {
            endResetModel();
            Q_EMIT headerDataChanged(Qt::Horizontal, 0, std::max(0, m_cols - 1));
        }
    }

    std::vector<Row> m_rows;
    std::vector<QString> m_heading;
    QVector<Qt::Alignment> m_colAlign;
    QColor m_background = Qt::white;
    int m_cols = 0;
    bool m_quiet = false;
};

namespace {
FlexGridModel::Row* rowPtr(std::vector<FlexGridModel::Row>& rows, int dataRow) {
    return dataRow >= 0 && std::size_t(dataRow) < rows.size() ? &rows[std::size_t(dataRow)]
                                                              : nullptr;
}
} // namespace

FlexGrid::FlexGrid(QWidget* parent) : ListView(parent), m_model(new FlexGridModel) {
    m_model->setParent(this);
    setModel(m_model);

    connect(this, &QTableView::clicked, this,
            [this](const QModelIndex& i) { Q_EMIT cellClicked(i.row() + 1, i.column()); });
    connect(this, &QTableView::doubleClicked, this,
            [this](const QModelIndex& i) { Q_EMIT cellDoubleClicked(i.row() + 1, i.column()); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                Q_EMIT currentCellChanged(now.isValid() ? now.row() + 1 : 0,
                                          now.isValid() ? now.column() : 0,
                                          before.isValid() ? before.row() + 1 : 0,
                                          before.isValid() ? before.column() : 0);
            });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Q_EMIT scrolled(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { Q_EMIT scrolled(); });
}

int FlexGrid::rows() const {
    return m_model->rowCount() + 1;
}
void FlexGrid::setRows(int rows) {
    m_model->setRowCount(rows - 1);
}
int FlexGrid::cols() const {
    return m_model->columnCount();
}

void FlexGrid::setCols(int cols) {
    m_model->setColCount(cols);
    m_twips.resize(cols);
    for (int c = 0; c < cols; ++c)
        if (m_twips[c] > 0)
            setColumnWidth(c, twipsToPixels(m_twips[c]));
}

int FlexGrid::addRow() {
    setRows(rows() + 1);
    return rows() - 1;
}

QString FlexGrid::text(int row, int col) const {
    if (col < 0 || col >= cols())
        return {};
    if (row == 0)
        return m_model->m_heading[std::size_t(col)];
    const FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    return r && std::size_t(col) < r->text.size() ? r->text[std::size_t(col)] : QString();
}

void FlexGrid::setText(int row, int col, const QString& text) {
    if (col < 0 || col >= cols())
        return;
    if (row == 0) {
        m_model->m_heading[std::size_t(col)] = text;
        if (!m_model->m_quiet)
            Q_EMIT m_model->headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    if (!r)
        return;
    if (r->text.size() <= std::size_t(col))
        r->text.resize(std::size_t(cols()));
    r->text[std::size_t(col)] = text;
    m_model->changed(row - 1, col);
}

std::any* FlexGrid::itemSlot(int row) {
    FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    return r ? &r->item : nullptr;
}

const std::any* FlexGrid::itemSlot(int row) const {
    const FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    return r ? &r->item : nullptr;
}

QColor FlexGrid::cellColour(int row, int col) const {
    const FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    if (r && std::size_t(col) < r->colour.size() && qAlpha(r->colour[std::size_t(col)]))
        return QColor::fromRgba(r->colour[std::size_t(col)]);
    return m_model->m_background;
}

void FlexGrid::setCellColour(int row, int col, const QColor& colour) {
    FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    if (!r || col < 0 || col >= cols())
        return;
    if (r->colour.size() <= std::size_t(col))
        r->colour.resize(std::size_t(cols()), 0);
    r->colour[std::size_t(col)] = colour.isValid() ? colour.rgba() : 0;
    m_model->changed(row - 1, col);
}

void FlexGrid::setRowColour(int row, const QColor& colour) {
    FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    if (!r)
        return;
    r->colour.assign(std::size_t(cols()), colour.isValid() ? colour.rgba() : 0);
    if (!m_model->m_quiet)
        Q_EMIT m_model->dataChanged(m_model->index(row - 1, 0),
                                    m_model->index(row - 1, std::max(0, cols() - 1)));
}

void FlexGrid::setGridBackground(const QColor& colour) {
    m_model->m_background = colour;
    ListView::setGridBackground(colour);
}

QColor FlexGrid::gridBackground() const {
    return m_model->m_background;
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment) {
    if (col < 0 || col >= m_model->m_colAlign.size())
        return;
    m_model->m_colAlign[col] = alignment | Qt::AlignVCenter;
    viewport()->update();
}

void FlexGrid::setCellAlignment(int row, int col, Qt::Alignment alignment) {
    FlexGridModel::Row* r = rowPtr(m_model->m_rows, row - 1);
    if (!r || col < 0 || col >= cols())
        return;
    if (r->align.size() <= std::size_t(col))
        r->align.resize(std::size_t(cols()), 0);
    r->align[std::size_t(col)] = quint8(alignment & Qt::AlignHorizontal_Mask);
    m_model->changed(row - 1, col);
}

Qt::Alignment FlexGrid::cellAlignment(int row, int col) const {
    if (row < 1 || row >= rows() || col < 0 || col >= cols())
        return Qt::AlignLeft | Qt::AlignVCenter;
    return m_model->alignment(row - 1, col);
}

void FlexGrid::setColWidthTwips(int col, int twips) {
    if (col < 0 || col >= cols())
        return;
    m_twips[col] = twips;
    ListView::setColWidthTwips(col, twips);
}

int FlexGrid::colWidthTwips(int col) const {
    return col >= 0 && col < m_twips.size() ? m_twips[col] : 0;
}

void FlexGrid::clearCells() {
    m_model->clearAll();
}

int FlexGrid::row() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int FlexGrid::col() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void FlexGrid::setCurrentCell(int row, int col) {
    if (row < 1 || row >= rows() || col < 0 || col >= cols())
        return;
    const QModelIndex i = m_model->index(row - 1, col);
    selectionModel()->setCurrentIndex(i, selectionMode() == NoSelection
                                             ? QItemSelectionModel::NoUpdate
                                             : QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    scrollTo(i);
}

int FlexGrid::topRow() const {
    const int dataRow = rowAt(0);
    return dataRow < 0 ? 0 : dataRow + 1;
}

void FlexGrid::setRedraw(bool on) {
    const int currentRow = row();
    const int currentCol = col();
    m_model->setQuiet(!on);
    if (on && currentRow > 0)
        setCurrentCell(currentRow, currentCol);
}

QRect FlexGrid::cellRect(int row, int col) const {
    if (row < 1 || row >= rows() || col < 0 || col >= cols())
        return {};
    const QRect r = visualRect(m_model->index(row - 1, col));
    return r.translated(viewport()->geometry().topLeft());
}

QLineEdit* FlexGrid::cellEditor() {
    if (!m_editor) {
        m_editor = new QLineEdit(viewport());
        m_editor->setFrame(false);
        m_editor->hide();
    }
    return m_editor;
}

void FlexGrid::placeEditor(int row, int col) {
    QLineEdit* editor = cellEditor();
    if (row < 1 || row >= rows() || col < 0 || col >= cols())
        return;
    const QModelIndex i = m_model->index(row - 1, col);
    scrollTo(i);
    editor->setFont(font());
    editor->setGeometry(visualRect(i));
    editor->show();
    editor->raise();
    editor->setFocus(Qt::OtherFocusReason);
}

void FlexGrid::hideEditor() {
    if (!m_editor)
        return;
    // Hiding the focused editor would hand the focus on as a Tab does, and a table view
    // takes a Tab as a move to the next cell: the grid takes the focus back first.
    if (m_editor->hasFocus())
        setFocus(Qt::OtherFocusReason);
    m_editor->hide();
}

bool FlexGrid::editorVisible() const {
    return m_editor && m_editor->isVisible();
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && row() > 0) {
        Q_EMIT enterPressed(row(), col());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
