// The program's entry: decides the data folder, builds the adapters and the logic, creates the
// windows and runs the start-up. Nothing else in the program creates adapters or logic objects.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "core/clock.h"
#include "engine/connection_source_dbus.h"
#include "engine/engine.h"
#include "engine/main_state.h"
#include "plans/main_window.h"
#include "plans/plan_actions.h"
#include "plans/qt/message_box_dialogs.h"
#include "plans/report_printer.h"
#include "records/record_editor.h"
#include "records/record_store.h"
#include "records/records_window.h"
#include "shell/exits.h"
#include "skins/qt/skin_setup.h"

namespace {

// True when a file can be created in `folder`.
bool folderWritable(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("probe-XXXXXX")));
    return probe.open();
}

// The program folder when it can be written; else the user's application-data folder (an
// installed copy under /usr), created when missing.
QString chooseDataFolder(const QString& programFolder) {
    if (folderWritable(programFolder))
        return programFolder;
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(appData);
    return appData;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varlotte"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(vq::kAppTitle));

    // ---- Folders ----------------------------------------------------------------------------
    const QString programFolder = QCoreApplication::applicationDirPath();
    const std::string dataFolder = chooseDataFolder(programFolder).toStdString();
    const std::string optionPath = dataFolder + "/option.ini";

    // ---- Adapters -----------------------------------------------------------------------------
    vq::SystemClock clock;
    vq::MessageBoxDialogs dialogs;
    vq::NetworkManagerSource connectionSource;
    vq::QtReportPrinter printer(dataFolder);

    // ---- Logic --------------------------------------------------------------------------------
    vq::MainState state;
    vq::RecordStore records(optionPath);
    vq::Engine engine(state, vq::Engine::Deps{clock, connectionSource, dialogs, records}, dataFolder);
    vq::PlanActions plans(state, records, dialogs, clock);
    vq::RecordEditor recordEditor(records, engine, dialogs, optionPath);
    engine.hooks().repsup = [&plans] { plans.repsup(); };

    // ---- Windows ------------------------------------------------------------------------------
    vq::MainWindow mainWindow(engine, plans, records, dialogs, printer);
    dialogs.setParent(&mainWindow);
    // The records window is created hidden with its list loaded, before the start-up may add a
    // connection a crash interrupted.
    records.load();
    vq::RecordsWindow recordsWindow(records, recordEditor, clock, [&mainWindow] { mainWindow.show(); });

    QObject::connect(&mainWindow, &vq::MainWindow::recordsRequested, &mainWindow, [&] {
        mainWindow.hide();
        recordsWindow.show();
        recordsWindow.raise();
        recordsWindow.activateWindow();
    });
    // TODO(shell): the notification icon takes "Réduire" over (hide to the tray); until then the
    // window is minimised.
    QObject::connect(&mainWindow, &vq::MainWindow::reduceRequested, &mainWindow,
                     [&mainWindow] { mainWindow.showMinimized(); });
    // TODO(shell): the quit buttons also remove the notification icon.
    QObject::connect(&mainWindow, &vq::MainWindow::quitRequested, &app, [&state] {
        vq::writeExitState(state);
        QApplication::quit();
    });
    // Skins: lireskin runs inside the start-up; "Changer de skin" opens the skin chooser.
    vq::installSkins(engine, mainWindow, recordsWindow, dialogs,
                     vq::SkinPlaces{optionPath, dataFolder, programFolder.toStdString()});
    // TODO(shell): "A propos..." opens the about box.

    // ---- Start-up -----------------------------------------------------------------------------
    mainWindow.formLoad();
    mainWindow.show();
    return app.exec();
}
