#pragma once

#include "check_search.h"

#include <QHash>
#include <optional>

// Voids an issued check of the selected bank account that has not cleared: its ledger lines
// on the account get status 'V', its bank expenditure and payroll rows are deleted.
class frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS : public CheckSearchWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS";
    explicit frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS(QWidget* parent = nullptr);

    int wrkCHKNBR = 0; // check number last searched

protected:
    bool readNumber(const QString& typed) override;
    void forgetNumber() override { wrkCHKNBR = 0; }
    Recordset& searchChecks() override;
    QString payee(const Recordset& rs) override;
    QString extraColumn(const Recordset& rs) override;
    void writeCorrection() override;
    void searchStarting() override { m_employees.clear(); }

private:
    void prcGENERAL_LEDGER_TRANSACTION(const QString& action);
    void prcPAYROLL_MASTER(const QString& action);

    Recordset m_generalLedger;
    Recordset m_payrollMaster;
    // Employee names found during one search (none when the employee is missing), so a
    // payroll run of many checks costs one lookup per employee.
    QHash<int, std::optional<QString>> m_employees;
};
