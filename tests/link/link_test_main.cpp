#include <gtest/gtest.h>

#include <QCoreApplication>

#include "link/posix/readiness_hub.h"
#include "link/qt/qt_readiness_pump.h"

namespace {

// Qt warns, for instance, about a notifier left on a closed socket: in these
// tests every warning is a fault of the link.
void FailOnWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        ADD_FAILURE() << "Qt: " << message.toStdString();
    }
}

}  // namespace

// The link's notifiers need an event dispatcher on the test thread.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(FailOnWarnings);
    // The links' epoll set is made on first use and kept for the process's
    // life: made here, it leaves the tests that count descriptors a steady count.
    trelvo::ReadinessHub::ForEventLoop();
    const trelvo::QtReadinessPump readiness;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
