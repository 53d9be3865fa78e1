#pragma once
// A button drawn as a picture from the skin (it takes the picture's size), with a plain captioned
// look until a picture is given.

#include <QAbstractButton>
#include <QPixmap>

namespace vq {

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(const QString& objectName, const QString& toolTip, QWidget* parent = nullptr);

    // Shows `picture` and takes its size; a null picture keeps the current one.
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }
    // Caption drawn while the button has no picture.
    void setFallbackText(const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    QString m_fallback;
};

}  // namespace vq
