#include "ledger_notifier.h"

LedgerNotifier& LedgerNotifier::instance() {
    static LedgerNotifier notifier;
    return notifier;
}
