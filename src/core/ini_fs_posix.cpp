// The INI store's file-system services on POSIX systems (inotify change notifications on Linux).
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "core/ini_fs.h"

#ifdef __linux__
#include <poll.h>
#include <stdio.h>  // renameat2
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#endif

namespace vq::ini {
namespace {

constexpr const char* kTempMark = ".vqtmp.";

Stamp stampOf(const struct stat& st) {
    Stamp s;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

mode_t newFileMode() {
    static const mode_t mode = [] {
        mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

void syncFolder(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Probe probe(const std::string& path) {
    Probe p;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return p;
    if (S_ISLNK(st.st_mode)) {
        p.link = true;
        if (::stat(path.c_str(), &st) != 0)
            return p;
    }
    p.kind = S_ISDIR(st.st_mode) ? Kind::Folder : S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
    p.stamp = stampOf(st);
    return p;
}

bool readWhole(const std::string& path, std::string& bytes, Stamp& stamp) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    stamp = stampOf(st);
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

bool listNames(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return false;
    while (dirent* e = ::readdir(d)) {
        if (e->d_type == DT_DIR)
            continue;
        names.emplace_back(e->d_name);
    }
    ::closedir(d);
    return true;
}

std::string absoluteFolder(const std::string& dir) {
    if (!dir.empty() && dir.front() == '/')
        return dir;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd))
        return dir;
    std::string abs(cwd);
    if (dir.empty() || dir == ".")
        return abs;
    return (abs == "/" ? "" : abs) + "/" + dir;
}

std::string finalTarget(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf))
        return buf;
    return path;
}

#ifdef __linux__

namespace {

enum class Exchange { Done, Failed, Unavailable };

// A file rewritten every second (the crash state) is replaced by exchanging it with a spare copy
// kept beside it, ".<name>.vqtmp.spare": the spare is overwritten in place and the two names are
// swapped in one step, so no file is created or deleted on each write, which on a journalled file
// system is most of the cost of a replacement. Readers see the old file or the new one, whole, as
// with a rename. Unavailable where the file system cannot exchange names (the caller then replaces
// the file the ordinary way) or when the spare is not a plain file of ours.
Exchange exchangeWithSpare(const std::string& dir, const std::string& name, const std::string& bytes,
                           const struct stat& old, bool simulateFullDisk, bool flush) {
    const std::string target = dir + "/" + name;
    const std::string spare = dir + "/." + name + kTempMark + "spare";
    const mode_t mode = old.st_mode & 07777;
    int fd = -1;
    // Another process writing the same file holds the spare's lock; once it has it, the spare must
    // still be the file under the spare's name (the other writer may just have swapped it in).
    for (int attempt = 0; attempt < 3 && fd < 0; ++attempt) {
        fd = ::open(spare.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0)
            return Exchange::Unavailable;
        struct stat locked, named;
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode) ||
            locked.st_nlink != 1) {
            ::close(fd);
            return Exchange::Unavailable;
        }
        if (::stat(spare.c_str(), &named) != 0 || named.st_ino != locked.st_ino ||
            named.st_dev != locked.st_dev) {
            ::close(fd);
            fd = -1;
            continue;
        }
        if ((locked.st_uid != old.st_uid || locked.st_gid != old.st_gid) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only a privileged process may give the file back to its owner; others keep theirs.
        }
        if ((locked.st_mode & 07777) != mode && ::fchmod(fd, mode) != 0) {
            ::close(fd);
            return Exchange::Unavailable;
        }
    }
    if (fd < 0)
        return Exchange::Unavailable;
    const bool written = writeAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
                         (!flush || ::fsync(fd) == 0) && !simulateFullDisk;
    if (!written) {
        ::close(fd);
        return Exchange::Failed;
    }
    if (::renameat2(AT_FDCWD, spare.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EINVAL || why == ENOSYS || why == ENOTSUP || why == EPERM) {
            ::unlink(spare.c_str());
            return Exchange::Unavailable;
        }
        return Exchange::Failed;
    }
    ::close(fd);
    return Exchange::Done;
}

}  // namespace

#endif

bool replaceFile(const std::string& dir, const std::string& name, const std::string& bytes,
                 bool simulateFullDisk, bool flush) {
    const std::string target = dir + "/" + name;
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A file its owner made read-only stays as it is, as it would if it were written in place.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return false;
#ifdef __linux__
    // The spare is made by the first write that does not wait for the disk (the writes that come
    // every second) and then used by every write of that file.
    if (exists && S_ISREG(old.st_mode) && old.st_nlink == 1) {
        struct stat spare;
        if (!flush || ::lstat((dir + "/." + name + kTempMark + "spare").c_str(), &spare) == 0) {
            switch (exchangeWithSpare(dir, name, bytes, old, simulateFullDisk, flush)) {
                case Exchange::Done:
                    if (flush)
                        syncFolder(dir);
                    return true;
                case Exchange::Failed:
                    return false;
                case Exchange::Unavailable:
                    break;
            }
        }
    }
#endif
    std::string temp = dir + "/." + name + kTempMark + std::to_string(::getpid()) + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    if (exists && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only a privileged process may give the file back to its owner; others keep theirs.
    }
    mode_t mode = exists ? (old.st_mode & 07777) : newFileMode();
    bool ok =
        writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && (!flush || ::fsync(fd) == 0) && !simulateFullDisk;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    if (flush)
        syncFolder(dir);
    return true;
}

bool isTemporaryName(const std::string& name) {
    return !name.empty() && name.front() == '.' && name.find(kTempMark) != std::string::npos;
}

void sweepStaleTemporaries(const std::string& dir) {
    std::vector<std::string> names;
    if (!listNames(dir, names))
        return;
    for (const std::string& n : names) {
        // ".<name>.vqtmp.<pid>.XXXXXX"
        std::size_t mark = n.rfind(kTempMark);
        if (n.empty() || n.front() != '.' || mark == std::string::npos)
            continue;
        std::size_t pidStart = mark + std::strlen(kTempMark);
        std::size_t dot = n.find('.', pidStart);
        if (dot == std::string::npos || dot == pidStart || n.size() - dot != 7)
            continue;
        errno = 0;
        char* end = nullptr;
        long pid = std::strtol(n.c_str() + pidStart, &end, 10);
        if (end != n.c_str() + dot || pid <= 0 || errno)
            continue;
        if (pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink((dir + "/" + n).c_str());
    }
}

#ifdef __linux__

namespace {

int notifier() {
    static const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return fd;
}

// File systems whose changes made by other machines raise no notification here.
bool remoteFileSystem(const std::string& dir) {
    struct statfs fs;
    if (::statfs(dir.c_str(), &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x65735546:  // FUSE
        case 0x01021997:  // 9P
        case 0x00C36400:  // Ceph
        case 0x564C:      // NCP
        case 0x5346414F:  // AFS
            return true;
        default:
            return false;
    }
}

}  // namespace

int watchFolder(const std::string& dir) {
    int fd = notifier();
    if (fd < 0 || remoteFileSystem(dir))
        return -1;
    return ::inotify_add_watch(fd, dir.c_str(),
                               IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_MODIFY |
                                   IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
}

void unwatchFolder(int watch) {
    if (notifier() >= 0 && watch >= 0)
        ::inotify_rm_watch(notifier(), watch);
}

void takeChanges(std::vector<Change>& out) {
    int fd = notifier();
    if (fd < 0)
        return;
    // poll() costs less than a read() that finds nothing, the common case.
    struct pollfd ready = {fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0)
        return;
    alignas(inotify_event) char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        for (ssize_t off = 0; off < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buf + off);
            off += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            unsigned what = 0;
            if (e->mask & IN_Q_OVERFLOW)
                what |= Overflow;
            if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))
                what |= FolderGone;
            if (!(e->mask & IN_ISDIR)) {
                if (e->mask & (IN_CREATE | IN_MOVED_TO))
                    what |= Added;
                if (e->mask & (IN_DELETE | IN_MOVED_FROM))
                    what |= Removed;
                if (e->mask & (IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB))
                    what |= Modified;
            }
            if (what)
                out.push_back({e->wd, e->len ? std::string(e->name) : std::string(), what});
        }
    }
}

#else

int watchFolder(const std::string&) {
    return -1;
}
void unwatchFolder(int) {}
void takeChanges(std::vector<Change>&) {}

#endif

}  // namespace vq::ini

#endif  // _WIN32
