#include "engine/connection_source_dbus.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMap>

#include <algorithm>
#include <array>
#include <utility>

namespace {

using NmSettings = QMap<QString, QVariantMap>;

}  // namespace

Q_DECLARE_METATYPE(NmSettings)

namespace vq {
namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kActiveIface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDeviceIface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kSettingsIface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kConnectionIface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kPropertiesIface = QStringLiteral("org.freedesktop.DBus.Properties");

constexpr unsigned kConnectedSite = 60;
constexpr unsigned kConnectedGlobal = 70;
constexpr int kMeteredYes = 1;
constexpr int kMeteredGuessYes = 3;
constexpr std::size_t kMaxProfiles = 11;
constexpr auto kQuietTime = std::chrono::seconds(10);
constexpr auto kNameKeptFor = std::chrono::seconds(15);

// Connection kinds billed by time or volume as a rule.
bool billedKind(const QString& type) {
    static const std::array<QString, 5> kinds{QStringLiteral("gsm"), QStringLiteral("cdma"),
                                              QStringLiteral("pppoe"), QStringLiteral("adsl"),
                                              QStringLiteral("bluetooth")};
    return std::find(kinds.begin(), kinds.end(), type) != kinds.end();
}

// Unwraps what a property or a reply argument holds: a variant, or a structure still to read.
QVariant unwrap(const QVariant& v) {
    if (v.userType() == qMetaTypeId<QDBusVariant>())
        return v.value<QDBusVariant>().variant();
    return v;
}

QList<QDBusObjectPath> pathList(const QVariant& v) {
    if (v.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QList<QDBusObjectPath>>(v.value<QDBusArgument>());
    return v.value<QList<QDBusObjectPath>>();
}

QString pathText(const QVariant& v) {
    return v.value<QDBusObjectPath>().path();
}

}  // namespace

NetworkManagerSource::NetworkManagerSource(int timeoutMs, RouteConnectionSource routes)
    : m_bus(QDBusConnection::systemBus()), m_timeoutMs(timeoutMs), m_routes(std::move(routes)) {
    qDBusRegisterMetaType<NmSettings>();
}

bool NetworkManagerSource::serviceUsable() {
    return m_bus.isConnected() && std::chrono::steady_clock::now() >= m_quietUntil;
}

std::optional<QVariant> NetworkManagerSource::call(const QString& path, const QString& iface,
                                                   const QString& method, const QVariantList& args) {
    if (!serviceUsable())
        return std::nullopt;
    QDBusMessage msg = QDBusMessage::createMethodCall(kService, path, iface, method);
    msg.setArguments(args);
    QDBusMessage reply = m_bus.call(msg, QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        QDBusError::ErrorType e = QDBusError(reply).type();
        if (e == QDBusError::NoReply || e == QDBusError::Timeout || e == QDBusError::TimedOut ||
            e == QDBusError::ServiceUnknown || e == QDBusError::Disconnected)
            m_quietUntil = std::chrono::steady_clock::now() + kQuietTime;
        return std::nullopt;
    }
    if (reply.arguments().isEmpty())
        return QVariant();
    return reply.arguments().constFirst();
}

std::optional<QVariant> NetworkManagerSource::property(const QString& path, const QString& iface,
                                                       const QString& name) {
    std::optional<QVariant> v = call(path, kPropertiesIface, QStringLiteral("Get"), {iface, name});
    if (!v)
        return std::nullopt;
    return unwrap(*v);
}

std::optional<QVariantMap> NetworkManagerSource::allProperties(const QString& path, const QString& iface) {
    std::optional<QVariant> v = call(path, kPropertiesIface, QStringLiteral("GetAll"), {iface});
    if (!v || v->userType() != qMetaTypeId<QDBusArgument>())
        return std::nullopt;
    QVariantMap map = qdbus_cast<QVariantMap>(v->value<QDBusArgument>());
    for (auto it = map.begin(); it != map.end(); ++it)
        it.value() = unwrap(it.value());
    return map;
}

std::optional<QVariantMap> NetworkManagerSource::connectionSettings(const QString& path) {
    std::optional<QVariant> v = call(path, kConnectionIface, QStringLiteral("GetSettings"));
    if (!v || v->userType() != qMetaTypeId<QDBusArgument>())
        return std::nullopt;
    NmSettings settings = qdbus_cast<NmSettings>(v->value<QDBusArgument>());
    return settings.value(QStringLiteral("connection"));
}

bool NetworkManagerSource::isConnected() {
    if (serviceUsable()) {
        std::optional<QVariant> state = property(kManagerPath, kService, QStringLiteral("State"));
        if (state) {
            unsigned s = state->toUInt();
            return s == kConnectedSite || s == kConnectedGlobal;
        }
    }
    return m_routes.isConnected();
}

std::string NetworkManagerSource::activeConnectionName() {
    std::optional<QVariant> primary = property(kManagerPath, kService, QStringLiteral("PrimaryConnection"));
    if (!primary)
        return {};
    QString path = pathText(*primary);
    if (path.isEmpty() || path == QLatin1String("/"))
        return {};
    auto now = std::chrono::steady_clock::now();
    if (path == m_cachedPath && now - m_cachedAt < kNameKeptFor)
        return m_cachedName;
    std::string name = nameOf(path);
    m_cachedPath = path;
    m_cachedName = name;
    m_cachedAt = now;
    return name;
}

// The active connection's name when it is billed: a billed kind, or a metered profile or device.
std::string NetworkManagerSource::nameOf(const QString& activePath) {
    std::optional<QVariantMap> active = allProperties(activePath, kActiveIface);
    if (!active)
        return {};
    std::string id = active->value(QStringLiteral("Id")).toString().toStdString();
    if (billedKind(active->value(QStringLiteral("Type")).toString()))
        return id;
    QString profile = pathText(active->value(QStringLiteral("Connection")));
    if (!profile.isEmpty() && profile != QLatin1String("/")) {
        std::optional<QVariantMap> settings = connectionSettings(profile);
        if (settings && settings->value(QStringLiteral("metered")).toInt() == kMeteredYes)
            return id;
    }
    for (const QDBusObjectPath& device : pathList(active->value(QStringLiteral("Devices")))) {
        std::optional<QVariant> metered = property(device.path(), kDeviceIface, QStringLiteral("Metered"));
        if (metered) {
            int m = static_cast<int>(metered->toUInt());
            if (m == kMeteredYes || m == kMeteredGuessYes)
                return id;
        }
    }
    return {};
}

std::vector<std::string> NetworkManagerSource::profileNames() {
    std::vector<std::string> names;
    std::optional<QVariant> list = call(kSettingsPath, kSettingsIface, QStringLiteral("ListConnections"));
    if (!list)
        return names;
    for (const QDBusObjectPath& path : pathList(*list)) {
        if (names.size() == kMaxProfiles)
            break;
        std::optional<QVariantMap> settings = connectionSettings(path.path());
        if (!settings)
            continue;
        if (billedKind(settings->value(QStringLiteral("type")).toString()) ||
            settings->value(QStringLiteral("metered")).toInt() == kMeteredYes)
            names.push_back(settings->value(QStringLiteral("id")).toString().toStdString());
    }
    return names;
}

}  // namespace vq
