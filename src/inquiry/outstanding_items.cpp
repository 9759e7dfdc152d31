#include "outstanding_items.h"

#include "common.h"
#include "context.h"
#include "flex_grid.h"
#include "list_view.h"

#include <QAbstractTableModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace {

const QColor kGridColour(192, 255, 192);
const QColor kStaleColour(255, 192, 192);

QString money(double value) {
    return formatNumber(value, QStringLiteral("###0.00"));
}

QString heading(const std::pair<const char*, const char*>& texts) {
    return QString::fromUtf8(shared().spanish() ? texts.second : texts.first);
}

// A list of lines the window keeps once: each cell's text is worked out when the view shows
// it. The first four columns are the line's date, check number, description and amount.
class LinesModel : public QAbstractTableModel {
public:
    LinesModel(QList<std::pair<const char*, const char*>> headings, QSet<int> right,
               QObject* parent)
        : QAbstractTableModel(parent), m_headings(std::move(headings)), m_right(std::move(right)) {}

    // The rows changed under the view.
    void reload() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : count();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_headings.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < m_headings.size())
            return heading(m_headings.at(section));
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                Qt::Alignment((m_right.contains(index.column()) ? Qt::AlignRight : Qt::AlignLeft) |
                              Qt::AlignVCenter));
        case Qt::BackgroundRole: {
            const QColor c = colour(index.row());
            return c.isValid() ? QVariant(c) : QVariant();
        }
        default:
            return {};
        }
    }

protected:
    virtual int count() const = 0;
    virtual QString text(int row, int col) const = 0;
    virtual QColor colour(int) const { return {}; }

    static QString lineText(const ledger::Line& line, int col) {
        switch (col) {
        case 0:
            return fncFORMAT_DATE(line.date);
        case 1:
            return line.check > 0 ? QString::number(line.check) : QString();
        case 2:
            return line.description;
        default:
            return money(line.amount);
        }
    }

private:
    QList<std::pair<const char*, const char*>> m_headings;
    QSet<int> m_right;
};

ListView* makeList(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* list = new ListView(parent);
    list->setObjectName(QLatin1String(name));
    list->setModel(model);
    list->setGridBackground(kGridColour);
    list->setRowHighlight(true);
    return list;
}

void lineColumns(ListView* list, std::initializer_list<std::pair<int, QString>> more) {
    list->setColWidthTwips(2, 3600);
    list->widenColumns(more);
}

} // namespace

class frmOUTSTANDING_ITEMS::ItemsModel : public LinesModel {
public:
    ItemsModel(const reports::OutstandingList& list, QObject* parent)
        : LinesModel({{"Date", "Fecha"},
                      {"Check Nbr", "Cheque Nbr"},
                      {"Description", "Descripción"},
                      {"Amount", "Importe"},
                      {"Days", "Días"},
                      {"Age", "Antigüedad"},
                      {"Status", "Estado"}},
                     {1, 3, 4}, parent),
          m_list(list) {}

protected:
    int count() const override { return int(m_list.items.size()); }
    QString text(int row, int col) const override {
        const reports::OutstandingItem& item = m_list.items.at(row);
        switch (col) {
        case 4:
            return QString::number(item.days);
        case 5:
            return reports::bucketCaption(item.bucket, shared().spanish());
        case 6:
            return reports::statusNote(item.line, shared().spanish());
        default:
            return lineText(item.line, col);
        }
    }
    QColor colour(int row) const override {
        return m_list.items.at(row).stale ? kStaleColour : QColor();
    }

private:
    const reports::OutstandingList& m_list;
};

class frmCHANGES_SINCE_POSTING::ChangesModel : public LinesModel {
public:
    ChangesModel(const reports::ChangesSincePosting& changes, QObject* parent)
        : LinesModel({{"Date", "Fecha"},
                      {"Check Nbr", "Cheque Nbr"},
                      {"Description", "Descripción"},
                      {"Amount", "Importe"},
                      {"What Changed", "Qué Cambió"},
                      {"Out Trans", "Trans Pend"},
                      {"Book Bal", "Saldo Libro"}},
                     {1, 3, 5, 6}, parent),
          m_changes(changes) {}

protected:
    int count() const override { return int(m_changes.lines.size()); }
    QString text(int row, int col) const override {
        const reports::ChangedLine& changed = m_changes.lines.at(row);
        switch (col) {
        case 4:
            return reports::changeCaption(changed.change, shared().spanish());
        case 5:
            return money(changed.outstandingEffect);
        case 6:
            return money(changed.ledgerEffect);
        default:
            return lineText(changed.line, col);
        }
    }

private:
    const reports::ChangesSincePosting& m_changes;
};

frmOUTSTANDING_ITEMS::frmOUTSTANDING_ITEMS(int asOf, QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent), m_asOf(asOf) {
    lblASOF = addControl<QLabel>(this, "lblASOF");
    m_model = new ItemsModel(m_list, this);
    grdOUTSTANDING = makeList(this, "grdOUTSTANDING", m_model);
    grdAGEING = new FlexGrid(this);
    grdAGEING->setObjectName(QStringLiteral("grdAGEING"));
    grdAGEING->setRows(2);
    grdAGEING->setCols(6);
    grdAGEING->setGridBackground(kGridColour);
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

    connect(grdOUTSTANDING->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now) { rowChanged(now.row()); });
    connect(tbcVOID, &QPushButton::clicked, this, [this] {
        const reports::OutstandingItem* item = itemAt(grdOUTSTANDING->currentIndex().row());
        if (!item || !item->stale)
            return;
        Q_EMIT voidRequested(item->line.check);
        closeWindow();
    });
    connect(tbcCANCEL, &QPushButton::clicked, this, &ChildWindow::closeWindow);
    followLedgerWrites();
}

// The views let go of their models before the lists they read go.
frmOUTSTANDING_ITEMS::~frmOUTSTANDING_ITEMS() {
    grdOUTSTANDING->setModel(nullptr);
}

void frmOUTSTANDING_ITEMS::loadWindow() {
    const bool spanish = shared().spanish();
    // The list is read anew when another window writes; the clerk's row stays picked.
    const int current = grdOUTSTANDING->currentIndex().row();
    m_list = reports::outstandingAsOf(db(), shared().wrkBACNBR, m_asOf);
    m_model->reload();
    if (current >= 0 && current < m_list.items.size())
        grdOUTSTANDING->setCurrentIndex(m_model->index(current, 0));
    lblASOF->setText((spanish ? QStringLiteral("Partidas pendientes al ")
                              : QStringLiteral("Items outstanding on ")) +
                     fncFORMAT_DATE(m_asOf) +
                     (m_list.staleChecks > 0
                          ? (spanish ? QStringLiteral("  (cheques vencidos en rojo: %1)")
                                     : QStringLiteral("  (stale checks in red: %1)"))
                                .arg(m_list.staleChecks)
                          : QString()));

    lineColumns(grdOUTSTANDING,
                {{0, QStringLiteral("00/00/0000")},
                 {3, QStringLiteral("-000000.00")},
                 {4, QStringLiteral("00000")},
                 {5, reports::bucketCaption(reports::Bucket::Over180, shared().spanish())},
                 {6, QStringLiteral("Sin fondos")}});

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
    rowChanged(grdOUTSTANDING->currentIndex().row());
}

const reports::OutstandingItem* frmOUTSTANDING_ITEMS::itemAt(int row) const {
    return row >= 0 && row < m_list.items.size() ? &m_list.items.at(row) : nullptr;
}

void frmOUTSTANDING_ITEMS::rowChanged(int row) {
    const reports::OutstandingItem* item = itemAt(row);
    tbcVOID->setEnabled(item && item->stale);
}

frmCHANGES_SINCE_POSTING::frmCHANGES_SINCE_POSTING(const ledger::HistoryRow& month, QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent), m_month(month) {
    lblFIGURES = addControl<QLabel>(this, "lblFIGURES");
    m_model = new ChangesModel(m_changes, this);
    grdCHANGES = makeList(this, "grdCHANGES", m_model);
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

frmCHANGES_SINCE_POSTING::~frmCHANGES_SINCE_POSTING() {
    grdCHANGES->setModel(nullptr);
}

void frmCHANGES_SINCE_POSTING::loadWindow() {
    m_changes = reports::changesSincePosting(db(), m_month);
    m_model->reload();
    const bool spanish = shared().spanish();
    lblFIGURES->setText(
        (spanish ? QStringLiteral("%1/%2 cerrado el %3.  Pendiente: guardado %4, ahora %5.  El "
                                  "saldo del libro cambió en %6.")
                 : QStringLiteral("%1/%2 posted on %3.  Outstanding: stored %4, now %5.  Ledger "
                                  "balance changed by %6."))
            .arg(m_month.month)
            .arg(m_month.year)
            .arg(fncFORMAT_DATE(m_month.postedOn), money(m_month.outstanding),
                 money(m_changes.outstandingNow), money(m_changes.ledgerChange)));
    lineColumns(grdCHANGES, {{0, QStringLiteral("00/00/0000")},
                             {3, QStringLiteral("-000000.00")},
                             {4, reports::changeCaption(reports::Change::PostedLater, spanish)},
                             {5, QStringLiteral("-000000.00")},
                             {6, QStringLiteral("-000000.00")}});
}
