#include "shell/qt/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace vq {
namespace {

constexpr char kShowRequest[] = "show\n";

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent),
      m_dataFolder(dataFolder),
      m_lock(std::make_unique<QLockFile>(QDir(dataFolder).filePath(QStringLiteral("varlotte.lock")))) {
    // A copy killed outright leaves its lock behind; QLockFile sees that its process is gone.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

// The socket lives in the user's runtime folder (XDG_RUNTIME_DIR, else a private folder of the user's
// that Qt creates and checks), which the session empties: the files that killed copies leave there
// do not pile up in the shared temporary folder. A stale one is taken over by the next start.
QString SingleInstance::serverName(const QString& dataFolder) {
    const QByteArray key = QDir(dataFolder).canonicalPath().toUtf8();
    const QString name =
        QStringLiteral("varlotte-qyr-") +
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
#ifdef Q_OS_WIN
    return name;  // a named pipe, which leaves no file behind
#else
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : QDir(runtime).filePath(name);
#endif
}

bool SingleInstance::acquire(int waitMs) {
    if (m_lock->tryLock(0)) {
        listen();
        return true;
    }
    if (askRunningCopyToShow())
        return false;
    // Nobody answered: the other copy is ending (a restart) or died; wait for its lock.
    if (m_lock->tryLock(waitMs) || takeOverUnreadableLock()) {
        listen();
        return true;
    }
    askRunningCopyToShow();
    return false;
}

// A lock file that still names no owner after the wait was left by a copy that died while creating
// it, or by a power loss before its content reached the disk: nobody holds it. A live owner keeps a
// system lock on its file, which makes the removal fail.
bool SingleInstance::takeOverUnreadableLock() {
    qint64 pid = 0;
    QString host, application;
    if (m_lock->getLockInfo(&pid, &host, &application))
        return false;
    return m_lock->removeStaleLockFile() && m_lock->tryLock(0);
}

bool SingleInstance::askRunningCopyToShow() {
    QLocalSocket socket;
    socket.connectToServer(serverName(m_dataFolder));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(1000);
    // The running copy answers once it has taken the request.
    const bool answered = socket.waitForReadyRead(2000) && socket.readAll().startsWith("ok");
    socket.disconnectFromServer();
    return answered;
}

void SingleInstance::listen() {
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(m_dataFolder);
    if (!m_server->listen(name)) {
        // A server file left by a copy that was killed; this copy holds the lock, so it is stale.
        QLocalServer::removeServer(name);
        m_server->listen(name);
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->readAll().startsWith("show"))
                    return;
                socket->write("ok\n");
                socket->flush();
                if (showRequested)
                    showRequested();
            });
        }
    });
}

}  // namespace vq
