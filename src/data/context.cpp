#include "context.h"

namespace {
std::unique_ptr<SharedValues>& instance() {
    static std::unique_ptr<SharedValues> values = std::make_unique<SharedValues>();
    return values;
}
} // namespace

SharedValues& shared() { return *instance(); }

void resetShared() { instance() = std::make_unique<SharedValues>(); }
