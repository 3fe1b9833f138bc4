// The end-to-end tests run the real Qt event loop, so the application object
// must exist before the first test.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "link/qt/qt_readiness_pump.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const trelvo::QtReadinessPump readiness;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
