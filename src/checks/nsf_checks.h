#pragma once

#include "check_search.h"

// Flags a deposited customer check that came back unpaid: its ledger lines, of any account,
// get status 'N' and its bank deposit line's amount becomes 0.
class frmFLAG_DEPOSITED_CHECKS_AS_NSF : public CheckSearchWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmFLAG_DEPOSITED_CHECKS_AS_NSF";
    explicit frmFLAG_DEPOSITED_CHECKS_AS_NSF(QWidget* parent = nullptr);

    // The deposited check number searched, in its plain number form; "0" when none.
    QString wrkCHKTXT = QStringLiteral("0");

protected:
    bool readNumber(const QString& typed) override;
    void forgetNumber() override { wrkCHKTXT = QStringLiteral("0"); }
    Recordset& searchChecks() override;
    void writeCorrection() override;

private:
    void prcGENERAL_LEDGER_TRANSACTION(const QString& action);

    Recordset m_generalLedger;
};
