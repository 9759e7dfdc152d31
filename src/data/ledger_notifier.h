#pragma once

#include <QObject>

// Announces each committed write to the ledger or the reconciliation history by the bank
// account it touched: the cleared dates, an adjustment, a voided or NSF check, a saved month
// and posting. Windows that show an account's figures follow it and work them out again, so
// that no window shows figures that another window's write has changed.
class LedgerNotifier : public QObject {
    Q_OBJECT
public:
    static LedgerNotifier& instance();
    static void announce(int account) { Q_EMIT instance().written(account); }

Q_SIGNALS:
    void written(int account);
};
