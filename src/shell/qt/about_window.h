#pragma once
// The about box "Concepteur": the program's name, version and author, its web site and the author's
// address. Its "Q" button destroys it and brings the main window back; so does closing it from the
// window manager.

#include <QWidget>
#include <functional>

namespace vq {

class AboutBox final : public QWidget {
    Q_OBJECT
public:
    // `showMainWindow` runs when the box closes, by its button or by the window manager.
    explicit AboutBox(std::function<void()> showMainWindow, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> m_showMainWindow;
};

}  // namespace vq
