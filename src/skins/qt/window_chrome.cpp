#include "skins/qt/window_chrome.h"

#include <QWindow>
#include <algorithm>

namespace vq {
namespace {

constexpr int kTextBoxHeight = 22;
constexpr int kCaptionHeight = 17;

}  // namespace

QLabel* addCaption(QWidget* window, const QString& objectName, const QString& text, int x, int y, int width) {
    auto* label = new QLabel(text, window);
    label->setObjectName(objectName);
    if (width > 0) {
        label->setGeometry(x, y, std::max(width, label->fontMetrics().horizontalAdvance(text) + 2),
                           kCaptionHeight);
    } else {
        label->move(x, y);
        label->adjustSize();
    }
    return label;
}

QLineEdit* addTextBox(QWidget* window, const QString& objectName, int x, int y, int width) {
    auto* box = new QLineEdit(window);
    box->setObjectName(objectName);
    box->setGeometry(x, y, width, kTextBoxHeight);
    return box;
}

PictureButton* addPictureButton(QWidget* window, const QString& objectName, const QString& toolTip, int x,
                                int y, const QString& fallbackText) {
    auto* button = new PictureButton(objectName, toolTip, window);
    if (!fallbackText.isEmpty())
        button->setFallbackText(fallbackText);
    button->move(x, y);
    return button;
}

void setTextIfChanged(QLineEdit* box, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (box->text() != value)
        box->setText(value);
}

void setTextIfChanged(QLabel* label, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (label->text() != value)
        label->setText(value);
}

void dragWindowByFace(QWidget* window) {
    if (QWindow* handle = window->windowHandle())
        handle->startSystemMove();
}

}  // namespace vq
