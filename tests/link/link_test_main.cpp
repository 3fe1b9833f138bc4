#include <gtest/gtest.h>

#include <QCoreApplication>

// The link's notifiers need an event dispatcher on the test thread.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
