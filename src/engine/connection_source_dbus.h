#pragma once
// The connection as NetworkManager reports it on the system bus; where no NetworkManager answers,
// the kernel's default route says whether the machine is connected.

#include <QDBusConnection>
#include <QString>
#include <QVariant>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "engine/connection_source.h"
#include "engine/route_table.h"

namespace vq {

class NetworkManagerSource final : public ConnectionSource {
public:
    // Uses the system bus; every call waits at most `timeoutMs` for an answer. `routes` answers the
    // connected test while NetworkManager does not.
    explicit NetworkManagerSource(int timeoutMs = 500,
                                  RouteConnectionSource routes = RouteConnectionSource());

    bool isConnected() override;
    std::string activeConnectionName() override;
    std::vector<std::string> profileNames() override;

private:
    // A property of an object of the NetworkManager service; nothing when the call fails.
    std::optional<QVariant> property(const QString& path, const QString& iface, const QString& name);
    std::optional<QVariantMap> allProperties(const QString& path, const QString& iface);
    std::optional<QVariantMap> connectionSettings(const QString& path);
    std::optional<QVariant> call(const QString& path, const QString& iface, const QString& method,
                                 const QVariantList& args = {});
    bool serviceUsable();
    std::string nameOf(const QString& activePath);

    QDBusConnection m_bus;
    int m_timeoutMs;
    RouteConnectionSource m_routes;
    // After a call that timed out or found no service, NetworkManager is left alone for a while, so
    // that the tick stays quick and the route table answers meanwhile.
    std::chrono::steady_clock::time_point m_quietUntil{};
    // The name found for the primary connection, kept while that connection stays primary.
    QString m_cachedPath;
    std::string m_cachedName;
    std::chrono::steady_clock::time_point m_cachedAt{};
};

}  // namespace vq
