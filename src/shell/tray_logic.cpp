#include "shell/tray_logic.h"

namespace vq {

NotificationAreaKind notificationAreaKind(bool watcherOnSessionBus, bool hostRegistered) {
    return watcherOnSessionBus && hostRegistered ? NotificationAreaKind::StatusNotifier
                                                 : NotificationAreaKind::XEmbed;
}

IconAction IconGuard::begin(IconEvent event) {
    if (m_busy) {
        return IconAction::None;
    }
    IconAction action = IconAction::None;
    switch (event) {
        case IconEvent::DoubleClick:
            action = IconAction::ShowMainWindow;
            break;
        case IconEvent::Context:
            action = IconAction::PopUpMenu;
            break;
        case IconEvent::Trigger:
            // A single click on an embedded icon does nothing; on a D-Bus icon it is the only way in.
            if (m_kind == NotificationAreaKind::StatusNotifier) {
                action = IconAction::ShowMainWindow;
            }
            break;
        case IconEvent::MiddleClick:
        case IconEvent::Unknown:
            break;
    }
    m_busy = action != IconAction::None;
    return action;
}

ReduceAction reduceAction(bool trayAvailable) {
    return trayAvailable ? ReduceAction::Hide : ReduceAction::Minimize;
}

bool listedInTaskList(bool trayAvailable) {
    return !trayAvailable;
}

TrayState trayState(bool counting, const std::optional<AllowanceUse>& use, int nearlyPercent) {
    if (!counting)
        return TrayState::NotConnected;
    if (!use)
        return TrayState::Counting;
    if (use->usedSeconds >= use->allowanceSeconds)
        return TrayState::Exceeded;
    if (use->usedSeconds * 100 >= use->allowanceSeconds * nearlyPercent)
        return TrayState::NearlyUsed;
    return TrayState::Counting;
}

bool TrayIconState::change(TrayState state) {
    if (m_shown == state)
        return false;
    m_shown = state;
    return true;
}

}  // namespace vq
