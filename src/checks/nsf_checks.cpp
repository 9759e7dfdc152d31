#include "nsf_checks.h"

#include "common.h"
#include "context.h"
#include "ledger.h"

#include <cmath>

frmFLAG_DEPOSITED_CHECKS_AS_NSF::frmFLAG_DEPOSITED_CHECKS_AS_NSF(QWidget* parent)
    : CheckSearchWindow(QLatin1String(kName),
                        Look{QStringLiteral("tbxCHKTXT"),
                             QStringLiteral("Flag Deposited Checks as NSF"),
                             QStringLiteral("Señale Cheques Depositados como NSF"),
                             QStringLiteral("Deposited Check Number:"),
                             QStringLiteral("Número de Depositado Cheque:"), QColor(192, 255, 192),
                             QColor(0, 192, 0), QColor(0, 255, 0)},
                        parent) {}

bool frmFLAG_DEPOSITED_CHECKS_AS_NSF::readNumber(const QString& typed) {
    // The stored check text is compared with the number's plain form: 00123 looks for 123.
    const double number = leadingNumber(typed);
    if (!std::isfinite(number))
        return false;
    wrkCHKTXT = plainNumber(number);
    return true;
}

Recordset& frmFLAG_DEPOSITED_CHECKS_AS_NSF::searchChecks() {
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("CHECKS"));
    return m_generalLedger;
}

void frmFLAG_DEPOSITED_CHECKS_AS_NSF::writeCorrection() {
    ledger::flagNsfCheck(db(), shared().wrkBACNBR, wrkCHKTXT, wrkTRNDTE);
}

void frmFLAG_DEPOSITED_CHECKS_AS_NSF::prcGENERAL_LEDGER_TRANSACTION(const QString& action) {
    QString sql;
    if (action == QLatin1String("CHECKS"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION%1 where "
                             "gltCHKTXT='%2' and gltRCNDTE=0 and gltSTATUS<>'N'")
                  .arg(shared().wrkNOLOCK, wrkCHKTXT);
    else
        return;
    m_generalLedger = db().execute(sql);
}
