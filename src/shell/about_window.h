#pragma once
// The about box "Concepteur": the program's name, version and author, its web site and the author's
// address. Its "Q" button destroys it and brings the main window back.

#include <QWidget>
#include <functional>

namespace vq {

class AboutBox final : public QWidget {
    Q_OBJECT
public:
    // `showMainWindow` runs when the box is closed with its button.
    explicit AboutBox(std::function<void()> showMainWindow, QWidget* parent = nullptr);

private:
    void closeAndShowMain();
    std::function<void()> m_showMainWindow;
};

}  // namespace vq
