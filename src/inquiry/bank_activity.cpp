#include "bank_activity.h"

#include "balance_chart.h"
#include "clock.h"
#include "common.h"
#include "context.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "outstanding_items.h"
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
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

constexpr int kGridRows = 30; // heading row and 29 rows in view before the grid grows
constexpr int kPlacementTwips = 200;
constexpr int kActivityLeft = 240;
constexpr int kActivityWidth = 10150;
constexpr int kReconciliationLeft = 1200;
constexpr int kReconciliationWidth = 8300;
constexpr int kVisibleRows = 20;

const QColor kGridColour(192, 255, 192);

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

bool frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::balancesMode() const {
    return optBALANCES->isChecked();
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

std::vector<int>
frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::fieldIndexes(const Recordset& rs,
                                                       std::initializer_list<const char*> names) {
    std::vector<int> index;
    for (const char* name : names)
        index.push_back(rs.fieldIndex(QLatin1String(name)));
    return index;
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::drillDown(int row) {
    if (!activityMode()) {
        reconciliationDrillDown(row, grdACTIVITY->col());
        return;
    }
    activityDrillDown(row);
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
