#include "shell/tray_logic.h"

namespace vq {

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

}  // namespace vq
