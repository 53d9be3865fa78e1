#include "engine/qt/connection_source_dbus.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>

namespace {

using NmSettings = QMap<QString, QVariantMap>;

}  // namespace

Q_DECLARE_METATYPE(NmSettings)

namespace vq {
namespace {

Q_LOGGING_CATEGORY(nmLog, "vq.networkmanager")

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kActiveIface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDeviceIface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kSettingsIface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kConnectionIface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kPropertiesIface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kPropertiesChanged = QStringLiteral("PropertiesChanged");

constexpr unsigned kConnectedSite = 60;
constexpr unsigned kConnectedGlobal = 70;
constexpr int kMeteredYes = 1;
constexpr unsigned kMeteredGuessYes = 3;
constexpr std::size_t kMaxProfiles = 11;
// A NetworkManager that did not answer is asked again after this long; meanwhile the routes answer.
constexpr int kRetryMs = 10000;

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

QVariantMap propertyMap(const QVariant& v) {
    if (v.userType() != qMetaTypeId<QDBusArgument>())
        return {};
    QVariantMap map = qdbus_cast<QVariantMap>(v.value<QDBusArgument>());
    for (auto it = map.begin(); it != map.end(); ++it)
        it.value() = unwrap(it.value());
    return map;
}

QList<QDBusObjectPath> pathList(const QVariant& v) {
    if (v.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QList<QDBusObjectPath>>(v.value<QDBusArgument>());
    return v.value<QList<QDBusObjectPath>>();
}

QString pathText(const QVariant& v) {
    return v.value<QDBusObjectPath>().path();
}

bool noObject(const QString& path) {
    return path.isEmpty() || path == QLatin1String("/");
}

bool answered(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

// The "connection" part of a profile's settings, from the answer to GetSettings.
std::optional<QVariantMap> profileOf(const QDBusMessage& reply) {
    if (!answered(reply) || reply.arguments().constFirst().userType() != qMetaTypeId<QDBusArgument>())
        return std::nullopt;
    return qdbus_cast<NmSettings>(reply.arguments().constFirst().value<QDBusArgument>())
        .value(QStringLiteral("connection"));
}

bool meteredDevice(const QVariant& v) {
    const unsigned m = v.toUInt();
    return m == kMeteredYes || m == kMeteredGuessYes;
}

// The properties a PropertiesChanged signal carries, in the standard form (interface, changes,
// invalidated) or in NetworkManager's older form of one signal per interface (changes only).
QVariantMap changedProperties(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (message.interface() == kPropertiesIface)
        return args.size() > 1 ? propertyMap(args.at(1)) : QVariantMap();
    return args.isEmpty() ? QVariantMap() : propertyMap(args.constFirst());
}

}  // namespace

NetworkManagerSource::NetworkManagerSource(int timeoutMs, RouteConnectionSource routes)
    : m_bus(QDBusConnection::systemBus()), m_timeoutMs(timeoutMs), m_routes(std::move(routes)) {
    qDBusRegisterMetaType<NmSettings>();
    if (!m_bus.isConnected()) {
        m_absent = true;
        return;
    }
    // The sender is checked against the service's owner in the handlers: subscribing by the service's
    // name would make QtDBus ask the bus for the owner and wait for the answer.
    const char* managerSlot = SLOT(managerSignal(QDBusMessage));
    const char* deviceSlot = SLOT(deviceSignal(QDBusMessage));
    const char* profileSlot = SLOT(profileSignal(QDBusMessage));
    const bool subscribed =
        m_bus.connect({}, kManagerPath, kPropertiesIface, kPropertiesChanged, this, managerSlot) &&
        m_bus.connect({}, kManagerPath, kService, kPropertiesChanged, this, managerSlot) &&
        m_bus.connect({}, kManagerPath, kService, QStringLiteral("StateChanged"), this, managerSlot) &&
        m_bus.connect({}, {}, kPropertiesIface, kPropertiesChanged, {kDeviceIface}, {}, this, deviceSlot) &&
        m_bus.connect({}, {}, kDeviceIface, kPropertiesChanged, this, deviceSlot) &&
        m_bus.connect({}, kSettingsPath, kSettingsIface, QStringLiteral("NewConnection"), this,
                      profileSlot) &&
        m_bus.connect({}, kSettingsPath, kSettingsIface, QStringLiteral("ConnectionRemoved"), this,
                      profileSlot) &&
        m_bus.connect({}, {}, kConnectionIface, QStringLiteral("Updated"), this, profileSlot);
    // Without its signals the source would keep a stale answer: the routes answer instead.
    if (!subscribed) {
        qCWarning(nmLog) << "cannot follow NetworkManager's signals:" << m_bus.lastError().message();
        m_absent = true;
        return;
    }

    m_watcher = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { serviceOwnerChanged(owner); });
    readManager();
    readProfiles();
}

NetworkManagerSource::~NetworkManagerSource() = default;

bool NetworkManagerSource::isConnected() {
    return m_absent ? m_routes.isConnected() : m_connected;
}

std::string NetworkManagerSource::activeConnectionName() {
    return m_absent ? std::string() : m_name;
}

std::vector<std::string> NetworkManagerSource::profileNames() {
    return m_profiles;
}

void NetworkManagerSource::ask(const QString& path, const QString& iface, const QString& method,
                               const QVariantList& args, bool holdsAnswer,
                               std::function<void(const QDBusMessage&)> then) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, iface, method);
    call.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMs), this);
    if (holdsAnswer)
        ++m_held;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, holdsAnswer, epoch = m_epoch, then = std::move(then)](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (epoch == m_epoch)
                    then(w->reply());
                if (holdsAnswer)
                    --m_held;
                publish();
            });
}

void NetworkManagerSource::serviceOwnerChanged(const QString& owner) {
    ++m_epoch;
    m_owner = owner;
    if (owner.isEmpty()) {
        setAbsent();
        publish();
        return;
    }
    // NetworkManager (re)started: everything it said before is forgotten and read again.
    readManager();
    readProfiles();
}

void NetworkManagerSource::readManager() {
    ask(kManagerPath, kPropertiesIface, QStringLiteral("GetAll"), {kService}, true,
        [this](const QDBusMessage& reply) {
            if (!answered(reply)) {
                const QDBusError::ErrorType e = QDBusError(reply).type();
                setAbsent();
                // No answer in time: a NetworkManager that hangs; one that is not there is announced
                // by the bus when it starts.
                if (e == QDBusError::NoReply || e == QDBusError::Timeout || e == QDBusError::TimedOut)
                    QTimer::singleShot(kRetryMs, this, [this, epoch = m_epoch] {
                        if (epoch == m_epoch && m_absent)
                            readManager();
                    });
                return;
            }
            m_owner = reply.service();
            m_absent = false;
            applyManagerProperties(propertyMap(reply.arguments().constFirst()));
        });
}

void NetworkManagerSource::applyManagerProperties(const QVariantMap& changed) {
    auto state = changed.constFind(QStringLiteral("State"));
    if (state != changed.constEnd())
        m_state = state->toUInt();
    auto primary = changed.constFind(QStringLiteral("PrimaryConnection"));
    if (primary != changed.constEnd())
        setPrimary(pathText(*primary));
}

void NetworkManagerSource::setPrimary(const QString& path) {
    if (path == m_primary.path)
        return;
    m_primary = Primary{};
    m_primary.path = path;
    const unsigned read = ++m_primaryRead;
    if (noObject(path))
        return;
    ask(path, kPropertiesIface, QStringLiteral("GetAll"), {kActiveIface}, true,
        [this, read](const QDBusMessage& reply) {
            if (read != m_primaryRead || !answered(reply))
                return;
            const QVariantMap active = propertyMap(reply.arguments().constFirst());
            m_primary.id = active.value(QStringLiteral("Id")).toString();
            m_primary.type = active.value(QStringLiteral("Type")).toString();
            m_primary.profile = pathText(active.value(QStringLiteral("Connection")));
            for (const QDBusObjectPath& device : pathList(active.value(QStringLiteral("Devices"))))
                m_primary.devices << device.path();
            readPrimaryProfile();
            for (const QString& device : std::as_const(m_primary.devices)) {
                ask(device, kPropertiesIface, QStringLiteral("Get"),
                    {kDeviceIface, QStringLiteral("Metered")}, true,
                    [this, read, device](const QDBusMessage& metered) {
                        if (read == m_primaryRead && answered(metered))
                            m_primary.meteredDevices[device] =
                                meteredDevice(unwrap(metered.arguments().constFirst()));
                    });
            }
        });
}

void NetworkManagerSource::readPrimaryProfile() {
    if (noObject(m_primary.profile))
        return;
    ask(m_primary.profile, kConnectionIface, QStringLiteral("GetSettings"), {}, true,
        [this, read = m_primaryRead](const QDBusMessage& reply) {
            std::optional<QVariantMap> profile = profileOf(reply);
            if (read == m_primaryRead && profile)
                m_primary.profileMetered = profile->value(QStringLiteral("metered")).toInt() == kMeteredYes;
        });
}

// The profiles that may be plans: the billed kinds and the metered ones, in NetworkManager's order.
void NetworkManagerSource::readProfiles() {
    const unsigned read = ++m_profilesRead;
    ask(kSettingsPath, kSettingsIface, QStringLiteral("ListConnections"), {}, false,
        [this, read](const QDBusMessage& reply) {
            if (read != m_profilesRead || !answered(reply))
                return;
            const QList<QDBusObjectPath> paths = pathList(reply.arguments().constFirst());
            auto found = std::make_shared<std::vector<std::optional<QVariantMap>>>(paths.size());
            auto left = std::make_shared<std::size_t>(paths.size());
            const auto finish = [this, found] {
                std::vector<std::string> names;
                for (const std::optional<QVariantMap>& profile : *found) {
                    if (names.size() == kMaxProfiles)
                        break;
                    if (profile && (billedKind(profile->value(QStringLiteral("type")).toString()) ||
                                    profile->value(QStringLiteral("metered")).toInt() == kMeteredYes))
                        names.push_back(profile->value(QStringLiteral("id")).toString().toStdString());
                }
                if (names != m_profiles) {
                    m_profiles = std::move(names);
                    profilesChanged();
                }
            };
            if (paths.isEmpty()) {
                finish();
                return;
            }
            for (qsizetype i = 0; i < paths.size(); ++i) {
                ask(paths.at(i).path(), kConnectionIface, QStringLiteral("GetSettings"), {}, false,
                    [this, read, found, left, finish, i](const QDBusMessage& settings) {
                        if (read != m_profilesRead)
                            return;
                        (*found)[static_cast<std::size_t>(i)] = profileOf(settings);
                        if (--*left == 0)
                            finish();
                    });
            }
        });
}

void NetworkManagerSource::setAbsent() {
    m_absent = true;
    m_state = 0;
    m_primary = Primary{};
    ++m_primaryRead;
}

bool NetworkManagerSource::fromNetworkManager(const QDBusMessage& message) const {
    return !m_owner.isEmpty() && message.service() == m_owner;
}

void NetworkManagerSource::managerSignal(const QDBusMessage& message) {
    if (!fromNetworkManager(message))
        return;
    if (message.member() == QLatin1String("StateChanged")) {
        if (!message.arguments().isEmpty())
            m_state = message.arguments().constFirst().toUInt();
    } else if (message.interface() != kPropertiesIface ||
               message.arguments().value(0).toString() == kService) {
        applyManagerProperties(changedProperties(message));
    }
    publish();
}

void NetworkManagerSource::deviceSignal(const QDBusMessage& message) {
    if (!fromNetworkManager(message) || !m_primary.devices.contains(message.path()))
        return;
    const QVariantMap changed = changedProperties(message);
    auto metered = changed.constFind(QStringLiteral("Metered"));
    if (metered == changed.constEnd())
        return;
    m_primary.meteredDevices[message.path()] = meteredDevice(*metered);
    publish();
}

void NetworkManagerSource::profileSignal(const QDBusMessage& message) {
    if (!fromNetworkManager(message))
        return;
    readProfiles();
    // A profile edited while it is in use may have become metered, or stopped being so.
    if (message.member() == QLatin1String("Updated") && message.path() == m_primary.profile)
        readPrimaryProfile();
}

// The tick's answers follow what NetworkManager said once no answer that they wait for is out.
void NetworkManagerSource::publish() {
    if (m_held > 0)
        return;
    m_connected = m_state == kConnectedSite || m_state == kConnectedGlobal;
    const bool billed = !noObject(m_primary.path) &&
                        (billedKind(m_primary.type) || m_primary.profileMetered ||
                         std::any_of(m_primary.meteredDevices.cbegin(), m_primary.meteredDevices.cend(),
                                     [](bool metered) { return metered; }));
    m_name = billed ? m_primary.id.toStdString() : std::string();
}

}  // namespace vq
