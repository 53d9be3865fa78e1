#include "shell/qt/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vq {
namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kAnswer[] = "ok\n";

// The socket address of `path`; false when the path does not fit.
bool socketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

// Waits up to `ms` for `fd` to be ready for `events`.
bool waitFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & events);
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent),
      m_dataFolder(dataFolder),
      m_lock(std::make_unique<QLockFile>(QDir(dataFolder).filePath(QStringLiteral("varlotte.lock")))) {
    // A copy killed outright leaves its lock behind; QLockFile sees that its process is gone.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (m_server >= 0)
        ::close(m_server);
}

// The socket lives in the user's runtime folder (XDG_RUNTIME_DIR, else a private folder of the user's
// that Qt creates and checks), which the session empties: the files that killed copies leave there
// do not pile up in the shared temporary folder. A stale one is taken over by the next start.
QString SingleInstance::serverName(const QString& dataFolder) {
    const QByteArray key = QDir(dataFolder).canonicalPath().toUtf8();
    const QString name =
        QStringLiteral("varlotte-qyr-") +
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(runtime.isEmpty() ? QDir::tempPath() : runtime).filePath(name);
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
    sockaddr_un address;
    if (!socketAddress(serverName(m_dataFolder), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answered = false;
    // A local connection is made or refused at once; only the answer is waited for.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, kShowRequest, sizeof kShowRequest - 1, MSG_NOSIGNAL) == sizeof kShowRequest - 1) {
        // The running copy answers once it has taken the request.
        char reply[8] = {};
        answered = waitFor(fd, POLLIN, 2000) && ::recv(fd, reply, sizeof reply, 0) >= 2 &&
                   std::strncmp(reply, "ok", 2) == 0;
    }
    ::close(fd);
    return answered;
}

void SingleInstance::listen() {
    sockaddr_un address;
    if (!socketAddress(serverName(m_dataFolder), address))
        return;
    m_server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_server < 0)
        return;
    // Only the user may connect; a file left by a copy that was killed is stale, since this copy
    // holds the lock.
    const mode_t mask = ::umask(077);
    bool bound = ::bind(m_server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!bound && errno == EADDRINUSE) {
        ::unlink(address.sun_path);
        bound = ::bind(m_server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ::umask(mask);
    if (!bound || ::listen(m_server, 4) != 0) {
        ::close(m_server);
        m_server = -1;
        return;
    }
    auto* notifier = new QSocketNotifier(m_server, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptRequests);
}

// Each request is one short line sent at once by a starting copy, which waits for the answer.
void SingleInstance::acceptRequests() {
    for (;;) {
        const int client = ::accept4(m_server, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        char request[8] = {};
        const bool show = waitFor(client, POLLIN, 1000) && ::recv(client, request, sizeof request, 0) >= 4 &&
                          std::strncmp(request, "show", 4) == 0;
        if (show)
            ::send(client, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL);
        ::close(client);
        if (show && showRequested)
            showRequested();
    }
}

}  // namespace vq
