#pragma once

#include <QApplication>

// The hourglass for as long as a command works, back to the arrow however it ends. With on
// false it does nothing, for callers that show it only sometimes.
class Hourglass {
public:
    explicit Hourglass(bool on = true) : m_on(on) {
        if (m_on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~Hourglass() {
        if (m_on)
            QApplication::restoreOverrideCursor();
    }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    bool m_on;
};
