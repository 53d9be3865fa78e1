#pragma once
// What the skinned windows share: captions, text boxes and picture buttons placed at pixel positions
// of the built-in look (a skin moves them later by objectName), texts set only when they changed,
// and the drag that moves a window without a title bar.

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <string>

#include "skins/qt/picture_button.h"

namespace vq {

// A caption at (x, y). With a `width` it takes at least that width and one line's height, and is
// never cut: it may run past its column into the gap beside it; without one it takes its text's size.
QLabel* addCaption(QWidget* window, const QString& objectName, const QString& text, int x, int y,
                   int width = 0);
// A one-line text box of the built-in height.
QLineEdit* addTextBox(QWidget* window, const QString& objectName, int x, int y, int width);
// A picture button at (x, y), captioned `fallbackText` until it has a picture.
PictureButton* addPictureButton(QWidget* window, const QString& objectName, const QString& toolTip, int x,
                                int y, const QString& fallbackText = {});

// Setting a text that did not change would move a box's cursor and repaint it on every tick.
void setTextIfChanged(QLineEdit* box, const std::string& text);
void setTextIfChanged(QLabel* label, const std::string& text);

// Called from a window's mouse press: any button drags the window by its face.
void dragWindowByFace(QWidget* window);

}  // namespace vq
