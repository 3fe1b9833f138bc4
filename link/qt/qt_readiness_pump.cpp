#include "link/qt/qt_readiness_pump.h"

#include <QSocketNotifier>

#include "link/posix/readiness_hub.h"

namespace trelvo {

namespace {

std::shared_ptr<QSocketNotifier> SharedNotifier() {
    static std::weak_ptr<QSocketNotifier> shared;
    if (std::shared_ptr<QSocketNotifier> notifier = shared.lock()) {
        return notifier;
    }
    ReadinessHub& hub = ReadinessHub::ForEventLoop();
    auto notifier = std::make_shared<QSocketNotifier>(hub.fd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [&hub] { hub.Dispatch(); });
    shared = notifier;
    return notifier;
}

}  // namespace

QtReadinessPump::QtReadinessPump() : notifier_(SharedNotifier()) {}

QtReadinessPump::~QtReadinessPump() = default;

}  // namespace trelvo
