#include "clear_transactions.h"

#include "common.h"
#include "context.h"
#include "flex_grid.h"
#include "import_bank_statement.h"
#include "ledger.h"
#include "messages.h"
#include "report.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kColDate = 0;
constexpr int kColCheck = 1;
constexpr int kColCheckDate = 2;
constexpr int kColAmount = 3;
constexpr int kColDescription = 4;

constexpr int kStartRows = 29;
constexpr int kCols = 5;
// What each row keeps as numbers: the line's key and its cleared date as yyyymmdd, the one
// OK writes. The date cell's text is only what the clerk reads and types.
struct RowLine {
    int year = 0;
    int line = 0;
    int cleared = 0;
};
// Columns 0 to 3 take 3300 twips by design; the description takes the rest of the grid's
// width less this.
constexpr int kFixedTwips = 3550;

} // namespace

frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT(
    QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    setBankBound(true);
    addCaption(this, QStringLiteral("Clear Bank Transactions From Statement"),
               QStringLiteral("Transacciones Bancarias claras de la Declaración"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildGrid(), 1);
    // The bank's statement file fills the cleared dates of this window.
    QPushButton* tbcIMPORT = nullptr;
    layout->addWidget(addControlFrame(
        {{tbcIMPORT, "tbcIMPORT_BANK_STATEMENT", QStringLiteral("Import Bank Statement..."),
          QStringLiteral("Importar Estado de Cuenta Bancario...")},
         {tbcOK, "tbcOK", QStringLiteral("&OK"), QStringLiteral("Bueno")},
         {tbcCANCEL, "tbcCANCEL", QStringLiteral("&Cancel"), QStringLiteral("Cancele")}}));
    resize(640, 520);

    connectCommand(tbcIMPORT, &QPushButton::clicked, [] { open<frmIMPORT_BANK_STATEMENT>(); });
    connect(grdTRANSACTION, &FlexGrid::cellClicked, this,
            &frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onCellClicked);
    connect(grdTRANSACTION, &FlexGrid::currentCellChanged, this,
            &frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onCurrentCellChanged);
    connect(grdTRANSACTION, &FlexGrid::scrolled, this,
            &frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onScrolled);
    connect(tbcOK, &QPushButton::clicked, this, &frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onOk);
    connect(tbcCANCEL, &QPushButton::clicked, this,
            &frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::closeWindow);
}

QGroupBox* frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::buildGrid() {
    auto* grpDETAIL = addControl<QGroupBox>(this, "grpDETAIL", QStringLiteral("Detail"),
                                            QStringLiteral("Detalle"));
    grdTRANSACTION = addControl<FlexGrid>(grpDETAIL, "grdTRANSACTION");
    grdTRANSACTION->setCols(kCols);
    grdTRANSACTION->setRows(kStartRows);
    grdTRANSACTION->setGridBackground(QColor(224, 224, 224));
    grdTRANSACTION->setColAlignment(kColCheck, Qt::AlignRight);
    grdTRANSACTION->setColAlignment(kColAmount, Qt::AlignRight);
    grdTRANSACTION->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdTRANSACTION->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grdTRANSACTION->installEventFilter(this);
    // The cleared date is typed into the grid's own editor.
    tbxTRANSACTION = grdTRANSACTION->cellEditor();
    tbxTRANSACTION->setObjectName(QStringLiteral("tbxTRANSACTION"));
    tbxTRANSACTION->installEventFilter(this);
    lblINSTRUCTION = addControl<QLabel>(
        grpDETAIL, "lblINSTRUCTION",
        QStringLiteral("Enter Cleared on Day/DayMonth/DayMonthYear.  F6=Repeat Date"),
        QStringLiteral("Entre Vaciado en Día/DíaMes/DíaMesAño. F6=Repita Fecha"));
    auto* detail = new QVBoxLayout(grpDETAIL);
    detail->addWidget(grdTRANSACTION, 1);
    detail->addWidget(lblINSTRUCTION);
    return grpDETAIL;
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::loadWindow() {
    m_depositColour = QColor(192, 255, 192);
    m_checkColour = QColor(255, 192, 192);
    prcSET_GRID_WIDTHS();
    prcCLEAR_GRID();
    prcLOAD_TRANSACTIONS();
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::prcSET_GRID_WIDTHS() {
    // The designed widths, widened where this screen's font needs more room for a date or an
    // amount; the description takes what is left of the visible width.
    const int designed[] = {800, 800, 800, 900};
    for (int c = 0; c < 4; ++c)
        grdTRANSACTION->setColWidthTwips(c, designed[c]);
    const QString date = fncFORMAT_DATE(20241231);
    grdTRANSACTION->widenColumns({{kColDate, date},
                                  {kColCheck, QStringLiteral("000000")},
                                  {kColCheckDate, date},
                                  {kColAmount, QStringLiteral("00000.00")}});
    int used = FlexGrid::twipsToPixels(kFixedTwips - 3300);
    for (int c = 0; c < 4; ++c)
        used += grdTRANSACTION->columnWidth(c);
    grdTRANSACTION->setColumnWidth(
        kColDescription, std::max(grdTRANSACTION->width() - used, FlexGrid::twipsToPixels(800)));
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::prcCLEAR_GRID() {
    grdTRANSACTION->clearCells();
    const char* headings[] = {"ClrDate", "ChkNbr", "ChkDate", "Amount",
                              "Bank Transaction Description"};
    for (int c = 0; c < kCols; ++c)
        grdTRANSACTION->setText(0, c, QString::fromLatin1(headings[c]));
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::prcLOAD_TRANSACTIONS() {
    m_editing = false;
    m_editRow = 0;
    grdTRANSACTION->hideEditor();
    int row = 1;
    FlexGrid::RedrawBlocker quiet(grdTRANSACTION);
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("DEPOSITS"));
    fillRows(m_depositColour, false, row);
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("CHECKS"));
    fillRows(m_checkColour, true, row);
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::fillRows(const QColor& colour, bool negate,
                                                         int& row) {
    const QString amountMask = QStringLiteral("###0.00");
    FlexGrid* grid = grdTRANSACTION;
    // Each line goes into its row as it is read: the grid is the only copy of the lines.
    ledger::readLines(m_rs, [&](const ledger::Line& l) {
        grid->setText(row, kColDate, fncFORMAT_DATE(l.cleared));
        // The line is keyed by the year it is stored under, which need not be the fiscal
        // year its date falls in (a line entered in the year's closing month, say).
        grid->setRowItem(row, RowLine{l.fiscalYear, l.line, l.cleared});
        grid->setText(row, kColCheck, QString::number(l.check));
        grid->setText(row, kColCheckDate, fncFORMAT_DATE(l.date));
        grid->setText(row, kColAmount, formatNumber(negate ? -l.amount : l.amount, amountMask));
        grid->setText(row, kColDescription, l.description);
        grid->setRowColour(row, colour);
        ++row;
        // At least one empty row always follows the transactions.
        if (row == grid->rows() - 1)
            grid->addRow();
    });
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::prcGENERAL_LEDGER_TRANSACTION(
    const QString& action) {
    const QString account = QString::number(shared().wrkBACNBR);
    QString sql;
    if (action == QLatin1String("DEPOSITS"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION") + shared().wrkNOLOCK +
              QStringLiteral(" where gltGLANBR=") + account + QStringLiteral(" and ") +
              ledger::unreconciledCondition() + QStringLiteral(" and gltTRNAMT>0");
    else if (action == QLatin1String("CHECKS"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION") + shared().wrkNOLOCK +
              QStringLiteral(" where gltGLANBR=") + account + QStringLiteral(" and ") +
              ledger::unreconciledCondition() + QStringLiteral(" and gltTRNAMT<=0");
    else
        return;
    m_rs = db().execute(sql);
}

bool frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::fncVALIDATE_CLEARED_DATE() {
    const QString text = tbxTRANSACTION->text();
    if (text.isEmpty())
        return true;
    int date = fncDATE_TO_NUMBER(text);
    if (date >= 1) {
        m_lastValidDate = date;
        return true;
    }
    // A short entry takes what it lacks from the last accepted date.
    date = shortDateEntry(text, m_lastValidDate);
    if (date == 0) {
        showMessage(QStringLiteral(" The date is in an invalid format. Use MM/DD/YY. "));
        return false;
    }
    m_lastValidDate = date;
    tbxTRANSACTION->setText(fncFORMAT_DATE(date));
    return true;
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::enterCell() {
    if (!m_editing)
        return;
    const int row = grdTRANSACTION->row();
    const int col = grdTRANSACTION->col();
    if (row < 1)
        return;
    m_editRow = row;
    m_editCol = col;
    tbxTRANSACTION->setText(grdTRANSACTION->text(row, col));
    const bool moving = m_moving;
    m_moving = true; // bringing the cell into view is no scroll by the clerk
    grdTRANSACTION->placeEditor(row, col);
    m_moving = moving;
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::leaveCell() {
    if (!m_editing || m_editRow < 1)
        return;
    const QString text = tbxTRANSACTION->text();
    // Only what the clerk changed is read as typed text; a date left as shown keeps its number.
    if (text != grdTRANSACTION->text(m_editRow, m_editCol)) {
        grdTRANSACTION->setText(m_editRow, m_editCol, text);
        // The editor may hold a date the window wrote itself (F6, a completed short entry).
        const int date = text.isEmpty()                            ? 0
                         : text == fncFORMAT_DATE(m_lastValidDate) ? m_lastValidDate
                                                                   : fncDATE_TO_NUMBER(text);
        if (RowLine* item = grdTRANSACTION->rowItem<RowLine>(m_editRow))
            item->cleared = date;
    }
    grdTRANSACTION->hideEditor();
    m_editRow = 0;
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::goToRow(int row) {
    m_moving = true;
    leaveCell();
    grdTRANSACTION->setCurrentCell(row, kColDate);
    enterCell();
    m_moving = false;
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onCellClicked(int row, int) {
    if (row < 1)
        return;
    if (grdTRANSACTION->col() != kColDate) {
        m_moving = true;
        leaveCell();
        grdTRANSACTION->setCurrentCell(row, kColDate);
        m_moving = false;
    }
    m_editing = true;
    leaveCell();
    enterCell();
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onCurrentCellChanged() {
    // A click moves the current cell before the click itself arrives.
    if (m_moving || !m_editing)
        return;
    m_moving = true;
    leaveCell();
    enterCell();
    m_moving = false;
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onScrolled() {
    if (m_moving || !m_editing)
        return;
    leaveCell();
    m_editing = false;
}

bool frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::editorKey(int key) {
    const int row = grdTRANSACTION->row();
    switch (key) {
    case Qt::Key_Down:
    case Qt::Key_Right:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F6:
        if (!fncVALIDATE_CLEARED_DATE())
            return true;
        if (row == grdTRANSACTION->rows() - 1)
            grdTRANSACTION->addRow();
        goToRow(row + 1);
        if (key == Qt::Key_F6)
            tbxTRANSACTION->setText(fncFORMAT_DATE(m_lastValidDate));
        return true;
    case Qt::Key_Up:
    case Qt::Key_Left:
        if (fncVALIDATE_CLEARED_DATE() && row >= 2)
            goToRow(row - 1);
        return true;
    default:
        return false;
    }
}

bool frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tbxTRANSACTION && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        bool handled = false;
        runCommand([&] { handled = editorKey(key->key()); });
        return handled;
    }
    if (watched == grdTRANSACTION && event->type() == QEvent::Resize) {
        prcSET_GRID_WIDTHS();
        if (m_editing && m_editRow > 0) {
            m_moving = true;
            grdTRANSACTION->placeEditor(m_editRow, m_editCol);
            m_moving = false;
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::onOk() {
    if (runCommand([this] { save(); }))
        closeWindow();
}

void frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::save() {
    leaveCell();
    m_editing = false;
    grdTRANSACTION->hideEditor();
    QList<ledger::ClearedDate> dates;
    for (int row = 1; row < grdTRANSACTION->rows(); ++row) {
        const RowLine* item = grdTRANSACTION->rowItem<RowLine>(row);
        const int year = item ? item->year : 0;
        if (year == 0)
            break; // the empty rows after the transactions
        dates.append({year, item->line, item->cleared});
    }
    ledger::writeClearedDates(db(), shared().wrkBACNBR, dates);
}

int frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::lineOfRow(int row) const {
    const RowLine* item = grdTRANSACTION->rowItem<RowLine>(row);
    return item ? item->line : 0;
}

int frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::fiscalYearOfRow(int row) const {
    const RowLine* item = grdTRANSACTION->rowItem<RowLine>(row);
    return item ? item->year : 0;
}

int frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::rowOfLine(int line) const {
    for (int row = 1; row < grdTRANSACTION->rows(); ++row)
        if (grdTRANSACTION->rowItem<RowLine>(row) && lineOfRow(row) == line)
            return row;
    return 0;
}

int frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::setClearedDates(
    const QHash<qint64, int>& dateOfLine) {
    int listed = 0;
    for (int row = 1; row < grdTRANSACTION->rows() && listed < dateOfLine.size(); ++row) {
        RowLine* item = grdTRANSACTION->rowItem<RowLine>(row);
        const auto found =
            item ? dateOfLine.constFind(lineKey(item->year, item->line)) : dateOfLine.constEnd();
        if (found == dateOfLine.constEnd())
            continue;
        // The date goes in as the number it is, and as text that the editor, lying over the
        // cell, shows and leaves unchanged.
        const QString text = fncFORMAT_DATE(*found);
        grdTRANSACTION->setText(row, kColDate, text);
        item->cleared = *found;
        if (m_editing && m_editRow == row && m_editCol == kColDate)
            tbxTRANSACTION->setText(text);
        ++listed;
    }
    return listed;
}

bool frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::showLine(int fiscalYear, int line) {
    for (int row = 1; row < grdTRANSACTION->rows(); ++row) {
        if (!grdTRANSACTION->rowItem<RowLine>(row) || lineOfRow(row) != line ||
            fiscalYearOfRow(row) != fiscalYear)
            continue;
        m_editing = true;
        goToRow(row);
        return true;
    }
    return false;
}
