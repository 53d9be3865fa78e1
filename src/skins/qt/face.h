#pragma once
// A face picture applied to a frameless window: the window takes the picture's outline (every pixel
// of the top-left pixel's colour is cut away) and shows the picture as its background.

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

namespace vq {

// The outline of `face` as a region in pixels; empty when the picture has a single colour.
QRegion faceRegion(const QImage& face);

// Shapes `window` by `face` and paints `face` behind its controls from the window's origin. A null
// face or a one-colour face leaves the window unshaped (its full rectangle).
void applyFace(QWidget* window, const QPixmap& face);

// The face last applied to `window` (null when none).
QPixmap appliedFace(const QWidget* window);

}  // namespace vq
