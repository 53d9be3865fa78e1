// The NetworkManager source against python-dbusmock's NetworkManager on a private system bus.
#include "engine/qt/connection_source_dbus.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <filesystem>

#include "support/fakes.h"

using NmConnectionSettings = QMap<QString, QVariantMap>;
Q_DECLARE_METATYPE(NmConnectionSettings)

namespace vq::test {
namespace {

const QString kNm = QStringLiteral("org.freedesktop.NetworkManager");
const QString kNmPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

class MockNetworkManager {
public:
    explicit MockNetworkManager(const std::string& folder) {
        m_daemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
             QStringLiteral("--address=unix:path=") + QString::fromStdString(folder) + "/bus"});
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000))
            return;
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        // The program's side reaches the bus as its system bus.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    }
    ~MockNetworkManager() {
        for (QProcess* p : {&m_mock, &m_daemon}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    void stopService() {
        m_mock.terminate();
        m_mock.waitForFinished(5000);
    }
    bool startService() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        m_mock.setProcessEnvironment(env);
        m_mock.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                      QStringLiteral("--template"), QStringLiteral("networkmanager")});
        if (!m_mock.waitForStarted(5000))
            return false;
        QDBusConnection bus = control();
        QElapsedTimer t;
        t.start();
        while (!bus.interface()->isServiceRegistered(kNm)) {
            if (t.elapsed() > 15000 || m_mock.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(50);
        }
        return true;
    }

    QDBusConnection control() { return QDBusConnection::connectToBus(address, QStringLiteral("control")); }

    QVariant call(const QString& path, const QString& iface, const QString& method,
                  const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(kNm, path, iface, method);
        m.setArguments(args);
        QDBusMessage r = control().call(m, QDBus::Block, 5000);
        EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
        return r.arguments().isEmpty() ? QVariant() : r.arguments().constFirst();
    }
    QVariant mock(const QString& method, const QVariantList& args) {
        return call(kNmPath, kMock, method, args);
    }

    QString addProfile(const QString& id, const QString& type, int metered) {
        NmConnectionSettings s;
        s[QStringLiteral("connection")] = QVariantMap{{QStringLiteral("id"), id},
                                                      {QStringLiteral("type"), type},
                                                      {QStringLiteral("uuid"), id + QStringLiteral("-uuid")},
                                                      {QStringLiteral("metered"), metered}};
        return call(QStringLiteral("/org/freedesktop/NetworkManager/Settings"),
                    QStringLiteral("org.freedesktop.NetworkManager.Settings"),
                    QStringLiteral("AddConnection"), {QVariant::fromValue(s)})
            .value<QDBusObjectPath>()
            .path();
    }
    void activate(const QString& device, const QString& profile, const QString& label) {
        QString active = mock(QStringLiteral("AddActiveConnection"),
                              {QStringList{device}, profile, QStringLiteral("/"), label, 2u})
                             .toString();
        mock(QStringLiteral("SetProperty"),
             {kNmPath, kNm, QStringLiteral("PrimaryConnection"),
              QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(active))))});
    }
    void setState(unsigned state) { mock(QStringLiteral("SetGlobalConnectionState"), {state}); }
    void setMetered(const QString& device, unsigned metered) {
        mock(QStringLiteral("SetProperty"),
             {device, QStringLiteral("org.freedesktop.NetworkManager.Device"), QStringLiteral("Metered"),
              QVariant::fromValue(QDBusVariant(metered))});
    }

    QString address;

private:
    QProcess m_daemon;
    QProcess m_mock;
};

// One source sees NetworkManager absent, appearing, changing, stopping and starting again; every
// answer comes from what its signals said.
TEST(NetworkManagerSourceTest, FollowsNetworkManagerElseTheRoutes) {
    qDBusRegisterMetaType<NmConnectionSettings>();
    TempDir dir;
    MockNetworkManager nm(dir.path());
    ASSERT_FALSE(nm.address.isEmpty()) << "dbus-daemon is needed (scripts/setup.sh installs it)";

    // No NetworkManager on the bus yet: the default route decides.
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("proc/net"));
    fs::create_directories(dir.file("sys/class/net/ppp0"));
    writeFile(dir.file("proc/net/route"),
              "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\n"
              "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\n");
    writeFile(dir.file("sys/class/net/ppp0/flags"), "0x1091\n");
    writeFile(dir.file("sys/class/net/ppp0/operstate"), "unknown\n");
    NetworkManagerSource source(500, RouteConnectionSource(dir.file("proc"), dir.file("sys")));
    int listsSeen = 0;
    source.setProfilesListener([&listsSeen] { ++listsSeen; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return source.isConnected(); }));
    EXPECT_EQ(source.activeConnectionName(), "");
    EXPECT_TRUE(source.profileNames().empty());

    // NetworkManager starts: its state replaces the routes'.
    ASSERT_TRUE(nm.startService()) << "python-dbusmock is needed under /usr/bin/python3";
    nm.mock(QStringLiteral("AddProperty"),
            {kNm, QStringLiteral("PrimaryConnection"),
             QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))))});
    QString device =
        nm.mock(QStringLiteral("AddEthernetDevice"), {QStringLiteral("eth0"), QStringLiteral("eth0"), 100})
            .toString();
    nm.call(device, kMock, QStringLiteral("AddProperty"),
            {QStringLiteral("org.freedesktop.NetworkManager.Device"), QStringLiteral("Metered"),
             QVariant::fromValue(QDBusVariant(2u))});
    nm.setState(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !source.isConnected(); }));

    // Profiles: the billed kinds and the metered ones, in the service's order, at most eleven.
    QString box = nm.addProfile(QStringLiteral("Box"), QStringLiteral("802-3-ethernet"), 2);
    QString metered = nm.addProfile(QStringLiteral("Partage"), QStringLiteral("802-3-ethernet"), 1);
    QString mobile = nm.addProfile(QStringLiteral("Mobile"), QStringLiteral("gsm"), 0);
    for (int i = 1; i <= 10; ++i)
        nm.addProfile(QStringLiteral("Modem %1").arg(i),
                      i % 2 ? QStringLiteral("pppoe") : QStringLiteral("cdma"), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return source.profileNames().size() == 11; }));
    std::vector<std::string> names = source.profileNames();
    EXPECT_EQ(names[0], "Partage");
    EXPECT_EQ(names[1], "Mobile");
    EXPECT_EQ(names[10], "Modem 9");
    EXPECT_GT(listsSeen, 0);

    nm.setState(60);
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.isConnected(); }));
    nm.setState(50);  // local only
    EXPECT_TRUE(QTest::qWaitFor([&] { return !source.isConnected(); }));
    nm.setState(70);
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.isConnected(); }));
    EXPECT_EQ(source.activeConnectionName(), "");  // no primary connection

    // The primary connection changes; its name counts when it is billed or metered.
    nm.activate(device, mobile, QStringLiteral("a1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeConnectionName() == "Mobile"; }));
    nm.activate(device, box, QStringLiteral("a2"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeConnectionName().empty(); }));
    nm.activate(device, metered, QStringLiteral("a3"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeConnectionName() == "Partage"; }));
    // The device, then the profile in use, become metered.
    nm.activate(device, box, QStringLiteral("a4"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeConnectionName().empty(); }));
    nm.setMetered(device, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeConnectionName() == "Box"; }));
    nm.setMetered(device, 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeConnectionName().empty(); }));
    NmConnectionSettings update;
    update[QStringLiteral("connection")] = QVariantMap{{QStringLiteral("metered"), 1}};
    nm.call(box, QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection"),
            QStringLiteral("Update"), {QVariant::fromValue(update)});
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeConnectionName() == "Box"; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.profileNames().front() == "Box"; }));
    EXPECT_EQ(source.profileNames().size(), 11u);

    // NetworkManager stops: the routes answer again; it restarts with nothing known: its answers return.
    nm.setState(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !source.isConnected(); }));
    nm.stopService();
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.isConnected(); }));
    EXPECT_EQ(source.activeConnectionName(), "");
    ASSERT_TRUE(nm.startService());
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.profileNames().empty(); }));
    nm.setState(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !source.isConnected(); }));
}

}  // namespace
}  // namespace vq::test
