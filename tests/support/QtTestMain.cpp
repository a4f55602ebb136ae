// Entry point for test programs that need widgets: one QApplication for the whole run (tests
// run on the offscreen platform) with the event pump installed, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/EventPump.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // ctest lists the tests without the test environment; widgets tests never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
