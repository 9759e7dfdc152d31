// The Account Activity listing: the bank account's checks and payments, then its deposits,
// the searches that append below it, and the detail a row opens.

#include "bank_activity.h"

#include "common.h"
#include "context.h"
#include "flex_grid.h"
#include "messages.h"
#include "transaction_detail.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <cmath>

namespace {

const QString kCurrency = QStringLiteral("currency");

// What the drill-down needs goes with each row as numbers, never read back from the cells.
struct ActivityRow {
    int date = 0; // as listed
    int time = 0; // the deposit batch's
    int line = 0;
    bool deposit = false; // a deposit amount to the cent, as the clerk sees it
};

} // namespace

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
    const std::vector<int> f = fieldIndexes(
        rs, {"betCHKDTE", "betTRNTYP", "betCHKNBR", "betPAYNME", "betTRNAMT", "betLNENBR"});
    for (; !rs.eof(); rs.moveNext()) {
        const int row = takeRow();
        const int date = int(fncFIELD_NUMBER(rs.field(f[0])));
        grdACTIVITY->setText(row, 0, dateText(date));
        grdACTIVITY->setText(row, 1, rs.field(f[1]).toString());
        grdACTIVITY->setText(row, 2, numberText(rs.field(f[2])));
        const QString payee = rs.field(f[3]).toString();
        if (!payee.isEmpty())
            grdACTIVITY->setText(row, 3, payee);
        grdACTIVITY->setText(row, 4, formatNumber(fncFIELD_NUMBER(rs.field(f[4])), kCurrency));
        grdACTIVITY->setText(row, 5, QString());
        grdACTIVITY->setRowItem(row,
                                ActivityRow{date, 0, int(fncFIELD_NUMBER(rs.field(f[5]))), false});
    }
}

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::writeDeposits() {
    Recordset& rs = rsBANK_DEPOSIT_TRANSACTION;
    const std::vector<int> f = fieldIndexes(
        rs, {"bdtDEPDTE", "bdtCHKTXT", "bdtDESCPT", "bdtTRNAMT", "bdtDEPTME", "bdtLNENBR"});
    const QString deposit = QStringLiteral("Deposit");
    for (; !rs.eof(); rs.moveNext()) {
        const int row = takeRow();
        const int date = int(fncFIELD_NUMBER(rs.field(f[0])));
        const double amount = fncFIELD_NUMBER(rs.field(f[3]));
        grdACTIVITY->setText(row, 0, dateText(date));
        grdACTIVITY->setText(row, 1, deposit);
        grdACTIVITY->setCellAlignment(row, 1, Qt::AlignLeft);
        grdACTIVITY->setText(row, 2, rs.field(f[1]).toString());
        const QVariant description = rs.field(f[2]);
        if (!description.isNull())
            grdACTIVITY->setText(row, 3, description.toString());
        grdACTIVITY->setText(row, 5, formatNumber(amount, kCurrency));
        // The time's column is the reconciliations' change since posting.
        if (activityMode())
            grdACTIVITY->setText(row, kTimeCol, numberText(rs.field(f[4])));
        grdACTIVITY->setRowItem(row, ActivityRow{date, int(fncFIELD_NUMBER(rs.field(f[4]))),
                                                 int(fncFIELD_NUMBER(rs.field(f[5]))),
                                                 std::lround(amount * 100) != 0});
    }
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

void frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS::activityDrillDown(int row) {
    const ActivityRow* listed = grdACTIVITY->rowItem<ActivityRow>(row);
    if (!listed || listed->date <= 0)
        return;
    auto* detail = new frmANALYZE_BANK_TRANSACTION(
        PickedTransaction{listed->deposit, listed->date, listed->time, listed->line});
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
