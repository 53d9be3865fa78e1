#include "skins/qt/skin_setup.h"

#include <QCoreApplication>
#include <QEvent>

#include <utility>

#include "engine/engine.h"
#include "plans/main_window.h"
#include "records/records_window.h"
#include "skins/qt/face.h"
#include "skins/qt/skin_chooser.h"

namespace vq {
namespace {

// Gives the records window its face the first time it is shown, before it is mapped: its picture is
// the largest of a skin (a megabyte once decoded) and most runs never open that window.
class FaceOnFirstShow final : public QObject {
public:
    FaceOnFirstShow(QWidget* window, SkinPlaces places);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    SkinPlaces m_places;
};

FaceOnFirstShow::FaceOnFirstShow(QWidget* window, SkinPlaces places)
    : QObject(window), m_window(window), m_places(std::move(places)) {
    window->installEventFilter(this);
}

bool FaceOnFirstShow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Show) {
        m_window->removeEventFilter(this);
        applyRecordsFace(m_window, m_places);
        deleteLater();
    }
    return false;
}

}  // namespace

void installSkins(Engine& engine, MainWindow& mainWindow, RecordsWindow& recordsWindow, Dialogs& dialogs,
                  Launcher& launcher, std::function<void()> endNow, const SkinPlaces& places) {
    // The records window exists already, hidden: it takes its face when it is first shown.
    new FaceOnFirstShow(&recordsWindow, places);

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
