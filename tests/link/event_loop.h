#pragma once

#include <QCoreApplication>
#include <QTest>
#include <functional>

namespace trelvo::testing {

// Runs the event loop until `condition` holds; the bound only ends a wait
// that would never end.
inline bool WaitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 10000);
}

// Runs the event loop without waiting: whatever is ready or already posted is
// handled, and a notifier that keeps firing runs its handler on every round.
inline void RunIdleRounds() {
    for (int round = 0; round < 50; ++round) {
        QCoreApplication::processEvents();
    }
}

}  // namespace trelvo::testing
