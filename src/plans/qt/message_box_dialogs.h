#pragma once
// The Dialogs port shown as modal Qt message boxes.

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

private:
    QWidget* m_parent;
};

}  // namespace vq
