#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <functional>

// The time of the fastest of five runs, in milliseconds: the one least disturbed by the rest
// of the machine.
inline double bestOfFive(const std::function<void()>& run) {
    double best = 1e12;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        best = std::min(best, double(clock.nsecsElapsed()) / 1e6);
    }
    return best;
}
