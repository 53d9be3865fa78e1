// The INI store's file-system services over files kept in memory. Changes are reported as the
// system's notifications report them, and every change gives the file a new stamp (times from a
// counter, long past, so that no file is ever "changed too recently" to be trusted by its stamp).
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/ini_fs.h"
#include "memory_files.h"

namespace vq {
namespace {

// A file or a folder; lookups by full path happen on every call of the store, so one hash lookup
// answers each.
struct Entry {
    bool file = false;
    std::string bytes;
    ini::Stamp stamp;
};

struct Memory {
    std::unordered_map<std::string, Entry> entries;  // full path -> file or folder
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

bool isFolder(const std::string& path) {
    auto e = memory().entries.find(path);
    return e != memory().entries.end() && !e->second.file;
}

void restamp(Entry& e, bool newInode) {
    Memory& m = memory();
    if (newInode || e.stamp.inode == 0)
        e.stamp.inode = ++m.inodes;
    e.stamp.size = e.file ? e.bytes.size() : 0;
    e.stamp.modifiedNs = e.stamp.changedNs = ++m.clock;
}

void report(const std::string& path, unsigned what) {
    Memory& m = memory();
    const std::string folder = folderOf(path);
    for (const auto& [watch, watched] : m.watches)
        if (watched == folder)
            m.changes.push_back({watch, path.substr(folder.size() + 1), what});
    if (what & (ini::Added | ini::Removed))
        restamp(m.entries[folder], false);
}

// Writes a file; `newInode` when it is another file than the one that was there.
void store(const std::string& path, const std::string& bytes, bool newInode, unsigned what) {
    Entry& e = memory().entries[path];
    e.file = true;
    e.bytes = bytes;
    restamp(e, newInode);
    report(path, what);
}

}  // namespace

namespace fuzz {

const std::string& memoryFolder() {
    static const std::string folder = [] {
        const std::string path = "/in-memory";
        restamp(memory().entries[path], true);
        return path;
    }();
    return folder;
}

void emptyFolder(const std::string& path) {
    Memory& m = memory();
    std::vector<std::string> inside;
    for (const auto& [p, e] : m.entries)
        if (e.file && folderOf(p) == path)
            inside.push_back(p);
    for (const std::string& p : inside)
        removeFile(p);
    Entry& folder = m.entries[path];
    if (folder.stamp.inode == 0)
        restamp(folder, true);
}

void putFile(const std::string& path, const std::string& bytes) {
    auto e = memory().entries.find(path);
    const bool fresh = e == memory().entries.end();
    store(path, bytes, fresh, fresh ? ini::Added | ini::Modified : ini::Modified);
}

void removeFile(const std::string& path) {
    Memory& m = memory();
    auto e = m.entries.find(path);
    if (e == m.entries.end() || !e->second.file)
        return;
    m.entries.erase(e);
    report(path, ini::Removed);
}

}  // namespace fuzz

namespace ini {

Probe probe(const std::string& path) {
    Memory& m = memory();
    Probe p;
    auto e = m.entries.find(path);
    if (e == m.entries.end())
        return p;
    p.kind = e->second.file ? Kind::File : Kind::Folder;
    p.stamp = e->second.stamp;
    return p;
}

bool readWhole(const std::string& path, std::string& bytes, Stamp& stamp) {
    Memory& m = memory();
    auto e = m.entries.find(path);
    if (e == m.entries.end() || !e->second.file)
        return false;
    bytes = e->second.bytes;
    stamp = e->second.stamp;
    return true;
}

bool listNames(const std::string& dir, std::vector<std::string>& names) {
    Memory& m = memory();
    names.clear();
    if (!isFolder(dir))
        return false;
    for (const auto& [path, e] : m.entries)
        if (e.file && folderOf(path) == dir)
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
    if (simulateFullDisk || !isFolder(dir))
        return false;
    store(dir + "/" + name, bytes, true, Added);  // a rename brings another file
    return true;
}

bool isTemporaryName(const std::string&) {
    return false;  // these files are replaced without temporaries
}

void sweepStaleTemporaries(const std::string&) {}

int watchFolder(const std::string& dir) {
    Memory& m = memory();
    if (!isFolder(dir))
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
