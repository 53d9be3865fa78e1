#pragma once
// The Dialogs port shown as Qt message boxes: modal ones that wait for their answer, and window-modal
// ones that leave the program running; file names are asked with the file dialog.

#include <QWidget>

#include "core/dialogs.h"

namespace vq {

class MessageBoxDialogs final : public Dialogs {
public:
    // Boxes are centred over `parent` when it is visible.
    explicit MessageBoxDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    DialogAnswer show(const std::string& text, const std::string& title, DialogButtons buttons,
                      DialogIcon icon) override;
    void showWithoutWaiting(const std::string& text, const std::string& title, DialogIcon icon) override;
    // Proposes the name in the user's home folder.
    std::optional<std::string> askSaveFileName(const std::string& title,
                                               const std::string& suggestedName) override;

private:
    QWidget* m_parent;
};

}  // namespace vq
