#include "shell/qt/desktop_notifications_dbus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace vq {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kDesktopId = QStringLiteral("varlotte-qyr");

}  // namespace

DBusNotifications::DBusNotifications(QObject* parent) : QObject(parent) {}

void DBusNotifications::show(const std::string& summary, const std::string& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // A call to a name that nobody owns would come back as an error, or make the bus start a
    // service: ask first whether the service runs.
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << kService;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    const QString title = QString::fromStdString(summary);
    const QString text = QString::fromStdString(body);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [title, text](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<bool> owned = *call;
        if (owned.isError() || !owned.value())
            return;
        QDBusMessage notify =
            QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
        notify.setAutoStartService(false);
        const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopId}};
        notify << QStringLiteral("Varlotte Qyr") << 0u << kDesktopId << title << text << QStringList()
               << hints << -1;
        // The notification's id is of no use to the program: its answer is not awaited.
        QDBusConnection::sessionBus().send(notify);
    });
}

}  // namespace vq
