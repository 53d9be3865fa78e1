// Entry point of the window tests: one QApplication for every test of the program.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    // Window tests never need a display, not even when ctest only lists them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
