#pragma once
// Puts the skins into the running program: lireskin as a start-up step, the records window's face,
// and the skin chooser behind the main window's "Changer de skin" button.

#include <functional>

#include "core/dialogs.h"
#include "core/launcher.h"
#include "skins/qt/skin_loader.h"

namespace vq {

class Engine;
class MainWindow;
class RecordsWindow;

// `launcher` starts the program anew after a skin is chosen; `endNow` then ends this copy at once.
void installSkins(Engine& engine, MainWindow& mainWindow, RecordsWindow& recordsWindow, Dialogs& dialogs,
                  Launcher& launcher, std::function<void()> endNow, const SkinPlaces& places);

}  // namespace vq
