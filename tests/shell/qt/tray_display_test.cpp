// The notification icon on a real X display (Xvfb), with and without a notification area (trayer).
// The parent test starts the display and reruns this program on it, limited to the child test.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QThread>
#include <QWidget>

#include "shell/notification_tray.h"
#include "support/fakes.h"

namespace vq {
namespace {

bool waitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

QString windowType(WId id) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(id), "_NET_WM_WINDOW_TYPE"});
    xprop.waitForFinished(5000);
    return QString::fromUtf8(xprop.readAllStandardOutput());
}

// Runs on the display the parent prepared; VQ_EXPECT_TRAY says whether trayer runs there.
TEST(TrayOnDisplay, DISABLED_Child) {
    const bool expectTray = qgetenv("VQ_EXPECT_TRAY") == "1";
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    test::TempDir dir;
    MainState state;
    QWidget mainWindow(nullptr, Qt::FramelessWindowHint);
    mainWindow.resize(200, 100);
    int shown = 0;
    TrayMenu tray(state, {[&] {
                              ++shown;
                              mainWindow.showNormal();
                          },
                          [] {},
                          {}});
    if (expectTray) {
        ASSERT_TRUE(waitFor([&] { return tray.notificationAreaAvailable(); }, 10000));
    } else {
        ASSERT_FALSE(tray.notificationAreaAvailable());
    }
    tray.applyTaskListPolicy(&mainWindow);
    mainWindow.show();
    ASSERT_TRUE(waitFor([&] { return mainWindow.isVisible(); }, 5000));
    EXPECT_EQ(mainWindow.windowFlags().testFlag(Qt::Tool), expectTray);
    EXPECT_EQ(windowType(mainWindow.winId()).contains("UTILITY"), expectTray)
        << windowType(mainWindow.winId()).toStdString();

    tray.reduce(&mainWindow);
    if (expectTray) {
        EXPECT_FALSE(mainWindow.isVisible());
        tray.showIcon();
        QRect where;
        ASSERT_TRUE(waitFor(
            [&] {
                where = tray.icon()->geometry();
                // trayer sits at the top right: until it has embedded the icon, the geometry is local.
                return where.isValid() && where.left() > 400;
            },
            10000));
        // A single click on an embedded icon does nothing; a double-click brings the hidden window back.
        const QStringList pointAtIcon{"mousemove", QString::number(where.center().x()),
                                      QString::number(where.center().y())};
        QProcess::execute("xdotool", pointAtIcon + QStringList{"click", "1"});
        EXPECT_FALSE(waitFor([&] { return mainWindow.isVisible(); }, 1500));  // past the double-click time
        QProcess::execute("xdotool",
                          pointAtIcon + QStringList{"click", "--repeat", "2", "--delay", "80", "1"});
        EXPECT_TRUE(waitFor([&] { return mainWindow.isVisible(); }, 5000));
        EXPECT_EQ(shown, 1);
    } else {
        EXPECT_TRUE(mainWindow.isVisible());
        EXPECT_TRUE(mainWindow.windowState().testFlag(Qt::WindowMinimized));
    }
}

class Display {
public:
    QProcess xvfb, trayer;
    QString display;
    bool start(bool withTray) {
        xvfb.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "800x600x24"});
        if (!xvfb.waitForStarted(5000) || !xvfb.waitForReadyRead(10000)) {
            return false;
        }
        display = ":" + QString::fromUtf8(xvfb.readLine()).trimmed();
        if (withTray) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("DISPLAY", display);
            trayer.setProcessEnvironment(env);
            trayer.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "request"});
            if (!trayer.waitForStarted(5000)) {
                return false;
            }
        }
        return true;
    }
    ~Display() {
        for (QProcess* p : {&trayer, &xvfb}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000)) {
                    p->kill();
                    p->waitForFinished(3000);
                }
            }
        }
    }
};

void runChildOnDisplay(bool withTray) {
    Display display;
    ASSERT_TRUE(display.start(withTray)) << "Xvfb" << (withTray ? " or trayer" : "") << " could not start";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display.display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("VQ_EXPECT_TRAY", withTray ? "1" : "0");
    env.remove("DBUS_SESSION_BUS_ADDRESS");  // no desktop bus: the X notification area is used
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=TrayOnDisplay.DISABLED_Child"});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

TEST(TrayOnDisplay, WithNotificationAreaTheWindowLeavesTheTaskListAndTheIconBringsItBack) {
    runChildOnDisplay(true);
}

TEST(TrayOnDisplay, WithoutNotificationAreaTheWindowStaysListedAndMinimises) {
    runChildOnDisplay(false);
}

}  // namespace
}  // namespace vq
