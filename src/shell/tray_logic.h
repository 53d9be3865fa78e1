#pragma once
// What the notification icon does with the desktop's notifications, and how the program stays
// reachable when the desktop has no notification area.

namespace vq {

enum class IconEvent { Trigger, DoubleClick, Context, MiddleClick, Unknown };
enum class IconAction { None, ShowMainWindow, PopUpMenu };

// Decides on icon events and keeps a second one from acting while the first one's action (a pop-up
// menu or a window being shown, both running a nested event loop) has not finished.
class IconGuard {
public:
    // The action for `event`; None while an earlier action runs. Every action other than None must
    // be followed by finish() once it has run.
    IconAction begin(IconEvent event);
    void finish() { m_busy = false; }
    bool busy() const { return m_busy; }

private:
    bool m_busy = false;
};

// How "Réduire" and the task list behave: with a notification area the main window hides and leaves
// the task list; without one it is minimised and stays listed, so it can always be brought back.
enum class ReduceAction { Hide, Minimize };
ReduceAction reduceAction(bool trayAvailable);
bool listedInTaskList(bool trayAvailable);

}  // namespace vq
