// The INI store's file-system services over files kept in memory. Changes are reported as the
// system's notifications report them, and every change gives the file a new stamp (times from a
// counter, long past, so that no file is ever "changed too recently" to be trusted by its stamp).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/ini_fs.h"
#include "memory_files.h"

namespace vq {
namespace {

struct Memory {
    std::map<std::string, std::string> files;  // full path -> bytes
    std::map<std::string, ini::Stamp> stamps;  // files and folders
    std::map<int, std::string> watches;
    std::vector<ini::Change> changes;
    std::uint64_t inodes = 0;
    std::int64_t clock = 0;
    int lastWatch = 0;
};

Memory& memory() {
    static Memory m;
    return m;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

void restamp(const std::string& path, bool newInode) {
    Memory& m = memory();
    ini::Stamp& s = m.stamps[path];
    if (newInode || s.inode == 0)
        s.inode = ++m.inodes;
    auto file = m.files.find(path);
    s.size = file == m.files.end() ? 0 : file->second.size();
    s.modifiedNs = s.changedNs = ++m.clock;
}

void report(const std::string& path, unsigned what) {
    Memory& m = memory();
    const std::string folder = folderOf(path);
    for (const auto& [watch, watched] : m.watches)
        if (watched == folder)
            m.changes.push_back({watch, path.substr(folder.size() + 1), what});
    if (what & (ini::Added | ini::Removed))
        restamp(folder, false);
}

}  // namespace

namespace fuzz {

const std::string& memoryFolder() {
    static const std::string folder = [] {
        const std::string path = "/in-memory";
        restamp(path, true);
        return path;
    }();
    return folder;
}

void putFile(const std::string& path, const std::string& bytes) {
    Memory& m = memory();
    const bool fresh = m.files.count(path) == 0;
    m.files[path] = bytes;
    restamp(path, fresh);
    report(path, fresh ? ini::Added | ini::Modified : ini::Modified);
}

void removeFile(const std::string& path) {
    Memory& m = memory();
    if (m.files.erase(path) == 0)
        return;
    m.stamps.erase(path);
    report(path, ini::Removed);
}

}  // namespace fuzz

namespace ini {

Probe probe(const std::string& path) {
    Memory& m = memory();
    Probe p;
    auto s = m.stamps.find(path);
    if (s == m.stamps.end())
        return p;
    p.kind = m.files.count(path) ? Kind::File : Kind::Folder;
    p.stamp = s->second;
    return p;
}

bool readWhole(const std::string& path, std::string& bytes, Stamp& stamp) {
    Memory& m = memory();
    auto f = m.files.find(path);
    if (f == m.files.end())
        return false;
    bytes = f->second;
    stamp = m.stamps[path];
    return true;
}

bool listNames(const std::string& dir, std::vector<std::string>& names) {
    Memory& m = memory();
    names.clear();
    if (m.stamps.count(dir) == 0 || m.files.count(dir))
        return false;
    for (const auto& [path, _] : m.files)
        if (folderOf(path) == dir)
            names.push_back(path.substr(dir.size() + 1));
    return true;
}

std::string absoluteFolder(const std::string& dir) {
    return dir;
}

std::string finalTarget(const std::string& path) {
    return path;
}

bool replaceFile(const std::string& dir, const std::string& name, const std::string& bytes,
                 bool simulateFullDisk, bool) {
    Memory& m = memory();
    if (simulateFullDisk || m.stamps.count(dir) == 0 || m.files.count(dir))
        return false;
    const std::string path = dir + "/" + name;
    m.files[path] = bytes;
    restamp(path, true);  // a rename brings another file
    report(path, Added);
    return true;
}

bool isTemporaryName(const std::string&) {
    return false;  // these files are replaced without temporaries
}

void sweepStaleTemporaries(const std::string&) {}

int watchFolder(const std::string& dir) {
    Memory& m = memory();
    if (m.stamps.count(dir) == 0 || m.files.count(dir))
        return -1;
    m.watches[++m.lastWatch] = dir;
    return m.lastWatch;
}

void unwatchFolder(int watch) {
    memory().watches.erase(watch);
}

void takeChanges(std::vector<Change>& out) {
    Memory& m = memory();
    for (Change& c : m.changes)
        if (m.watches.count(c.watch))
            out.push_back(std::move(c));
    m.changes.clear();
}

}  // namespace ini
}  // namespace vq
