#pragma once
// The buttons' built-in symbols: drawn by the program on its buttons until a skin gives their
// pictures, and by the tool that draws the bundled skins, so that both look alike. Uses QtGui only.

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace vq {

// Draws `glyph` ("down", "up", "reduce", "quit", "save", "delete", "print", "records", "skin"; any
// other text is written as it stands) centred in `box`, in `ink`.
void drawGlyph(QPainter& p, const QString& glyph, const QRectF& box, const QColor& ink);

}  // namespace vq
