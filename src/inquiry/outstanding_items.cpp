#include "outstanding_items.h"

#include "common.h"
#include "context.h"
#include "flex_grid.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kGridColour(192, 255, 192);
const QColor kStaleColour(255, 192, 192);

QString money(double value) {
    return formatNumber(value, QStringLiteral("###0.00"));
}

FlexGrid* makeGrid(QWidget* parent, const char* name, int cols) {
    auto* grid = new FlexGrid(parent);
    grid->setObjectName(QLatin1String(name));
    grid->setRows(1);
    grid->setCols(cols);
    grid->setGridBackground(kGridColour);
    grid->setRowHighlight(true);
    return grid;
}

// Headings as English and Spanish pairs.
void setHeadings(FlexGrid* grid, const QList<std::pair<const char*, const char*>>& headings) {
    const bool spanish = shared().spanish();
    for (int c = 0; c < headings.size(); ++c)
        grid->setText(0, c,
                      QString::fromUtf8(spanish ? headings.at(c).second : headings.at(c).first));
}

// Date, check number, description and amount of a line, as both lists show them.
void writeLine(FlexGrid* grid, int row, const ledger::Line& line) {
    grid->setText(row, 0, fncFORMAT_DATE(line.date));
    if (line.check > 0)
        grid->setText(row, 1, QString::number(line.check));
    grid->setText(row, 2, line.description);
    grid->setText(row, 3, money(line.amount));
}

void lineColumns(FlexGrid* grid, std::initializer_list<std::pair<int, QString>> more) {
    grid->setColWidthTwips(2, 3600);
    for (int c : {1, 3})
        grid->setColAlignment(c, Qt::AlignRight);
    grid->widenColumns(more);
}

} // namespace

frmOUTSTANDING_ITEMS::frmOUTSTANDING_ITEMS(int asOf, QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent), m_asOf(asOf) {
    lblASOF = addControl<QLabel>(this, "lblASOF");
    grdOUTSTANDING = makeGrid(this, "grdOUTSTANDING", 7);
    grdAGEING = makeGrid(this, "grdAGEING", 6);
    grdAGEING->setRows(2);
    grdAGEING->setRowHighlight(false);
    grdAGEING->setFixedHeight(grdAGEING->verticalHeader()->defaultSectionSize() * 3);

    auto* control = addControlFrame(
        {{tbcVOID, "tbcVOID", QStringLiteral("&Void Stale Check"),
          QStringLiteral("&Anule Cheque Vencido")},
         {tbcCANCEL, "tbcCANCEL", QStringLiteral("&Close"), QStringLiteral("Cierre")}});
    tbcVOID->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblASOF);
    layout->addWidget(grdOUTSTANDING, 1);
    layout->addWidget(grdAGEING);
    layout->addWidget(control);
    resize(930, 480);

    addCaption(this, QStringLiteral("Outstanding Items"), QStringLiteral("Partidas Pendientes"));

    connect(grdOUTSTANDING, &FlexGrid::currentCellChanged, this,
            [this](int row, int) { rowChanged(row); });
    connect(tbcVOID, &QPushButton::clicked, this, [this] {
        const reports::OutstandingItem* item = itemAt(grdOUTSTANDING->row());
        if (!item || !item->stale)
            return;
        Q_EMIT voidRequested(item->line.check);
        closeWindow();
    });
    connect(tbcCANCEL, &QPushButton::clicked, this, &ChildWindow::closeWindow);
    followLedgerWrites();
}

void frmOUTSTANDING_ITEMS::loadWindow() {
    const bool spanish = shared().spanish();
    m_list = reports::outstandingAsOf(db(), shared().wrkBACNBR, m_asOf);
    lblASOF->setText((spanish ? QStringLiteral("Partidas pendientes al ")
                              : QStringLiteral("Items outstanding on ")) +
                     fncFORMAT_DATE(m_asOf) +
                     (m_list.staleChecks > 0
                          ? (spanish ? QStringLiteral("  (cheques vencidos en rojo: %1)")
                                     : QStringLiteral("  (stale checks in red: %1)"))
                                .arg(m_list.staleChecks)
                          : QString()));

    setHeadings(grdOUTSTANDING, {{"Date", "Fecha"},
                                 {"Check Nbr", "Cheque Nbr"},
                                 {"Description", "Descripción"},
                                 {"Amount", "Importe"},
                                 {"Days", "Días"},
                                 {"Age", "Antigüedad"},
                                 {"Status", "Estado"}});
    grdOUTSTANDING->setRedraw(false);
    grdOUTSTANDING->setRows(m_list.items.size() + 1);
    for (int i = 0; i < m_list.items.size(); ++i) {
        const reports::OutstandingItem& item = m_list.items.at(i);
        const int row = i + 1;
        writeLine(grdOUTSTANDING, row, item.line);
        grdOUTSTANDING->setText(row, 4, QString::number(item.days));
        grdOUTSTANDING->setText(row, 5, reports::bucketCaption(item.bucket, shared().spanish()));
        grdOUTSTANDING->setText(row, 6, reports::statusNote(item.line, shared().spanish()));
        grdOUTSTANDING->setRowData(row, i);
        if (item.stale)
            grdOUTSTANDING->setRowColour(row, kStaleColour);
    }
    grdOUTSTANDING->setColAlignment(4, Qt::AlignRight);
    lineColumns(grdOUTSTANDING,
                {{0, QStringLiteral("00/00/0000")},
                 {3, QStringLiteral("-000000.00")},
                 {4, QStringLiteral("00000")},
                 {5, reports::bucketCaption(reports::Bucket::Over180, shared().spanish())},
                 {6, QStringLiteral("Sin fondos")}});
    grdOUTSTANDING->setRedraw(true);

    for (int b = 0; b < reports::kBucketCount; ++b) {
        grdAGEING->setText(
            0, b, reports::bucketCaption(static_cast<reports::Bucket>(b), shared().spanish()));
        grdAGEING->setText(1, b, money(m_list.bucketTotals[b]));
        grdAGEING->setColAlignment(b, Qt::AlignRight);
    }
    grdAGEING->setText(0, 5, QStringLiteral("Total"));
    grdAGEING->setText(1, 5, money(m_list.total));
    grdAGEING->setColAlignment(5, Qt::AlignRight);
    grdAGEING->widenColumns({{0, QStringLiteral("-000000.00")},
                             {1, QStringLiteral("-000000.00")},
                             {2, QStringLiteral("-000000.00")},
                             {3, QStringLiteral("-000000.00")},
                             {4, QStringLiteral("-000000.00")},
                             {5, QStringLiteral("-000000.00")}});
    rowChanged(grdOUTSTANDING->row());
}

const reports::OutstandingItem* frmOUTSTANDING_ITEMS::itemAt(int row) const {
    if (row < 1 || row >= grdOUTSTANDING->rows())
        return nullptr;
    const int index = grdOUTSTANDING->rowData(row);
    return index >= 0 && index < m_list.items.size() ? &m_list.items.at(index) : nullptr;
}

void frmOUTSTANDING_ITEMS::rowChanged(int row) {
    const reports::OutstandingItem* item = itemAt(row);
    tbcVOID->setEnabled(item && item->stale);
}

frmCHANGES_SINCE_POSTING::frmCHANGES_SINCE_POSTING(const ledger::HistoryRow& month, QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent), m_month(month) {
    lblFIGURES = addControl<QLabel>(this, "lblFIGURES");
    grdCHANGES = makeGrid(this, "grdCHANGES", 7);
    auto* control = addControlFrame(
        {{tbcCANCEL, "tbcCANCEL", QStringLiteral("&Close"), QStringLiteral("Cierre")}});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFIGURES);
    layout->addWidget(grdCHANGES, 1);
    layout->addWidget(control);
    resize(980, 400);
    addCaption(this, QStringLiteral("Changed Since Posting"),
               QStringLiteral("Cambiado Desde el Anuncio"));
    connect(tbcCANCEL, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

void frmCHANGES_SINCE_POSTING::loadWindow() {
    const reports::ChangesSincePosting changes = reports::changesSincePosting(db(), m_month);
    const bool spanish = shared().spanish();
    lblFIGURES->setText(
        (spanish ? QStringLiteral("%1/%2 cerrado el %3.  Pendiente: guardado %4, ahora %5.  El "
                                  "saldo del libro cambió en %6.")
                 : QStringLiteral("%1/%2 posted on %3.  Outstanding: stored %4, now %5.  Ledger "
                                  "balance changed by %6."))
            .arg(m_month.month)
            .arg(m_month.year)
            .arg(fncFORMAT_DATE(m_month.postedOn), money(m_month.outstanding),
                 money(changes.outstandingNow), money(changes.ledgerChange)));
    setHeadings(grdCHANGES, {{"Date", "Fecha"},
                             {"Check Nbr", "Cheque Nbr"},
                             {"Description", "Descripción"},
                             {"Amount", "Importe"},
                             {"What Changed", "Qué Cambió"},
                             {"Out Trans", "Trans Pend"},
                             {"Book Bal", "Saldo Libro"}});
    grdCHANGES->setRows(changes.lines.size() + 1);
    for (int i = 0; i < changes.lines.size(); ++i) {
        const reports::ChangedLine& changed = changes.lines.at(i);
        writeLine(grdCHANGES, i + 1, changed.line);
        grdCHANGES->setText(i + 1, 4, reports::changeCaption(changed.change, spanish));
        grdCHANGES->setText(i + 1, 5, money(changed.outstandingEffect));
        grdCHANGES->setText(i + 1, 6, money(changed.ledgerEffect));
        grdCHANGES->setRowData(i + 1, changed.line.line);
    }
    for (int c : {5, 6})
        grdCHANGES->setColAlignment(c, Qt::AlignRight);
    lineColumns(grdCHANGES, {{0, QStringLiteral("00/00/0000")},
                             {3, QStringLiteral("-000000.00")},
                             {4, reports::changeCaption(reports::Change::PostedLater, spanish)},
                             {5, QStringLiteral("-000000.00")},
                             {6, QStringLiteral("-000000.00")}});
}
