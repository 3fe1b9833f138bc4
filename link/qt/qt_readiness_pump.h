#pragma once

#include <memory>

class QSocketNotifier;

namespace trelvo {

// Lets the Qt event loop of this thread deliver the links' readiness and the
// tasks posted to them: one notifier on the readiness hub's descriptor,
// shared by every pump alive, so a window and its tests may each hold one.
class QtReadinessPump {
public:
    QtReadinessPump();
    ~QtReadinessPump();
    QtReadinessPump(const QtReadinessPump&) = delete;
    QtReadinessPump& operator=(const QtReadinessPump&) = delete;

private:
    std::shared_ptr<QSocketNotifier> notifier_;
};

}  // namespace trelvo
