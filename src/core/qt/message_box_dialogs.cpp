#include "core/qt/message_box_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vq {
namespace {

QMessageBox::Icon toIcon(DialogIcon icon) {
    switch (icon) {
        case DialogIcon::Stop:
            return QMessageBox::Critical;
        case DialogIcon::Question:
            return QMessageBox::Question;
        case DialogIcon::Information:
            return QMessageBox::Information;
        case DialogIcon::Exclamation:
            return QMessageBox::Warning;
        case DialogIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString boxTitle(const std::string& title) {
    return QString::fromStdString(title.empty() ? std::string(kAppTitle) : title);
}

}  // namespace

DialogAnswer MessageBoxDialogs::show(const std::string& text, const std::string& title, DialogButtons buttons,
                                     DialogIcon icon) {
    QWidget* parent = m_parent && m_parent->isVisible() ? m_parent : nullptr;
    QMessageBox box(toIcon(icon), boxTitle(title), QString::fromStdString(text), QMessageBox::NoButton,
                    parent);
    if (buttons == DialogButtons::YesNo) {
        QAbstractButton* yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
        QAbstractButton* no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        box.exec();
        // Closing the box any other way than "Oui" answers no.
        return box.clickedButton() == yes ? DialogAnswer::Yes : DialogAnswer::No;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return DialogAnswer::Ok;
}

void MessageBoxDialogs::showWithoutWaiting(const std::string& text, const std::string& title,
                                           DialogIcon icon) {
    QWidget* parent = m_parent && m_parent->isVisible() ? m_parent : nullptr;
    auto* box = new QMessageBox(toIcon(icon), boxTitle(title), QString::fromStdString(text),
                                QMessageBox::NoButton, parent);
    box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Over the window it belongs to, that window waits for the OK; the timers and the rest go on.
    box->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    box->show();
}

std::optional<std::string> MessageBoxDialogs::askSaveFileName(const std::string& title,
                                                              const std::string& suggestedName) {
    QWidget* parent = m_parent && m_parent->isVisible() ? m_parent : nullptr;
    const QString chosen = QFileDialog::getSaveFileName(
        parent, QString::fromStdString(title), QDir::home().filePath(QString::fromStdString(suggestedName)),
        QStringLiteral("Fichiers CSV (*.csv)"));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

}  // namespace vq
