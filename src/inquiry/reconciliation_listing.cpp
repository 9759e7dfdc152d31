// The Reconciliations listing: the bank account's months from the start date on, newest
// first, each posted month with what changed in it since it was posted, and what a listed
// month's row opens.

#include "bank_activity.h"

#include "after_month.h"
#include "common.h"
#include "context.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "outstanding_items.h"

#include <QPointer>
#include <QScopeGuard>
#include <algorithm>

namespace {

const QString kCurrency = QStringLiteral("currency");

} // namespace

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::prcLOAD_RECONCILIATIONS() {
    m_nextRow = 1;
    // What was read so far stays on view, whatever way the listing ends; the dates are
    // formatted anew next time (the date format may change).
    const FlexGrid::RedrawBlocker quiet(grdACTIVITY);
    const auto forget = qScopeGuard([this] { m_dates.clear(); });
    prcBANK_RECONCILIATION_HISTORY(QStringLiteral("TRANSACTIONS"));
    Recordset& rs = rsBANK_RECONCILIATION_HISTORY;
    const std::vector<int> f =
        fieldIndexes(rs, {"brhMONTH", "brhFSYEAR", "brhSTMDTE", "brhBNKBAL", "brhOUTSTD",
                          "brhADJBAL", "brhBNKADJ", "brhEOMBAL", "brhOVRSHT"});
    for (; !rs.eof(); rs.moveNext()) {
        const int row = takeRow();
        const int statement = int(fncFIELD_NUMBER(rs.field(f[2])));
        grdACTIVITY->setText(
            row, 0, numberText(rs.field(f[0])) + QLatin1Char('/') + numberText(rs.field(f[1])));
        grdACTIVITY->setText(row, 1, dateText(statement));
        for (int c = 2; c <= 7; ++c)
            grdACTIVITY->setText(
                row, c, formatNumber(fncFIELD_NUMBER(rs.field(f[std::size_t(c) + 1])), kCurrency));
        grdACTIVITY->setRowItem(row, statement);
    }
    writeChangesSincePosting();
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

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::writeChangesSincePosting() {
    // Each listed row is matched to its history row by the statement date it carries, and
    // then carries that; a history row once matched is not matched again.
    if (m_nextRow <= 1)
        return;
    QList<ledger::HistoryRow> history = ledger::history(db(), shared().wrkBACNBR);
    QList<ledger::HistoryRow> posted;
    QList<int> postedRows;
    for (int row = 1; row < m_nextRow; ++row) {
        const int* statement = grdACTIVITY->rowItem<int>(row);
        const auto month = std::find_if(history.begin(), history.end(), [statement](const auto& m) {
            return statement && m.statementDate == *statement;
        });
        if (month == history.end())
            continue;
        grdACTIVITY->setRowItem(row, *month);
        if (month->postedOn > 0) {
            posted << *month;
            postedRows << row;
        }
        history.erase(month);
    }
    // The lines of every posted month listed are read once.
    const QList<reports::ChangesSincePosting> changes = reports::changesSincePosting(db(), posted);
    for (int i = 0; i < changes.size(); ++i)
        grdACTIVITY->setText(postedRows.at(i), kChangedCol, changes.at(i).text(shared().spanish()));
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::reconciliationDrillDown(int row, int col) {
    const auto* month = grdACTIVITY->rowItem<ledger::HistoryRow>(row);
    if (balancesMode() || !month)
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
