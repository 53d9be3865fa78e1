#pragma once
// Puts the skins into the running program: lireskin as a start-up step, the records window's face,
// and the skin chooser behind the main window's "Changer de skin" button.

#include "core/dialogs.h"
#include "skins/qt/skin_loader.h"

namespace vq {

class Engine;
class MainWindow;
class RecordsWindow;

void installSkins(Engine& engine, MainWindow& mainWindow, RecordsWindow& recordsWindow, Dialogs& dialogs,
                  const SkinPlaces& places);

}  // namespace vq
