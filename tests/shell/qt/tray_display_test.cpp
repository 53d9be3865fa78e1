// The notification icon on a real X display (Xvfb), with and without a notification area (trayer).
// The parent test starts the display and reruns this program on it, limited to the child test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QTest>
#include <QThread>
#include <QWidget>

#include "shell/qt/notification_tray.h"
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

// The icon's window as the X server places it: "Absolute upper-left X/Y", "Width", "Height" and
// "Map State" of xwininfo. An icon is shown once the notification area has embedded and mapped it.
struct XWindow {
    QRect rect;
    bool viewable = false;
};
XWindow xWindow(WId id) {
    QProcess xwininfo;
    xwininfo.start("xwininfo", {"-id", QString::number(id)});
    xwininfo.waitForFinished(5000);
    XWindow w;
    int x = 0, y = 0, width = 0, height = 0;
    for (const QString& line : QString::fromUtf8(xwininfo.readAllStandardOutput()).split('\n')) {
        const QString value = line.section(':', 1).trimmed();
        if (line.contains("Absolute upper-left X"))
            x = value.toInt();
        else if (line.contains("Absolute upper-left Y"))
            y = value.toInt();
        else if (line.trimmed().startsWith("Width"))
            width = value.toInt();
        else if (line.trimmed().startsWith("Height"))
            height = value.toInt();
        else if (line.contains("Map State"))
            w.viewable = value == "IsViewable";
    }
    w.rect = QRect(x, y, width, height);
    return w;
}

// The notification icon's own window, a top-level widget of Qt's.
QWidget* iconWindow(const QWidget* besides) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != besides && qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return w;
    }
    return nullptr;
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
                          {},
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
        QWidget* icon = nullptr;
        XWindow where;
        ASSERT_TRUE(waitFor(
            [&] {
                icon = iconWindow(&mainWindow);
                if (icon)
                    where = xWindow(icon->winId());
                return icon && where.viewable && !where.rect.isEmpty();
            },
            10000));
        // Qt places the icon where the X server has it.
        EXPECT_TRUE(waitFor([&] { return tray.icon()->geometry() == where.rect; }, 5000))
            << "icon at " << where.rect.x() << "," << where.rect.y();

        // A single click on the icon is a Trigger and does nothing; two clicks within the display's
        // double-click time bring the hidden window back.
        const int doubleClickMs = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        ASSERT_GT(doubleClickMs, 40);
        QSignalSpy activated(tray.icon(), &QSystemTrayIcon::activated);
        const QStringList pointAtIcon{"mousemove", QString::number(where.rect.center().x()),
                                      QString::number(where.rect.center().y())};
        QProcess::execute("xdotool", pointAtIcon + QStringList{"click", "1"});
        ASSERT_TRUE(activated.wait(5000));
        EXPECT_EQ(activated.takeFirst().first().value<QSystemTrayIcon::ActivationReason>(),
                  QSystemTrayIcon::Trigger);
        EXPECT_FALSE(mainWindow.isVisible());
        // The next clicks come after the double-click time, so they pair with each other only.
        QTest::qWait(2 * doubleClickMs);
        EXPECT_TRUE(activated.isEmpty());
        QProcess::execute("xdotool", pointAtIcon + QStringList{"click", "--repeat", "2", "--delay",
                                                               QString::number(doubleClickMs / 8), "1"});
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
