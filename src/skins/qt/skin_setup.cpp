#include "skins/qt/skin_setup.h"

#include <QCoreApplication>

#include "engine/engine.h"
#include "plans/main_window.h"
#include "records/records_window.h"
#include "skins/qt/face.h"
#include "skins/qt/skin_chooser.h"

namespace vq {

void installSkins(Engine& engine, MainWindow& mainWindow, RecordsWindow& recordsWindow, Dialogs& dialogs,
                  Launcher& launcher, std::function<void()> endNow, const SkinPlaces& places) {
    // The records window exists already: its set-up takes its face now.
    applyRecordsFace(&recordsWindow, places);

    engine.hooks().lireskin = [&mainWindow, &recordsWindow, places] {
        lireskin(
            &mainWindow, [&recordsWindow]() -> QWidget* { return &recordsWindow; }, places,
            [&mainWindow](const MainFaces& faces) {
                mainWindow.setShapeMaker([](const QPixmap& face) { return faceRegion(face.toImage()); });
                mainWindow.setFaces(faces.compact, faces.options);
            });
    };

    QObject::connect(&mainWindow, &MainWindow::skinRequested, &mainWindow,
                     [&mainWindow, &dialogs, &launcher, endNow, places] {
                         mainWindow.hide();
                         auto* chooser = new SkinChooser(SkinChooser::Deps{
                             places.optionIni,
                             places.programFolder,
                             QCoreApplication::applicationFilePath().toStdString(),
                             dialogs,
                             launcher,
                             // A new instance is running with the new skin: this one ends at once, without
                             // the steps of a normal exit.
                             endNow,
                             [&mainWindow] { mainWindow.show(); },
                         });
                         chooser->show();
                     });
}

}  // namespace vq
