#pragma once
// The connection as NetworkManager reports it on the system bus, learnt from its signals and kept in
// memory, so that the tick's questions send nothing on the bus and never wait; where no NetworkManager
// runs, the kernel's default route says whether the machine is connected.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <string>
#include <vector>

#include "engine/connection_source.h"
#include "engine/route_table.h"

class QDBusServiceWatcher;

namespace vq {

class NetworkManagerSource final : public QObject, public ConnectionSource {
    Q_OBJECT
public:
    // Subscribes to NetworkManager's signals on the system bus and starts reading its state and its
    // profiles; an answer that takes longer than `timeoutMs` counts as none. `routes` answers the
    // connected test while NetworkManager is absent.
    explicit NetworkManagerSource(int timeoutMs = 2000,
                                  RouteConnectionSource routes = RouteConnectionSource());
    ~NetworkManagerSource() override;

    // Answered from memory. Signals are handled between events, never inside a tick, so the answers of
    // one tick agree with each other.
    bool isConnected() override;
    std::string activeConnectionName() override;
    std::vector<std::string> profileNames() override;

private Q_SLOTS:
    // QtDBus hands bus signals only to slots it finds by name; each takes the whole message.
    void managerSignal(const QDBusMessage& message);
    void deviceSignal(const QDBusMessage& message);
    void profileSignal(const QDBusMessage& message);

private:
    // What the last answers said about the primary connection.
    struct Primary {
        QString path;  // its active-connection object; empty or "/" when there is none
        QString id;
        QString type;
        QString profile;
        QStringList devices;
        bool profileMetered = false;
        QMap<QString, bool> meteredDevices;
    };

    void serviceOwnerChanged(const QString& owner);
    // Sends one call without waiting; `then` gets the answer (or the error) later. While a call that
    // `holdsAnswer` is out, the tick keeps the answer it had, so that it never sees half of a change.
    void ask(const QString& path, const QString& iface, const QString& method, const QVariantList& args,
             bool holdsAnswer, std::function<void(const QDBusMessage&)> then);
    void readManager();
    void applyManagerProperties(const QVariantMap& changed);
    void setPrimary(const QString& path);
    void readPrimaryProfile();
    void readProfiles();
    void setAbsent();
    bool fromNetworkManager(const QDBusMessage& message) const;
    void publish();

    QDBusConnection m_bus;
    int m_timeoutMs;
    RouteConnectionSource m_routes;
    QDBusServiceWatcher* m_watcher = nullptr;

    // NetworkManager's unique name on the bus while it runs; signals from anyone else are ignored.
    QString m_owner;
    // Bumped when NetworkManager appears or vanishes: answers to calls made before are dropped.
    unsigned m_epoch = 0;
    unsigned m_primaryRead = 0;
    unsigned m_profilesRead = 0;
    int m_held = 0;
    unsigned m_state = 0;
    Primary m_primary;

    // The answers the tick gets.
    bool m_absent = false;
    bool m_connected = false;
    std::string m_name;
    std::vector<std::string> m_profiles;
};

}  // namespace vq
