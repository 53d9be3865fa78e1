#pragma once
// What the notification icon does with the desktop's notifications, what state it shows, and how
// the program stays reachable when the desktop has no notification area.

#include <optional>

#include "engine/allowance_alerts.h"

namespace vq {

enum class IconEvent { Trigger, DoubleClick, Context, MiddleClick, Unknown };
enum class IconAction { None, ShowMainWindow, PopUpMenu };

// The two kinds of notification area. An X11 one embeds the icon's window and reports single clicks
// and double-clicks; a D-Bus one (the StatusNotifierItem protocol) reports the user's activation of
// the icon as a single trigger and never a double-click.
enum class NotificationAreaKind { XEmbed, StatusNotifier };

// The kind of icon the desktop gets: the D-Bus kind when the session bus has a StatusNotifierWatcher
// that says a host is registered, the X11 kind otherwise.
NotificationAreaKind notificationAreaKind(bool watcherOnSessionBus, bool hostRegistered);

// Decides on icon events and keeps a second one from acting while the first one's action (a pop-up
// menu or a window being shown, both running a nested event loop) has not finished. The main window
// comes back on a double-click, or on the activation of a D-Bus icon, which cannot report one.
class IconGuard {
public:
    explicit IconGuard(NotificationAreaKind kind = NotificationAreaKind::XEmbed) : m_kind(kind) {}
    // The action for `event`; None while an earlier action runs. Every action other than None must
    // be followed by finish() once it has run.
    IconAction begin(IconEvent event);
    void finish() { m_busy = false; }
    bool busy() const { return m_busy; }

private:
    NotificationAreaKind m_kind;
    bool m_busy = false;
};

// How "Réduire" and the task list behave: with a notification area the main window hides and leaves
// the task list; without one it is minimised and stays listed, so it can always be brought back.
enum class ReduceAction { Hide, Minimize };
ReduceAction reduceAction(bool trayAvailable);
bool listedInTaskList(bool trayAvailable);

// What the icon shows: nothing counted, or a connection counted with the allowance fine, nearly used
// (at or above the first alert threshold) or used up. A plan without allowance is never short of it.
enum class TrayState { NotConnected, Counting, NearlyUsed, Exceeded };
TrayState trayState(bool counting, const std::optional<AllowanceUse>& use, int nearlyPercent);

// The state the icon shows, so that its picture is made again only when the state changes.
class TrayIconState {
public:
    // True when `state` differs from the one shown (always the first time); it is shown from then on.
    bool change(TrayState state);

private:
    std::optional<TrayState> m_shown;
};

}  // namespace vq
