#include "check_search.h"

#include "common.h"
#include "context.h"
#include "flex_grid.h"
#include "messages.h"
#include "report.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kGridTwips = 6600;     // the grid's width; the payee column takes what is left
constexpr int kGridRows = 10;        // heading row and nine check rows
constexpr int kPlacementTwips = 100; // from the main window's left and top

const QString kNotOnFile = QStringLiteral("Check number is not on file.");
const QString kSelectValid = QStringLiteral("You must select a valid check.");

} // namespace

CheckSearchWindow::CheckSearchWindow(const QString& name, const Look& look, QWidget* parent)
    : ChildWindow(name, parent), m_look(look) {
    setDesignedPosition(kPlacementTwips, kPlacementTwips);
    m_select = addControl<QGroupBox>(this, "grpSELECT");
    m_label = new QLabel(m_select);
    m_label->setObjectName(QStringLiteral("lbl") + look.numberName.mid(3));
    m_number = new QLineEdit(m_select);
    m_number->setObjectName(look.numberName);
    m_label->setBuddy(m_number);

    m_grid = addControl<FlexGrid>(m_select, "grdCHECK");
    m_grid->setRows(kGridRows);
    m_grid->setCols(4);
    m_grid->setGridBackground(look.background);
    m_grid->setColAlignment(2, Qt::AlignRight);
    m_grid->setColAlignment(3, Qt::AlignRight);
    // Nine check rows in view under the headings, with room for the horizontal scroll bar
    // that the fourth column, lying beyond the three sized ones, brings.
    m_grid->setFixedWidth(FlexGrid::twipsToPixels(kGridTwips));
    m_grid->setFixedHeight(m_grid->horizontalHeader()->sizeHint().height() +
                           (kGridRows - 1) * m_grid->verticalHeader()->defaultSectionSize() +
                           m_grid->horizontalScrollBar()->sizeHint().height() +
                           2 * m_grid->frameWidth());

    // Enter on a focused button presses it, as the clerk expects after a single hit.
    m_control = addControlFrame(m_ok, m_cancel, true);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(m_label);
    numberRow->addWidget(m_number);
    numberRow->addStretch(1);
    auto* selectLayout = new QVBoxLayout(m_select);
    selectLayout->addLayout(numberRow);
    selectLayout->addWidget(m_grid);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_select);
    layout->addWidget(m_control);

    addCaption(this, look.title, look.titleSpanish);
    addCaption(m_select, QStringLiteral("Select"), QStringLiteral("Selecto"));
    addCaption(m_label, look.label, look.labelSpanish);

    connect(m_number, &QLineEdit::returnPressed, this, &CheckSearchWindow::numberEntered);
    connect(m_grid, &FlexGrid::cellClicked, this, [this](int row, int col) {
        // The click picks the cell; a valid row widens the pick to its three columns.
        m_grid->selectionModel()->select(m_grid->model()->index(row - 1, col),
                                         QItemSelectionModel::ClearAndSelect);
        selectRow(row);
    });
    connect(m_ok, &QPushButton::clicked, this, &CheckSearchWindow::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &CheckSearchWindow::cancelClicked);
}

QString CheckSearchWindow::payee(const Recordset& rs) {
    return rs.field(QStringLiteral("gltDESCPT")).toString();
}

QString CheckSearchWindow::extraColumn(const Recordset&) {
    return {};
}

QColor CheckSearchWindow::selectionColour() const {
    return m_grid->palette().color(QPalette::Active, QPalette::Highlight);
}

void CheckSearchWindow::loadWindow() {
    m_ok->setEnabled(false);
    prcSET_GRID_WIDTHS();
    prcCLEAR_GRID();
    m_number->setFocus();
}

void CheckSearchWindow::prcSET_GRID_WIDTHS() {
    m_grid->setColWidthTwips(0, 1000);
    m_grid->setColWidthTwips(1, kGridTwips - 2350);
    m_grid->setColWidthTwips(2, 1000);
}

void CheckSearchWindow::prcCLEAR_GRID() {
    setSelectionColour(m_look.background);
    m_grid->selectionModel()->clearSelection();
    m_grid->clearCells(); // row data go back to 0 with the texts
    m_grid->setText(0, 0, QStringLiteral("ChkDate"));
    m_grid->setText(0, 1, QStringLiteral("Payee"));
    m_grid->setText(0, 2, QStringLiteral("ChkAmt"));
    m_grid->scrollToTop();
}

void CheckSearchWindow::setSelectionColour(const QColor& colour) {
    QPalette palette = m_grid->palette();
    // Light text on the dark selection colours, dark text on the light ones.
    const int luma = (299 * colour.red() + 587 * colour.green() + 114 * colour.blue()) / 1000;
    const QColor text = luma < 128 ? QColor(Qt::white) : QColor(Qt::black);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, colour);
        palette.setColor(group, QPalette::HighlightedText, text);
    }
    m_grid->setPalette(palette);
}

void CheckSearchWindow::prcLOAD_CHECKS() {
    searchStarting();
    Recordset& rs = searchChecks();
    int row = 1;
    {
        FlexGrid::RedrawBlocker quiet(m_grid);
        while (!rs.eof()) {
            const int date = int(fncFIELD_NUMBER(rs, QStringLiteral("gltTRNDTE")));
            m_grid->setRowItem(row, date);
            m_grid->setText(row, 0, fncFORMAT_DATE(date));
            m_grid->setText(row, 1, payee(rs));
            // Checks are stored negative and shown positive; + 0.0 keeps a zero from showing "-".
            m_grid->setText(row, 2,
                            formatNumber(-fncFIELD_NUMBER(rs, QStringLiteral("gltTRNAMT")) + 0.0,
                                         QStringLiteral("###0.00")));
            m_grid->setText(row, 3, extraColumn(rs));
            ++row;
            // Keep at least one empty row below the last hit.
            if (row == m_grid->rows() - 1)
                m_grid->addRow();
            rs.moveNext();
        }
    }
    if (row == 1) {
        showMessage(kNotOnFile);
    } else if (row == 2) {
        m_grid->setCurrentCell(1, 0);
        selectRow(1);
        m_ok->setFocus();
    }
}

void CheckSearchWindow::selectRow(int row) {
    if (!m_grid->text(row, 0).isEmpty()) {
        const int* date = m_grid->rowItem<int>(row);
        wrkTRNDTE = date ? *date : 0;
        setSelectionColour(m_look.validSelection);
        const QAbstractItemModel* model = m_grid->model();
        m_grid->selectionModel()->select(
            QItemSelection(model->index(row - 1, 0), model->index(row - 1, 2)),
            QItemSelectionModel::ClearAndSelect);
        m_ok->setEnabled(true);
    } else {
        // OK keeps its state: a correction started now finds no check of date 0.
        wrkTRNDTE = 0;
        setSelectionColour(m_look.invalidSelection);
        showMessage(kSelectValid);
    }
}

void CheckSearchWindow::numberEntered() {
    runCommand([this] {
        const bool readable = readNumber(m_number->text());
        wrkTRNDTE = 0;
        m_ok->setEnabled(false);
        prcCLEAR_GRID();
        if (!readable) {
            showMessage(kNotOnFile);
            return;
        }
        prcLOAD_CHECKS();
    });
}

void CheckSearchWindow::searchFor(const QString& number) {
    m_number->setText(number);
    numberEntered();
}

void CheckSearchWindow::okClicked() {
    // The correction writes all its statements or none.
    const bool written = runCommand([this] { writeCorrection(); });
    // A failed correction leaves the pick on screen, so the clerk can try again or cancel.
    if (written)
        backToIdle();
}

void CheckSearchWindow::cancelClicked() {
    if (!m_ok->isEnabled())
        closeWindow();
    else
        backToIdle();
}

void CheckSearchWindow::backToIdle() {
    m_number->clear();
    prcCLEAR_GRID();
    forgetNumber();
    wrkTRNDTE = 0;
    m_ok->setEnabled(false);
    m_number->setFocus();
}
