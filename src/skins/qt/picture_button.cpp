#include "skins/qt/picture_button.h"

#include <QPainter>
#include <QPainterPath>

namespace vq {

PictureButton::PictureButton(const QString& objectName, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent) {
    setObjectName(objectName);
    setToolTip(toolTip);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    resize(24, 24);
}

void PictureButton::setPicture(const QPixmap& picture) {
    if (picture.isNull())
        return;
    m_picture = picture;
    resize(picture.deviceIndependentSize().toSize());
    update();
}

void PictureButton::setFallbackText(const QString& text) {
    m_fallback = text;
    update();
}

QSize PictureButton::sizeHint() const {
    return m_picture.isNull() ? QSize(24, 24) : m_picture.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_picture.isNull()) {
        p.drawPixmap(0, 0, m_picture);
        if (!isEnabled())
            p.fillRect(rect(), QColor(255, 255, 255, 110));
        if (isDown())
            p.fillRect(rect(), QColor(0, 0, 0, 50));
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    QColor face = isDown() ? QColor(70, 90, 120) : QColor(90, 115, 150);
    if (!isEnabled())
        face = QColor(160, 165, 170);
    p.fillPath(path, face);
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, m_fallback.isEmpty() ? toolTip().left(1) : m_fallback);
}

}  // namespace vq
