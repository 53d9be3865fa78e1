#pragma once
// The desktop's notifications through the freedesktop notification service on the session bus.
// Nothing waits: the bus is first asked, without waiting, whether the service is there, and the
// notification is sent only then, its answer not awaited. Without a session bus or a service
// nothing is sent and nothing is reported.

#include <QObject>

#include "engine/ports.h"

namespace vq {

class DBusNotifications final : public QObject, public DesktopNotifications {
    Q_OBJECT
public:
    explicit DBusNotifications(QObject* parent = nullptr);
    void show(const std::string& summary, const std::string& body) override;
};

}  // namespace vq
