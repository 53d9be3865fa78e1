#include "skins/qt/glyphs.h"

#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

namespace vq {

void drawGlyph(QPainter& p, const QString& glyph, const QRectF& box, const QColor& ink) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const QRectF r(c.x() - 6, c.y() - 6, 12, 12);
    if (glyph == QLatin1String("down") || glyph == QLatin1String("up")) {
        const bool down = glyph == QLatin1String("down");
        p.drawPolyline(QPolygonF{QPointF(r.left(), c.y() + (down ? -3 : 3)),
                                 QPointF(c.x(), c.y() + (down ? 3 : -3)),
                                 QPointF(r.right(), c.y() + (down ? -3 : 3))});
    } else if (glyph == QLatin1String("reduce")) {
        p.drawLine(QPointF(r.left(), r.bottom() - 1), QPointF(r.right(), r.bottom() - 1));
    } else if (glyph == QLatin1String("quit")) {
        p.drawLine(r.topLeft() + QPointF(1, 1), r.bottomRight() - QPointF(1, 1));
        p.drawLine(r.topRight() + QPointF(-1, 1), r.bottomLeft() + QPointF(1, -1));
    } else if (glyph == QLatin1String("save")) {
        p.drawRoundedRect(r, 1.5, 1.5);
        p.drawPolyline(QPolygonF{QPointF(r.left() + 3, r.top()), QPointF(r.left() + 3, r.top() + 4),
                                 QPointF(r.right() - 3, r.top() + 4), QPointF(r.right() - 3, r.top())});
    } else if (glyph == QLatin1String("delete")) {
        p.drawLine(QPointF(r.left() - 1, r.top() + 2), QPointF(r.right() + 1, r.top() + 2));
        p.drawLine(QPointF(c.x() - 2, r.top()), QPointF(c.x() + 2, r.top()));
        p.drawPolyline(QPolygonF{QPointF(r.left() + 1, r.top() + 3), QPointF(r.left() + 2, r.bottom()),
                                 QPointF(r.right() - 2, r.bottom()), QPointF(r.right() - 1, r.top() + 3)});
    } else if (glyph == QLatin1String("print")) {
        p.drawRect(QRectF(r.left(), c.y() - 2, 12, 6));
        p.drawPolyline(QPolygonF{QPointF(r.left() + 2, c.y() - 2), QPointF(r.left() + 2, r.top()),
                                 QPointF(r.right() - 2, r.top()), QPointF(r.right() - 2, c.y() - 2)});
        p.drawRect(QRectF(r.left() + 2, c.y() + 2, 8, 4));
    } else if (glyph == QLatin1String("records")) {
        for (int i = 0; i < 3; ++i) {
            const qreal y = r.top() + 1 + 4.5 * i;
            p.drawPoint(QPointF(r.left(), y));
            p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right(), y));
        }
    } else if (glyph == QLatin1String("skin")) {
        p.drawEllipse(r);
        p.setBrush(ink);
        p.drawEllipse(QPointF(c.x() - 2.5, c.y() - 1.5), 0.8, 0.8);
        p.drawEllipse(QPointF(c.x() + 2.5, c.y() - 1.5), 0.8, 0.8);
        p.drawEllipse(QPointF(c.x(), c.y() + 2.5), 0.8, 0.8);
    } else {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(glyph.size() > 2 ? 12 : 15);
        f.setBold(true);
        p.setFont(f);
        p.drawText(box, Qt::AlignCenter, glyph);
    }
    p.restore();
}

}  // namespace vq
