// Entry point of the window tests: one QApplication for every test of the program.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    // Window tests never need a display, not even when ctest only lists them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window tests never reach the desktop's session bus: a notification area there would
    // change what the icon does. Tests that need a bus start their own.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vq-window-tests-have-no-session-bus");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
