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
    else if (key->key() == Qt::Key_Delete || key->text().isEmpty() || key->text().at(0).unicode() < 32 ||
             key->text().at(0).unicode() == 127)
        return false;  // no character: navigation, focus moves, shortcuts
    else
        code = key->text().at(0).unicode();

    auto* edit = qobject_cast<QLineEdit*>(watched);
    QString kept;
    if (edit) {
        kept = edit->text();
        if (edit->hasSelectedText())
            kept.remove(edit->selectionStart(), edit->selectedText().size());
    }
    const QByteArray keptText = kept.toUtf8();
    const std::uint16_t out = m_filter(code, std::string_view(keptText.constData(), keptText.size()));
    if (out == code)
        return false;
    if (out != 0 && edit && !edit->isReadOnly())
        edit->insert(QString(QChar(out)));
    return true;
}

}  // namespace vq
