#include "void_checks.h"

#include "common.h"
#include "context.h"
#include "ledger.h"

#include <climits>
#include <cmath>

frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS(QWidget* parent)
    : CheckSearchWindow(
          QLatin1String(kName),
          Look{QStringLiteral("tbxCHKNBR"), QStringLiteral("Void Issued But Not Cleared Checks"),
               QStringLiteral("Vacío Publicó pero Cheques no Vaciados"),
               QStringLiteral("Voided Check Number:"), QStringLiteral("Vaciado Cheque Número:"),
               QColor(255, 192, 192), QColor(192, 0, 0), QColor(255, 192, 192)},
          parent) {}

bool frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::readNumber(const QString& typed) {
    // Whole check numbers: halves go to the even neighbour (the default rounding mode).
    const double number = std::nearbyint(leadingNumber(typed));
    if (!std::isfinite(number) || number < double(INT_MIN) || number > double(INT_MAX))
        return false;
    wrkCHKNBR = int(number);
    return true;
}

Recordset& frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::searchChecks() {
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("CHECKS"));
    return m_generalLedger;
}

QString frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::payee(const Recordset& rs) {
    QString text = CheckSearchWindow::payee(rs);
    if (rs.field(QStringLiteral("gltJRNCDE")).toString() != QLatin1String("PR"))
        return text;
    const int employee = int(fncFIELD_NUMBER(rs, QStringLiteral("gltEMPNBR")));
    auto found = m_employees.constFind(employee);
    if (found == m_employees.constEnd()) {
        prcPAYROLL_MASTER(QStringLiteral("EMPLOYEE"));
        std::optional<QString> name;
        if (!m_payrollMaster.eof())
            name = m_payrollMaster.field(QStringLiteral("prmEMPNME")).toString();
        found = m_employees.insert(employee, name);
    }
    if (found->has_value())
        text += QStringLiteral(" (") + **found + QLatin1Char(')');
    return text;
}

QString frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::extraColumn(const Recordset& rs) {
    return plainNumber(fncFIELD_NUMBER(rs, QStringLiteral("gltFNDNBR")));
}

void frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::writeCorrection() {
    ledger::voidCheck(db(), shared().wrkBACNBR, wrkCHKNBR, wrkTRNDTE);
}

void frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::prcGENERAL_LEDGER_TRANSACTION(const QString& action) {
    QString sql;
    if (action == QLatin1String("CHECKS"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION%1 where gltGLANBR=%2 "
                             "and gltCHKNBR=%3 and gltTRNTYP='CK' and gltRCNDTE=0 and "
                             "gltSTATUS<>'V'")
                  .arg(shared().wrkNOLOCK)
                  .arg(shared().wrkBACNBR)
                  .arg(wrkCHKNBR);
    else
        return;
    m_generalLedger = db().execute(sql);
}

void frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS::prcPAYROLL_MASTER(const QString& action) {
    if (action != QLatin1String("EMPLOYEE"))
        return;
    // The employee of the search row being listed.
    const int employee = int(fncFIELD_NUMBER(m_generalLedger, QStringLiteral("gltEMPNBR")));
    m_payrollMaster =
        db().execute(QStringLiteral("Select * from LDG_PAYROLL_MASTER%1 where prmEMPNBR=%2")
                         .arg(shared().wrkNOLOCK)
                         .arg(employee));
}
