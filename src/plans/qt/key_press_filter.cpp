#include "plans/qt/key_press_filter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace vq {

void KeyPressFilter::install(QObject* widget, Filter filter) {
    widget->installEventFilter(new KeyPressFilter(filter, widget));
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    std::uint16_t code = 0;
    if (key->key() == Qt::Key_Backspace)
        code = 8;
    else if (key->key() == Qt::Key_Delete || key->text().isEmpty())
        return false;
    else
        code = key->text().at(0).unicode();

    const std::uint16_t out = m_filter(code);
    if (out == code)
        return false;
    if (out != 0) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && !edit->isReadOnly())
            edit->insert(QString(QChar(out)));
    }
    return true;
}

}  // namespace vq
