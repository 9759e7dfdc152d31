#include "bank_activity.h"

#include "balance_chart.h"
#include "clock.h"
#include "common.h"
#include "context.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "messages.h"
#include "outstanding_items.h"
#include "report.h"
#include "transaction_detail.h"
#include "void_checks.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kGridRows = 30; // heading row and 29 rows in view before the grid grows
constexpr int kGridCols = 9;
constexpr int kTimeCol = 8;    // the deposit time, kept out of view for the drill-down
constexpr int kChangedCol = 8; // Reconciliations: the change of a posted month since posting
// What the drill-down needs goes with each row as numbers, never read back from the cells:
// the listed date, the deposit batch's time and the deposit's amount (0 for expenditures).
constexpr int kDateValue = 0;
constexpr int kTimeValue = 1;
constexpr int kDepositValue = 2;
constexpr int kPlacementTwips = 200;
constexpr int kActivityLeft = 240;
constexpr int kActivityWidth = 10150;
constexpr int kReconciliationLeft = 1200;
constexpr int kReconciliationWidth = 8300;
constexpr int kVisibleRows = 20;

const QColor kGridColour(192, 255, 192);
const QString kCurrency = QStringLiteral("currency");

// Field positions of one result, looked up once per listing rather than once per row.
struct Fields {
    Fields(const Recordset& rs, std::initializer_list<const char*> names) {
        for (const char* name : names)
            index.push_back(rs.fieldIndex(QLatin1String(name)));
    }
    std::vector<int> index;
};

} // namespace

frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    setDesignedPosition(kPlacementTwips, kPlacementTwips);
    addCaption(this, QStringLiteral("Analyze Bank Activity & Reconciliations"),
               QStringLiteral("Analice Conciliaciones Bancarias de Actividad"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildSelection());
    layout->addWidget(buildDetails());
    // The buttons stand in the middle of the frame.
    grpCONTROL = addControlFrame(tbcOK, tbcCANCEL, true);
    static_cast<QHBoxLayout*>(grpCONTROL->layout())->addStretch(1);
    layout->addWidget(grpCONTROL);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connectCommands();
}

QLayout* frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::buildSelection() {
    grpSELECT = addControl<QGroupBox>(this, "grpSELECT", QStringLiteral("Select"),
                                      QStringLiteral("Selecto"));
    optACTIVITY =
        addControl<QRadioButton>(grpSELECT, "optACTIVITY", QStringLiteral("Account Activity"),
                                 QStringLiteral("Actividad de Cuenta"));
    optRECONCILIATION =
        addControl<QRadioButton>(grpSELECT, "optRECONCILIATION", QStringLiteral("Reconciliations"),
                                 QStringLiteral("Las conciliación"));
    optBALANCES = addControl<QRadioButton>(grpSELECT, "optBALANCES", QStringLiteral("Balances"),
                                           QStringLiteral("Saldos"));
    auto* selectLayout = new QVBoxLayout(grpSELECT);
    selectLayout->addWidget(optACTIVITY);
    selectLayout->addWidget(optRECONCILIATION);
    selectLayout->addWidget(optBALANCES);

    lblSEARCH = addControl<QLabel>(this, "lblSEARCH",
                                   QStringLiteral("Search (Text, check number, or $0.00)"),
                                   QStringLiteral("Busque(Texto,Cheque número,o $0.00)"));
    tbxSEARCH = addControl<QLineEdit>(this, "tbxSEARCH");
    tbxSEARCH->setText(QStringLiteral("Text, Check Numbers, or $Number for Amounts"));
    tbxSEARCH->setMinimumWidth(
        std::max(FlexGrid::twipsToPixels(4200),
                 tbxSEARCH->fontMetrics().horizontalAdvance(tbxSEARCH->text()) + 16));
    tbxSEARCH->setCursorPosition(0);
    lblSEARCH->setBuddy(tbxSEARCH);
    chkCHECK = addControl<QCheckBox>(this, "chkCHECK", QStringLiteral("Checks"),
                                     QStringLiteral("Cheques"));
    chkDEPOSIT = addControl<QCheckBox>(this, "chkDEPOSIT", QStringLiteral("Deposits"),
                                       QStringLiteral("Depósitos"));
    auto* searchLayout = new QVBoxLayout;
    searchLayout->addWidget(lblSEARCH);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(tbxSEARCH);
    searchRow->addWidget(chkCHECK);
    searchRow->addWidget(chkDEPOSIT);
    searchLayout->addLayout(searchRow);

    lblSTRDTE = addControl<QLabel>(this, "lblSTRDTE", QStringLiteral("Start Date"),
                                   QStringLiteral("Comienzo Fecha:"));
    dbxSTRDTE = addControl<DatePicker>(this, "dbxSTRDTE");
    lblSTRDTE->setBuddy(dbxSTRDTE);
    auto* dateLayout = new QVBoxLayout;
    dateLayout->addWidget(lblSTRDTE);
    dateLayout->addWidget(dbxSTRDTE);

    auto* top = new QHBoxLayout;
    top->addWidget(grpSELECT);
    top->addSpacing(FlexGrid::twipsToPixels(240));
    top->addLayout(searchLayout);
    top->addSpacing(FlexGrid::twipsToPixels(240));
    top->addLayout(dateLayout);
    top->addStretch(1);
    return top;
}

QGroupBox* frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::buildDetails() {
    grpDETAILS = addControl<QGroupBox>(this, "grpDETAILS", QStringLiteral("Details"),
                                       QStringLiteral("Detalles"));
    // The grid moves and narrows with the mode inside a fixed area, as the clerk knows it.
    auto* gridArea = new QWidget(grpDETAILS);
    grdACTIVITY = addControl<FlexGrid>(gridArea, "grdACTIVITY");
    grdACTIVITY->setRows(kGridRows);
    grdACTIVITY->setCols(kGridCols);
    grdACTIVITY->setGridBackground(kGridColour);
    grdACTIVITY->setRowHighlight(true);
    const int gridHeight = grdACTIVITY->horizontalHeader()->sizeHint().height() +
                           kVisibleRows * grdACTIVITY->verticalHeader()->defaultSectionSize() +
                           grdACTIVITY->horizontalScrollBar()->sizeHint().height() +
                           2 * grdACTIVITY->frameWidth();
    gridArea->setFixedSize(FlexGrid::twipsToPixels(kActivityLeft + kActivityWidth + 120),
                           gridHeight);
    grdACTIVITY->setGeometry(FlexGrid::twipsToPixels(kActivityLeft), 0,
                             FlexGrid::twipsToPixels(kActivityWidth), gridHeight);
    lblINFO = addControl<QLabel>(grpDETAILS, "lblINFO",
                                 QStringLiteral("Double Click for Additional Details."),
                                 QStringLiteral("Doble Clic para Detalles Adicionales."));
    auto* detailsLayout = new QVBoxLayout(grpDETAILS);
    detailsLayout->setContentsMargins(0, detailsLayout->contentsMargins().top(), 0,
                                      detailsLayout->contentsMargins().bottom());
    detailsLayout->addWidget(gridArea);
    detailsLayout->addWidget(lblINFO, 0, Qt::AlignHCenter);
    return grpDETAILS;
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::connectCommands() {
    const auto listAgain = [this] { refresh(); };
    connectCommand(optACTIVITY, &QRadioButton::clicked, listAgain);
    connectCommand(optRECONCILIATION, &QRadioButton::clicked, listAgain);
    connectCommand(optBALANCES, &QRadioButton::clicked, listAgain);
    connectCommand(tbcOK, &QPushButton::clicked, listAgain);
    connect(tbcCANCEL, &QPushButton::clicked, this, &ChildWindow::closeWindow);
    connectCommand(tbxSEARCH, &QLineEdit::returnPressed, [this] { search(); });
    const auto detail = [this](int row, int) { drillDown(row); };
    connectCommand(grdACTIVITY, &FlexGrid::cellDoubleClicked, detail);
    connectCommand(grdACTIVITY, &FlexGrid::enterPressed, detail);
    // F9 lists again what the window shows, for the clerk who has changed data elsewhere.
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    f9->setContext(Qt::WidgetWithChildrenShortcut);
    connectCommand(f9, &QShortcut::activated, listAgain);
    // The reconciliations and the chart follow the months that other windows save or post.
    followLedgerWrites([this] {
        if (!activityMode())
            refresh();
    });
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::loadWindow() {
    const QDate start = today().addMonths(-3);
    dbxSTRDTE->setDateNumber(dateNumber(start));
    optACTIVITY->setChecked(true);
    prcSET_GRID_LAYOUT();
    prcSET_GRID_HEADERS();
}

bool frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::activityMode() const {
    return optACTIVITY->isChecked();
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::refresh() {
    if (showBalances())
        return;
    prcSET_GRID_LAYOUT();
    prcSET_GRID_HEADERS();
    if (activityMode())
        prcLOAD_ACTIVITY();
    else
        prcLOAD_RECONCILIATIONS();
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcSET_GRID_LAYOUT() {
    const bool activity = activityMode();
    const int left = activity ? kActivityLeft : kReconciliationLeft;
    const int width = activity ? kActivityWidth : kReconciliationWidth;
    for (int c = 0; c < kGridCols; ++c) {
        grdACTIVITY->setColumnHidden(c, false);
        grdACTIVITY->setColAlignment(c, Qt::AlignLeft);
    }
    if (activity) {
        const int widths[] = {950, 700, 1000, width - 5000, 1000, 1000};
        for (int c = 0; c < 6; ++c)
            grdACTIVITY->setColWidthTwips(c, widths[c]);
        for (int c : {1, 2, 4, 5, kTimeCol})
            grdACTIVITY->setColAlignment(c, Qt::AlignRight);
        // Columns 6 and 7 are never written and the time is only for the drill-down.
        for (int c = 6; c < kGridCols; ++c)
            grdACTIVITY->setColumnHidden(c, true);
    } else {
        const int widths[] = {900, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
        for (int c = 0; c < 8; ++c)
            grdACTIVITY->setColWidthTwips(c, widths[c]);
        for (int c = 1; c <= 7; ++c)
            grdACTIVITY->setColAlignment(c, Qt::AlignRight);
        grdACTIVITY->setColAlignment(kChangedCol, Qt::AlignRight);
    }
    const char* const amount = "-$000,000.00";
    const int fitted =
        activity
            ? grdACTIVITY->widenColumns(
                  {{0, "00/00/0000"}, {1, "Deposit"}, {2, "0000000"}, {4, amount}, {5, amount}},
                  width)
            : grdACTIVITY->widenColumns({{0, "00/0000"},
                                         {1, "00/00/0000"},
                                         {2, amount},
                                         {3, amount},
                                         {4, amount},
                                         {5, amount},
                                         {6, amount},
                                         {7, amount},
                                         {kChangedCol, "Out -00000.00  Book -00000.00"}},
                                        width);
    // The reconciliations' last column, the change since posting, may take the grid past the
    // activity's right edge: the grid then starts further left.
    const int right = FlexGrid::twipsToPixels(kActivityLeft + kActivityWidth);
    grdACTIVITY->move(std::max(FlexGrid::twipsToPixels(kActivityLeft),
                               std::min(FlexGrid::twipsToPixels(left), right - fitted)),
                      0);
    grdACTIVITY->setFixedWidth(fitted);
    QWidget* area = grdACTIVITY->parentWidget();
    area->setFixedWidth(std::max(area->width(), FlexGrid::twipsToPixels(left) + fitted +
                                                    FlexGrid::twipsToPixels(120)));
    // The window takes its new size now, not after the listing has been drawn cut off.
    grpDETAILS->layout()->activate();
    layout()->activate();
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcSET_GRID_HEADERS() {
    // A long listing grew the grid; the next one starts from the designed size again.
    grdACTIVITY->setRows(kGridRows);
    grdACTIVITY->clearCells();
    static const char* const activity[] = {"  TranDate",        "Chk/Dep",     "Check Nbr",
                                           "Payee/Description", "      Debit", "     Credit"};
    static const char* const reconciliations[] = {"Mth/Year",  "StmDate",  "Bank Bal", "Out Trans",
                                                  "Adj Trans", "Adj Bank", "Book Bal", "Ovr/-Sht"};
    if (activityMode())
        for (int c = 0; c < 6; ++c)
            grdACTIVITY->setText(0, c, QLatin1String(activity[c]));
    else
        for (int c = 0; c < 8; ++c)
            grdACTIVITY->setText(0, c, QLatin1String(reconciliations[c]));
    if (!activityMode())
        grdACTIVITY->setText(0, kChangedCol,
                             shared().spanish() ? QStringLiteral("Cambiado Desde el Anuncio")
                                                : QStringLiteral("Changed Since Posting"));
    m_nextRow = 1;
    grdACTIVITY->setCurrentCell(1, 0);
    grdACTIVITY->scrollToTop();
}

int frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::takeRow() {
    // No record is left out: the grid grows one row at a time past its 29 data rows.
    if (m_nextRow >= grdACTIVITY->rows())
        grdACTIVITY->setRows(m_nextRow + 1);
    return m_nextRow++;
}

QString frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::dateText(int date) {
    auto known = m_dates.constFind(date);
    if (known == m_dates.constEnd())
        known = m_dates.insert(date, fncFORMAT_DATE(date));
    return *known;
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcLOAD_ACTIVITY() {
    m_nextRow = 1;
    // What was read so far stays on view, whatever way the listing ends; the dates are
    // formatted anew next time (the date format may change).
    const FlexGrid::RedrawBlocker quiet(grdACTIVITY);
    const auto forget = qScopeGuard([this] { m_dates.clear(); });
    prcBANK_EXPENDITURE_TRANSACTION(QStringLiteral("TRANSACTIONS"));
    writeExpenditures();
    prcBANK_DEPOSIT_TRANSACTION(QStringLiteral("TRANSACTIONS"));
    writeDeposits();
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::writeExpenditures() {
    Recordset& rs = rsBANK_EXPENDITURE_TRANSACTION;
    const Fields f(rs,
                   {"betCHKDTE", "betTRNTYP", "betCHKNBR", "betPAYNME", "betTRNAMT", "betLNENBR"});
    for (; !rs.eof(); rs.moveNext()) {
        const int row = takeRow();
        const int date = int(fncFIELD_NUMBER(rs.field(f.index[0])));
        grdACTIVITY->setText(row, 0, dateText(date));
        grdACTIVITY->setRowValue(row, kDateValue, date);
        grdACTIVITY->setText(row, 1, rs.field(f.index[1]).toString());
        grdACTIVITY->setText(row, 2, numberText(rs.field(f.index[2])));
        const QString payee = rs.field(f.index[3]).toString();
        if (!payee.isEmpty())
            grdACTIVITY->setText(row, 3, payee);
        grdACTIVITY->setText(row, 4, currencyText(fncFIELD_NUMBER(rs.field(f.index[4]))));
        grdACTIVITY->setText(row, 5, QString());
        grdACTIVITY->setRowData(row, int(fncFIELD_NUMBER(rs.field(f.index[5]))));
    }
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::writeDeposits() {
    Recordset& rs = rsBANK_DEPOSIT_TRANSACTION;
    const Fields f(rs,
                   {"bdtDEPDTE", "bdtCHKTXT", "bdtDESCPT", "bdtTRNAMT", "bdtDEPTME", "bdtLNENBR"});
    const QString deposit = QStringLiteral("Deposit");
    for (; !rs.eof(); rs.moveNext()) {
        const int row = takeRow();
        const int date = int(fncFIELD_NUMBER(rs.field(f.index[0])));
        grdACTIVITY->setText(row, 0, dateText(date));
        grdACTIVITY->setRowValue(row, kDateValue, date);
        grdACTIVITY->setText(row, 1, deposit);
        grdACTIVITY->setCellAlignment(row, 1, Qt::AlignLeft);
        grdACTIVITY->setText(row, 2, rs.field(f.index[1]).toString());
        const QVariant description = rs.field(f.index[2]);
        if (!description.isNull())
            grdACTIVITY->setText(row, 3, description.toString());
        grdACTIVITY->setText(row, 5, currencyText(fncFIELD_NUMBER(rs.field(f.index[3]))));
        // The time's column is the reconciliations' change since posting.
        if (activityMode())
            grdACTIVITY->setText(row, kTimeCol, numberText(rs.field(f.index[4])));
        grdACTIVITY->setRowValue(row, kTimeValue, int(fncFIELD_NUMBER(rs.field(f.index[4]))));
        grdACTIVITY->setRowValue(row, kDepositValue, fncFIELD_NUMBER(rs.field(f.index[3])));
        grdACTIVITY->setRowData(row, int(fncFIELD_NUMBER(rs.field(f.index[5]))));
    }
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcLOAD_RECONCILIATIONS() {
    m_nextRow = 1;
    // What was read so far stays on view, whatever way the listing ends; the dates are
    // formatted anew next time (the date format may change).
    const FlexGrid::RedrawBlocker quiet(grdACTIVITY);
    const auto forget = qScopeGuard([this] { m_dates.clear(); });
    prcBANK_RECONCILIATION_HISTORY(QStringLiteral("TRANSACTIONS"));
    Recordset& rs = rsBANK_RECONCILIATION_HISTORY;
    const Fields f(rs, {"brhMONTH", "brhFSYEAR", "brhSTMDTE", "brhBNKBAL", "brhOUTSTD", "brhADJBAL",
                        "brhBNKADJ", "brhEOMBAL", "brhOVRSHT"});
    for (; !rs.eof(); rs.moveNext()) {
        const int row = takeRow();
        const int statement = int(fncFIELD_NUMBER(rs.field(f.index[2])));
        grdACTIVITY->setText(row, 0,
                             numberText(rs.field(f.index[0])) + QLatin1Char('/') +
                                 numberText(rs.field(f.index[1])));
        grdACTIVITY->setText(row, 1, dateText(statement));
        for (int c = 2; c <= 7; ++c)
            grdACTIVITY->setText(
                row, c, currencyText(fncFIELD_NUMBER(rs.field(f.index[std::size_t(c) + 1]))));
        grdACTIVITY->setRowData(row, statement);
    }
    writeChangesSincePosting();
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::search() {
    const QString typed = tbxSEARCH->text();
    const double number = leadingNumber(typed);
    // A check number is a whole number at the start of the text; anything else would
    // search for check 0 and find nothing the clerk meant.
    const bool checkNumber = number > 0 && number == std::floor(number) && std::isfinite(number);
    if (chkCHECK->isChecked() && !checkNumber && !chkDEPOSIT->isChecked()) {
        showMessage(shared().spanish()
                        ? QStringLiteral("Escriba el número del cheque que busca.")
                        : QStringLiteral("Type the number of the check to search for."));
        return;
    }
    // With Deposits ticked too, such text is still an amount: only the check part is left out.
    if (chkCHECK->isChecked() && checkNumber) {
        m_searchValue = plainNumber(number);
        // What was read so far stays on view, whatever way the listing ends; the dates are
        // formatted anew next time (the date format may change).
        const FlexGrid::RedrawBlocker quiet(grdACTIVITY);
        const auto forget = qScopeGuard([this] { m_dates.clear(); });
        prcBANK_EXPENDITURE_TRANSACTION(QStringLiteral("CHKFIND"));
        writeExpenditures();
    }
    if (chkDEPOSIT->isChecked()) {
        m_searchValue = plainNumber(number);
        // What was read so far stays on view, whatever way the listing ends; the dates are
        // formatted anew next time (the date format may change).
        const FlexGrid::RedrawBlocker quiet(grdACTIVITY);
        const auto forget = qScopeGuard([this] { m_dates.clear(); });
        prcBANK_DEPOSIT_TRANSACTION(QStringLiteral("DEPFIND"));
        writeDeposits();
    }
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::drillDown(int row) {
    if (!activityMode()) {
        reconciliationDrillDown(row, grdACTIVITY->col());
        return;
    }
    if (row < 1 || row >= grdACTIVITY->rows())
        return;
    PickedTransaction picked;
    // A deposit is a row with a deposit amount to the cent, as the clerk sees it.
    picked.deposit = std::lround(grdACTIVITY->rowValue(row, kDepositValue).toDouble() * 100) != 0;
    picked.date = grdACTIVITY->rowValue(row, kDateValue).toInt();
    picked.time = grdACTIVITY->rowValue(row, kTimeValue).toInt();
    picked.line = grdACTIVITY->rowData(row);
    if (picked.date <= 0)
        return;
    auto* detail = new frmANALYZE_BANK_TRANSACTION(picked);
    QPointer<frmANALYZE_BANK_TRANSACTION> alive(detail);
    detail->load();
    if (alive)
        detail->execModal(this);
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcBANK_EXPENDITURE_TRANSACTION(
    const QString& action) {
    QString sql;
    if (action == QLatin1String("TRANSACTIONS"))
        sql = QStringLiteral("Select * from LDG_BANK_EXPENDITURE_TRANSACTION%1 where betGLANBR=%2")
                  .arg(shared().wrkNOLOCK)
                  .arg(shared().wrkBACNBR);
    else if (action == QLatin1String("CHKFIND"))
        sql = QStringLiteral("Select * from LDG_BANK_EXPENDITURE_TRANSACTION%1 where betCHKNBR=%2")
                  .arg(shared().wrkNOLOCK, m_searchValue);
    else
        return;
    rsBANK_EXPENDITURE_TRANSACTION = db().execute(sql);
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcBANK_DEPOSIT_TRANSACTION(const QString& action) {
    QString sql;
    if (action == QLatin1String("TRANSACTIONS"))
        sql = QStringLiteral("Select * from LDG_BANK_DEPOSIT_TRANSACTION%1 where bdtGLANBR=%2")
                  .arg(shared().wrkNOLOCK)
                  .arg(shared().wrkBACNBR);
    else if (action == QLatin1String("DEPFIND"))
        sql = QStringLiteral("Select * from LDG_BANK_DEPOSIT_TRANSACTION%1 where bdtTRNAMT=%2")
                  .arg(shared().wrkNOLOCK, m_searchValue);
    else
        return;
    rsBANK_DEPOSIT_TRANSACTION = db().execute(sql);
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcBANK_RECONCILIATION_HISTORY(
    const QString& action) {
    if (action != QLatin1String("TRANSACTIONS"))
        return;
    rsBANK_RECONCILIATION_HISTORY = db().execute(
        QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY%1 where brhGLANBR=%2 and "
                       "brhSTMDTE>=%3 order by brhFSYEAR desc, brhMONTH desc")
            .arg(shared().wrkNOLOCK)
            .arg(shared().wrkBACNBR)
            .arg(dbxSTRDTE->dateNumber()));
}

QString frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::currencyText(double value) {
    if (!std::isfinite(value))
        return formatNumber(value, kCurrency);
    // The digits as the display masks round them: 15 significant digits first, then half
    // away from zero at the cents.
    char e[32];
    std::snprintf(e, sizeof e, "%.14e", std::fabs(value));
    char digits[400];
    int count = 0;
    for (const char* c = e; *c && *c != 'e'; ++c)
        if (*c != '.')
            digits[count++] = *c;
    int point = std::atoi(std::strchr(e, 'e') + 1) + 1; // digits before the decimal point
    if (point <= 0) {
        std::memmove(digits + 1 - point, digits, std::size_t(count));
        std::memset(digits, '0', std::size_t(1 - point));
        count += 1 - point;
        point = 1;
    }
    const int keep = point + 2;
    while (count <= keep)
        digits[count++] = '0';
    const bool up = digits[keep] >= '5';
    count = keep;
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            std::memmove(digits + 1, digits, std::size_t(count));
            digits[0] = '1';
            ++count;
            ++point;
        }
    }
    int first = 0; // leading zeros of the whole part are not shown, but one digit is
    while (first < point - 1 && digits[first] == '0')
        ++first;
    bool zero = true;
    for (int i = 0; i < count; ++i)
        zero = zero && digits[i] == '0';

    char text[600];
    int n = 0;
    if (value < 0 && !zero)
        text[n++] = '-';
    text[n++] = '$';
    for (int i = first; i < point; ++i) {
        if (i > first && (point - i) % 3 == 0)
            text[n++] = ',';
        text[n++] = digits[i];
    }
    text[n++] = '.';
    text[n++] = digits[point];
    text[n++] = digits[point + 1];
    return QString::fromLatin1(text, n);
}

// ---------------------------------------------------------------------------------------
// After the month: changes since posting, outstanding items and the balance chart

bool frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::balancesMode() const {
    return optBALANCES->isChecked();
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::writeChangesSincePosting() {
    // Each listed row is matched to its history row by the statement date it carries; a
    // row once matched is not matched again.
    m_listedReconciliations.clear();
    if (m_nextRow <= 1)
        return;
    QList<ledger::HistoryRow> history = ledger::history(db(), shared().wrkBACNBR);
    for (int row = 1; row < m_nextRow; ++row) {
        const int statement = grdACTIVITY->rowData(row);
        const auto month = std::find_if(history.begin(), history.end(), [statement](const auto& m) {
            return m.statementDate == statement;
        });
        if (month == history.end())
            continue;
        m_listedReconciliations.insert(row, *month);
        if (month->postedOn > 0)
            grdACTIVITY->setText(
                row, kChangedCol,
                reports::changesSincePosting(db(), *month).text(shared().spanish()));
        history.erase(month);
    }
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::reconciliationDrillDown(int row, int col) {
    const auto month = m_listedReconciliations.constFind(row);
    if (balancesMode() || month == m_listedReconciliations.constEnd())
        return;
    if (col == kChangedCol && !grdACTIVITY->text(row, kChangedCol).isEmpty()) {
        auto* changes = new frmCHANGES_SINCE_POSTING(*month);
        QPointer<frmCHANGES_SINCE_POSTING> alive(changes);
        changes->load();
        if (alive)
            changes->execModal(this);
        return;
    }
    openOutstandingItems(month->statementDate);
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::openOutstandingItems(int asOf) {
    int voidCheck = 0;
    auto* items = new frmOUTSTANDING_ITEMS(asOf);
    QPointer<frmOUTSTANDING_ITEMS> alive(items);
    connect(items, &frmOUTSTANDING_ITEMS::voidRequested, this,
            [&voidCheck](int check) { voidCheck = check; });
    items->load();
    if (alive)
        items->execModal(this);
    // The list has closed: the Void window opens in its own right, the check searched.
    if (voidCheck > 0)
        if (auto* window = open<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS>())
            window->searchFor(QString::number(voidCheck));
}

bool frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::showBalances() {
    const bool chart = balancesMode();
    if (chart && !chtBALANCES) {
        chtBALANCES = new BalanceChart(grpDETAILS);
        static_cast<QVBoxLayout*>(grpDETAILS->layout())->insertWidget(1, chtBALANCES);
        connectCommand(chtBALANCES, &BalanceChart::monthClicked, [this](int index) {
            openOutstandingItems(chtBALANCES->months().at(index).statementDate);
        });
    }
    grdACTIVITY->parentWidget()->setVisible(!chart);
    lblINFO->setVisible(!chart);
    if (chtBALANCES)
        chtBALANCES->setVisible(chart);
    if (chart)
        chtBALANCES->setMonths(reports::balanceSeries(db(), shared().wrkBACNBR));
    layout()->activate();
    return chart;
}
