#pragma once
// lireskin: gives the main window and the records window the look of the chosen skin (faces,
// outline, button pictures, control positions and label colours) over the built-in look. Controls
// are found by objectName; every step stands alone, and one that fails changes nothing.

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <string>

namespace vq {

// Where the skin folder is decided: "Typeconex"/"Dossier" of option.ini, or when that is empty the
// data folder, then the program folder.
struct SkinPlaces {
    std::string optionIni;
    std::string dataFolder;
    std::string programFolder;
};

// The main window's two faces and the Options button's two pictures, as lireskin left them.
struct MainFaces {
    QPixmap compact;        // the compact view's face
    QPixmap options;        // the options view's face (the window's size)
    QPixmap compactButton;  // the Options button's picture while the compact view is shown
    QPixmap optionsButton;  // its picture while the options view is shown
};

// Applies the skin to the main window; `recordsWindow` gives the records window, creating it the
// first time it is asked for. The main window takes the options face's size and the compact face's
// outline and background through `showFaces` when given (a window that draws its own faces), else
// directly. Returns the faces the Options toggle works with.
MainFaces lireskin(QWidget* mainWindow, const std::function<QWidget*()>& recordsWindow,
                   const SkinPlaces& places, const std::function<void(const MainFaces&)>& showFaces = {});

// The records window's face, size and outline (its set-up calls this before filling its list).
void applyRecordsFace(QWidget* recordsWindow, const SkinPlaces& places);

// Gives the records window its face the first time it is shown, before it is mapped: its picture is
// the largest of a skin (a megabyte once decoded) and most runs never open that window.
void applyRecordsFaceOnFirstShow(QWidget* recordsWindow, const SkinPlaces& places);

// Twips per pixel on the screen showing `window` (15 at 96 dots per inch).
double twipsPerPixel(const QWidget* window);

}  // namespace vq
