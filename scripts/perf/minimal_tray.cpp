// The yardstick for the performance page: the smallest Qt program of the same kind, a window with a
// notification icon and a 900 ms timer that does nothing.
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("00:00:00"));
    window.setWindowTitle(QStringLiteral("minimal"));
    window.resize(300, 120);
    QSystemTrayIcon tray(app.style()->standardIcon(QStyle::SP_ComputerIcon));
    tray.show();
    QTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] { window.setText(QString::number(++ticks)); });
    timer.start(900);
    window.show();
    return app.exec();
}
