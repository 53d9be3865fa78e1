// The program's entry: decides the data folder, builds the adapters and the logic, creates the
// windows and runs the start-up, or runs the command line without a display. Nothing else in the
// program creates adapters or logic objects.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/qt/message_box_dialogs.h"
#include "core/qt/qt_log.h"
#include "engine/allowance_alerts.h"
#include "engine/engine.h"
#include "engine/qt/connection_source_dbus.h"
#include "plans/main_state.h"
#include "plans/plan_actions.h"
#include "plans/qt/main_window.h"
#include "plans/qt/on_demand_printer.h"
#include "plans/qt/statistics_window.h"
#include "records/qt/records_window.h"
#include "records/record_editor.h"
#include "records/record_store.h"
#include "shell/autostart.h"
#include "shell/command_line.h"
#include "shell/exits.h"
#include "shell/qt/desktop_notifications_dbus.h"
#include "shell/qt/notification_tray.h"
#include "shell/qt/process_launcher_qt.h"
#include "shell/qt/single_instance.h"
#include "shell/qt/update_check_qt.h"
#include "shell/tray_logic.h"
#include "shell/update_addresses.h"
#include "shell/updater.h"
#include "skins/qt/face.h"
#include "skins/qt/skin_chooser.h"
#include "skins/qt/skin_loader.h"
#include "skins/skin_folder.h"

namespace {

constexpr const char* kAppName = "Varlotte";

// The program folder when it can be written; else the user's application-data folder (an
// installed copy under /usr). The counting copy tries a write and creates the folder when missing;
// the command line, which writes nothing, asks the system for the permission and creates nothing.
QString chooseDataFolder(const QString& programFolder, bool forCounting) {
    const bool writable =
        forCounting ? vq::folderWritable(programFolder.toStdString()) : QFileInfo(programFolder).isWritable();
    if (writable)
        return programFolder;
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (forCounting)
        QDir().mkpath(appData);
    return appData;
}

// The command line: parsed before any window system is touched, run with a core application only
// (no display, no single-copy socket, no lock).
int runCommandLine(int argc, char** argv, const std::vector<std::string>& args) {
    const vq::CommandLine command = vq::parseCommandLine(args);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppName));
    const std::string dataFolder =
        chooseDataFolder(QCoreApplication::applicationDirPath(), false).toStdString();
    vq::SystemClock clock;
    return vq::runCommandLine(command, dataFolder, clock, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (vq::wantsCommandLine(args))
        return runCommandLine(argc, argv, args);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppName));
    QApplication::setApplicationDisplayName(QString::fromUtf8(vq::kAppTitle));

    // ---- Folders ----------------------------------------------------------------------------
    const QString programFolder = QCoreApplication::applicationDirPath();
    const std::string dataFolder = chooseDataFolder(programFolder, true).toStdString();
    const std::string optionPath = dataFolder + "/option.ini";
    // One running copy per data folder, or a connection would be counted twice: a second start shows
    // the running copy's main window and ends. A copy that is just ending (a restart) is waited for.
    vq::SingleInstance single(QString::fromStdString(dataFolder));
    if (!single.acquire(5000))
        return 0;

    // ---- Adapters -----------------------------------------------------------------------------
    vq::SystemClock clock;
    vq::MessageBoxDialogs dialogs;
    vq::NetworkManagerSource connectionSource;
    // Printing is loaded when first used; an installed copy keeps its module in its library folder.
    vq::OnDemandPrinter printer({programFolder, QDir(programFolder).filePath(QStringLiteral(VQ_MODULE_DIR))},
                                dataFolder);
    vq::ProcessLauncher launcher;
    // Writes that fail where no window can say so go to the "varlotte.store" logging category.
    vq::QtLog log;
    vq::DBusNotifications desktopNotifications;

    // ---- Logic --------------------------------------------------------------------------------
    vq::MainState state;
    vq::RecordStore records(optionPath);
    // The update helper runs every transfer in its own process; an installed copy (its folder cannot
    // be written) offers no update.
    vq::Updater updater(vq::defaultUpdateAddresses(),
                        programFolder.toStdString() + "/" + vq::kInstallerProgram,
                        programFolder.toStdString(), dataFolder);
    // The notification icon and the update check, which the engine reports to. Both end the
    // program at once through their exits (no handler runs after the exit state is written).
    QWidget* mainWindowView = nullptr;  // set once the main window exists
    const auto showMainWindow = [&mainWindowView] {
        if (mainWindowView) {
            mainWindowView->showNormal();
            mainWindowView->raise();
            mainWindowView->activateWindow();
        }
    };
    const vq::Engine* engineView = nullptr;  // set once the engine exists
    // The statistics window is made the first time it is opened, from the menu or the main window.
    std::unique_ptr<vq::StatisticsOpener> statistics;
    vq::TrayMenu tray(state, {showMainWindow, vq::endProgramNow,
                              [&engineView] { return engineView && engineView->closedConnectionPending(); },
                              [&statistics] {
                                  if (statistics)
                                      statistics->open();
                              }});
    vq::QtUpdateCheck updateCheck({updater, state, dialogs, launcher, vq::endProgramNow});
    vq::Engine engine(state,
                      vq::Engine::Deps{clock, connectionSource, dialogs, records, &tray, &updateCheck, log},
                      dataFolder);
    engineView = &engine;
    // NetworkManager's profiles arrive after the start and change while the program runs.
    connectionSource.setProfilesListener([&engine] { engine.profilesChanged(); });
    vq::PlanActions plans(state, records, dialogs, clock);
    vq::RecordEditor recordEditor(records, engine, dialogs, optionPath);
    engine.hooks().repsup = [&plans] { plans.repsup(); };
    // After each change of the state: the allowance alerts, and the icon's picture for the state.
    vq::AllowanceAlerts alerts(state, clock, desktopNotifications, optionPath);
    engine.stateChanged.add([&] {
        alerts.check();
        tray.showState(
            vq::trayState(state.comptage == "1", vq::allowanceUse(state), alerts.settings().firstPercent));
    });
    tray.setAutostart(
        vq::autostartEntryPath(qgetenv("XDG_CONFIG_HOME").constData(), qgetenv("HOME").constData()),
        QCoreApplication::applicationFilePath().toStdString());

    // ---- Windows ------------------------------------------------------------------------------
    vq::MainWindow mainWindow(engine, plans, records, dialogs, printer);
    dialogs.setParent(&mainWindow);
    mainWindowView = &mainWindow;
    single.showRequested = showMainWindow;
    // The records window is created hidden with its list loaded, before the start-up may add a
    // connection a crash interrupted.
    records.load();
    vq::RecordsWindow recordsWindow(records, recordEditor, clock, dialogs,
                                    [&mainWindow] { mainWindow.show(); });
    statistics = std::make_unique<vq::StatisticsOpener>(state, records, clock, &mainWindow);
    QObject::connect(&mainWindow, &vq::MainWindow::statisticsRequested, &mainWindow,
                     [&statistics] { statistics->open(); });

    QObject::connect(&mainWindow, &vq::MainWindow::recordsRequested, &mainWindow, [&] {
        mainWindow.hide();
        recordsWindow.show();
        recordsWindow.raise();
        recordsWindow.activateWindow();
    });
    // "Réduire" hides to the notification icon, or minimises when the desktop has none.
    QObject::connect(&mainWindow, &vq::MainWindow::reduceRequested, &mainWindow,
                     [&] { tray.reduce(&mainWindow); });
    // Both quit buttons and the menu's "Quitter": exit state, icon removed, program ended.
    QObject::connect(&mainWindow, &vq::MainWindow::quitRequested, &tray, [&tray] { tray.quit(); });
    // Skins: lireskin runs inside the start-up; the records window, created hidden, takes its face
    // when it is first shown; "Changer de skin" opens the skin chooser.
    const vq::SkinPlaces skinPlaces{optionPath, dataFolder, programFolder.toStdString()};
    vq::applyRecordsFaceOnFirstShow(&recordsWindow, skinPlaces);
    engine.hooks().lireskin = [&mainWindow, &recordsWindow, skinPlaces] {
        vq::lireskin(
            &mainWindow, [&recordsWindow]() -> QWidget* { return &recordsWindow; }, skinPlaces,
            [&mainWindow](const vq::MainFaces& faces) {
                mainWindow.setShapeMaker([](const QPixmap& face) { return vq::faceRegion(face.toImage()); });
                mainWindow.setFaces(faces.compact, faces.options);
            });
    };
    QObject::connect(&mainWindow, &vq::MainWindow::skinRequested, &mainWindow, [&] {
        mainWindow.hide();
        auto* chooser = new vq::SkinChooser(vq::SkinChooser::Deps{
            optionPath,
            programFolder.toStdString(),
            QCoreApplication::applicationFilePath().toStdString(),
            dialogs,
            launcher,
            // A new instance is running with the new skin: this one ends at once, without the steps
            // of a normal exit.
            vq::endProgramNow,
            [&mainWindow] { mainWindow.show(); },
        });
        chooser->show();
    });
    // "A propos..." puts the main window away and opens the about box, whose "Q" brings it back.
    QObject::connect(&mainWindow, &vq::MainWindow::aboutRequested, &tray, [&] {
        tray.reduce(&mainWindow);
        tray.openAboutBox();
    });

    // ---- Start-up -----------------------------------------------------------------------------
    // The skin's own pictures of the icon's states, when it has them: the folder lireskin reads.
    const std::vector<std::string> skins =
        vq::skinFolders(optionPath, dataFolder, programFolder.toStdString());
    if (!skins.empty())
        tray.setPictureFolder(skins.front());
    mainWindow.formLoad();
    // The notification icon; with it the window leaves the task list.
    tray.applyTaskListPolicy(&mainWindow);
    tray.showIcon();
    // Only the program's exits end it, after storing the exit state: a window closed by the window
    // manager does what its own close button does, and closing the last one ends nothing.
    QApplication::setQuitOnLastWindowClosed(false);
    mainWindow.show();
    return app.exec();
}
