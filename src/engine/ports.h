#pragma once
// Small ports the engine calls on the shell: the notification tip, the update check and the
// desktop's notifications.

#include <string>

namespace vq {

class TrayTip {
public:
    virtual ~TrayTip() = default;
    // Sets the notification icon's tip ("TT: ... | T: ... | TR: ...").
    virtual void setTip(const std::string& tip) = 0;
};

class UpdateCheck {
public:
    virtual ~UpdateCheck() = default;
    // Called when a counted connection opens and the installed version is not 0; must not block.
    virtual void connectionOpened(int installedVersion) = 0;
};

class DesktopNotifications {
public:
    virtual ~DesktopNotifications() = default;
    // Shows a notification on the desktop; never blocks, and does nothing when the desktop shows none.
    virtual void show(const std::string& summary, const std::string& body) = 0;
};

}  // namespace vq
