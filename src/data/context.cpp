#include "context.h"

#include <QSqlDatabase>

namespace {
std::unique_ptr<SharedValues>& instance() {
    // Qt's list of connections must outlive the shared connections, which remove themselves
    // from it at exit: touching it first makes it be destroyed after them.
    static std::unique_ptr<SharedValues> values = [] {
        QSqlDatabase::contains(QString());
        return std::make_unique<SharedValues>();
    }();
    return values;
}
} // namespace

SharedValues& shared() {
    return *instance();
}

void resetShared() {
    instance() = std::make_unique<SharedValues>();
}
