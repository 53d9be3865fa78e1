#include "core/ini_store.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "core/ini_fs.h"
#include "core/ini_text.h"
#include "core/utf8.h"

// The store keeps one parsed copy per file (the program's only global mutable state). A copy is
// trusted only while nothing else can have changed the file:
// - where the system sends folder change notifications, a copy stays valid until a notification
//   names its file (or its folder goes, or notifications overflow); a call then costs one
//   non-blocking read of the notification queue and no file-system lookup;
// - elsewhere every call compares the file's stamp (size, times in nanoseconds, device and inode);
//   a file changed less than two seconds before it was read is also compared by content, since a
//   second change of the same size within the time stamp's granularity leaves the stamp as it was.
// File names are matched case-blind within their folder: among several names that differ only by
// case, the one first in byte order is the file, whichever spelling the caller used.

namespace vq {
namespace {

constexpr std::int64_t kRacyWindowNs = 2'000'000'000;

std::int64_t wallClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::int64_t steadyClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool recentlyChanged(const ini::Stamp& s, std::int64_t now) {
    return s.changedNs > now - kRacyWindowNs || s.modifiedNs > now - kRacyWindowNs;
}

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::string join(const std::string& dir, const std::string& name) {
    if (!dir.empty() && isSeparator(dir.back()))
        return dir + name;
    return dir + "/" + name;
}

bool splitPath(const std::string& path, std::string& dir, std::string& name) {
    std::size_t slash = path.size();
    while (slash > 0 && !isSeparator(path[slash - 1]))
        --slash;
    if (slash == 0) {
        dir = ".";
    } else {
        std::size_t end = slash - 1;
        while (end > 0 && isSeparator(path[end - 1]))
            --end;
        dir = path.substr(0, end == 0 || path[end - 1] == ':' ? end + 1 : end);
    }
    name = path.substr(slash);
    return !name.empty() && name != "." && name != "..";
}

bool hasBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool valueWritable(std::string_view v) {
    return !hasBreakOrNul(v) && utf8::isValid(v);
}

struct CachedFile {
    std::shared_ptr<const ini::Document> doc;
    ini::Stamp stamp;
    bool recheck = false;  // a notification named the file: compare its stamp
    bool reread = false;   // its content changed in place: read it again
    bool racy = false;     // changed too recently for its stamp to tell a later change
    bool link = false;     // a symbolic link: its target's folder sends us nothing
};

struct Folder {
    std::string path;  // absolute
    int watch = -1;
    bool listed = false;
    ini::Stamp stamp;
    bool racy = false;
    bool swept = false;
    std::unordered_map<std::string, std::string> chosen;  // folded name -> name on disk
    std::unordered_map<std::string, CachedFile> files;    // by name on disk
};

class Store {
public:
    std::mutex mutex;
    bool watching = true;
    bool failWrites = false;
    std::uint64_t replacements = 0;
    std::uint64_t flushes = 0;

    std::string read(std::string_view section, std::string_view key, const std::string& path);
    std::vector<std::pair<std::string, std::string>> readSection(std::string_view section,
                                                                 const std::string& path);
    // `flushEveryNs` 0: the replacement is flushed to disk; otherwise only when the file's last
    // flushed replacement is at least that old.
    bool write(const std::string& path, const std::vector<ini::Write>& writes, std::int64_t flushEveryNs = 0);
    std::string resolve(const std::string& path);
    std::shared_ptr<const ini::Document> snapshot(const std::string& path) { return parsed(path); }
    void clear();

private:
    std::unordered_map<std::string, Folder> m_folders;
    std::unordered_multimap<int, std::string> m_byWatch;
    std::vector<ini::Change> m_changes;
    // When each file replaced with a deferred flush was last flushed, on the steady clock, by path.
    std::unordered_map<std::string, std::int64_t> m_flushedAt;
    // Bumped by every notification, write and clearing: the last file read stays valid until then.
    std::uint64_t m_epoch = 1;
    struct {
        std::string path;
        std::uint64_t epoch = 0;
        std::shared_ptr<const ini::Document> doc;
        // Without notifications: valid while the folder and the file keep the stamps they had.
        bool stamped = false;
        std::string folder, file;
        ini::Stamp folderStamp, fileStamp;
    } m_recent;

    void applyChanges();
    // The parsed copy of the file at `path`; null when it is missing or unreadable.
    std::shared_ptr<const ini::Document> parsed(const std::string& path);
    Folder& folderFor(const std::string& dir);
    void list(Folder& f);
    const std::string* chosenName(Folder& f, const std::string& name);
    std::shared_ptr<const ini::Document> document(Folder& f, const std::string& name, bool& unreadable);
};

void Store::applyChanges() {
    m_changes.clear();
    ini::takeChanges(m_changes);
    if (!m_changes.empty())
        ++m_epoch;
    for (const ini::Change& c : m_changes) {
        if (c.what & ini::Overflow) {
            for (auto& [_, f] : m_folders) {
                f.listed = false;
                for (auto& [__, file] : f.files)
                    file.reread = true;
            }
            continue;
        }
        auto range = m_byWatch.equal_range(c.watch);
        if (c.what & ini::FolderGone) {
            for (auto it = range.first; it != range.second; ++it)
                m_folders.erase(it->second);
            m_byWatch.erase(range.first, range.second);
            ini::unwatchFolder(c.watch);
            continue;
        }
        // The writer's own temporary files come and go with each replacement: they are not files
        // of the store, and their removal must not cost a listing of the folder.
        if (range.first == range.second || c.name.empty() || ini::isTemporaryName(c.name))
            continue;
        const std::string folded = ini::foldName(c.name);
        for (auto it = range.first; it != range.second; ++it) {
            auto fi = m_folders.find(it->second);
            if (fi == m_folders.end())
                continue;
            Folder& f = fi->second;
            auto file = f.files.find(c.name);
            if (c.what & ini::Added) {
                if (f.listed) {
                    auto [ch, fresh] = f.chosen.try_emplace(folded, c.name);
                    if (!fresh && c.name < ch->second)
                        ch->second = c.name;
                }
                if (file != f.files.end())
                    file->second.recheck = true;
            }
            if (c.what & ini::Modified && file != f.files.end())
                file->second.reread = true;
            if (c.what & ini::Removed) {
                auto ch = f.chosen.find(folded);
                if (ch != f.chosen.end() && ch->second == c.name)
                    f.listed = false;
                if (file != f.files.end())
                    f.files.erase(file);
            }
        }
    }
}

Folder& Store::folderFor(const std::string& dir) {
    std::string key = ini::absoluteFolder(dir);
    auto it = m_folders.find(key);
    if (it == m_folders.end()) {
        it = m_folders.emplace(key, Folder{}).first;
        it->second.path = key;
    }
    Folder& f = it->second;
    // A folder that could not be watched (missing yet, say) is tried again at each call.
    if (f.watch < 0 && watching) {
        f.watch = ini::watchFolder(f.path);
        if (f.watch >= 0) {
            m_byWatch.emplace(f.watch, key);
            f.listed = false;
            for (auto& [_, file] : f.files)
                file.recheck = true;
        }
    }
    return f;
}

void Store::list(Folder& f) {
    f.chosen.clear();
    std::vector<std::string> names;
    f.listed = ini::listNames(f.path, names);
    for (std::string& n : names) {
        auto [it, fresh] = f.chosen.try_emplace(ini::foldName(n), n);
        if (!fresh && n < it->second)
            it->second = std::move(n);
    }
}

const std::string* Store::chosenName(Folder& f, const std::string& name) {
    if (f.watch < 0) {
        std::int64_t now = wallClockNs();
        ini::Probe p = ini::probe(f.path);
        if (p.kind != ini::Kind::Folder) {
            f.listed = false;
            f.chosen.clear();
            return nullptr;
        }
        if (!f.listed || f.racy || !(p.stamp == f.stamp)) {
            list(f);
            f.stamp = p.stamp;
            f.racy = recentlyChanged(p.stamp, now);
        }
    } else if (!f.listed) {
        list(f);
    }
    auto it = f.chosen.find(ini::foldName(name));
    return it == f.chosen.end() ? nullptr : &it->second;
}

std::shared_ptr<const ini::Document> Store::document(Folder& f, const std::string& name, bool& unreadable) {
    unreadable = false;
    CachedFile& c = f.files[name];
    if (c.doc && f.watch >= 0 && !c.recheck && !c.reread && !c.link)
        return c.doc;
    const std::string full = join(f.path, name);
    ini::Probe p = ini::probe(full);
    if (p.kind != ini::Kind::File) {
        unreadable = p.kind != ini::Kind::Missing;
        f.files.erase(name);
        return nullptr;
    }
    c.link = p.link;
    if (c.doc && !c.reread && !c.racy && p.stamp == c.stamp) {
        c.recheck = false;
        return c.doc;
    }
    std::int64_t now = wallClockNs();
    std::string bytes;
    ini::Stamp stamp;
    if (!ini::readWhole(full, bytes, stamp)) {
        unreadable = true;
        f.files.erase(name);
        return nullptr;
    }
    if (!c.doc || c.doc->fileBytes() != bytes)
        c.doc = std::make_shared<const ini::Document>(std::move(bytes));
    c.stamp = stamp;
    c.recheck = c.reread = false;
    c.racy = (f.watch < 0 || c.link) && recentlyChanged(stamp, now);
    return c.doc;
}

std::shared_ptr<const ini::Document> Store::parsed(const std::string& path) {
    applyChanges();
    if (m_recent.epoch == m_epoch && m_recent.path == path) {
        if (!m_recent.stamped)
            return m_recent.doc;
        // The checks the full lookup below would make, on the folder and file it found last time.
        const ini::Probe folder = ini::probe(m_recent.folder);
        if (folder.kind == ini::Kind::Folder && folder.stamp == m_recent.folderStamp) {
            const ini::Probe file = ini::probe(m_recent.file);
            if (file.kind == ini::Kind::File && !file.link && file.stamp == m_recent.fileStamp)
                return m_recent.doc;
        }
    }
    m_recent.epoch = 0;
    std::string dir, name;
    if (!splitPath(path, dir, name))
        return nullptr;
    Folder& f = folderFor(dir);
    const std::string* chosen = chosenName(f, name);
    if (!chosen)
        return nullptr;
    const std::string actual = *chosen;
    bool unreadable;
    std::shared_ptr<const ini::Document> found = document(f, actual, unreadable);
    if (!found)
        return nullptr;
    const CachedFile& c = f.files[actual];
    const bool absolute = !path.empty() && isSeparator(path.front());
    if (f.watch >= 0 && !c.link && !c.racy && absolute)
        m_recent = {path, m_epoch, found, false, {}, {}, {}, {}};
    else if (f.watch < 0 && f.listed && !f.racy && !c.link && !c.racy && absolute)
        m_recent = {path, m_epoch, found, true, f.path, join(f.path, actual), f.stamp, c.stamp};
    else
        m_recent.epoch = 0;
    return found;
}

std::string Store::read(std::string_view section, std::string_view key, const std::string& path) {
    std::shared_ptr<const ini::Document> doc = parsed(path);
    if (!doc)
        return {};
    const std::string* v =
        doc->find(ini::foldName(ini::trimBlanks(section)), ini::foldName(ini::trimBlanks(key)));
    return v ? *v : std::string();
}

std::vector<std::pair<std::string, std::string>> Store::readSection(std::string_view section,
                                                                    const std::string& path) {
    std::shared_ptr<const ini::Document> doc = parsed(path);
    if (!doc)
        return {};
    return doc->entries(ini::foldName(ini::trimBlanks(section)));
}

bool Store::write(const std::string& path, const std::vector<ini::Write>& writes, std::int64_t flushEveryNs) {
    for (const ini::Write& w : writes)
        if (!iniNamesStorable(w.section, w.key) || !valueWritable(w.value))
            return false;
    applyChanges();
    auto holdsAll = [&](const ini::Document& doc) {
        for (const ini::Write& w : writes)
            if (!doc.holds(w))
                return false;
        return true;
    };
    if (m_recent.epoch == m_epoch && !m_recent.stamped && m_recent.path == path && holdsAll(*m_recent.doc))
        return true;
    std::string dir, name;
    if (!splitPath(path, dir, name))
        return false;
    Folder& f = folderFor(dir);
    const std::string* chosen = chosenName(f, name);
    const std::string actual = chosen ? *chosen : name;
    bool unreadable;
    std::shared_ptr<const ini::Document> doc = document(f, actual, unreadable);
    if (unreadable)
        return false;  // never replace a file whose content could not be read
    if (doc && holdsAll(*doc))
        return true;
    const ini::Document empty{std::string()};
    const ini::Document& base = doc ? *doc : empty;
    bool changed = false;
    std::optional<std::string> bytes = base.withWrites(writes, changed);
    if (!bytes) {
        // A line that Windows-1252 cannot hold so that it reads back: the whole file goes over to
        // UTF-8, each line converted as it reads, so that every value, old and new, reads as before.
        ini::Document converted(ini::linesToUtf8(base.bytes()));
        bytes = converted.withWrites(writes, changed);
        if (!bytes)
            return false;
    }
    if (!changed)
        return true;

    std::string targetDir = f.path, targetName = actual;
    const std::string full = join(f.path, actual);
    if (doc && f.files[actual].link && !splitPath(ini::finalTarget(full), targetDir, targetName))
        return false;
    if (!f.swept) {
        ini::sweepStaleTemporaries(targetDir);
        f.swept = true;
    }
    const std::string target = join(targetDir, targetName);
    const std::int64_t steadyNow = steadyClockNs();
    bool flush = true;
    if (flushEveryNs > 0) {
        auto at = m_flushedAt.find(target);
        flush = at == m_flushedAt.end() || steadyNow - at->second >= flushEveryNs;
    }
    if (!ini::replaceFile(targetDir, targetName, *bytes, failWrites, flush))
        return false;
    ++replacements;
    if (flush) {
        ++flushes;
        // Only files written with deferred flushes need the time: a flushed write of any other kind
        // restarts their span too.
        if (flushEveryNs > 0 || m_flushedAt.count(target))
            m_flushedAt[target] = steadyNow;
    }
    ++m_epoch;

    std::int64_t now = wallClockNs();
    ini::Probe p = ini::probe(full);
    CachedFile& c = f.files[actual];
    c.doc = std::make_shared<const ini::Document>(std::move(*bytes));
    c.stamp = p.stamp;
    c.link = p.link;
    c.recheck = c.reread = false;
    c.racy = (f.watch < 0 || c.link) && recentlyChanged(p.stamp, now);
    if (f.listed)
        f.chosen.try_emplace(ini::foldName(actual), actual);
    return true;
}

std::string Store::resolve(const std::string& path) {
    applyChanges();
    std::string dir, name;
    if (!splitPath(path, dir, name))
        return path;
    Folder& f = folderFor(dir);
    const std::string* chosen = chosenName(f, name);
    if (!chosen || *chosen == name)
        return path;
    return path.substr(0, path.size() - name.size()) + *chosen;
}

void Store::clear() {
    ++m_epoch;
    m_flushedAt.clear();
    m_recent = {};
    for (auto& [watch, _] : m_byWatch)
        ini::unwatchFolder(watch);
    m_byWatch.clear();
    m_folders.clear();
    applyChanges();  // drop what the removed watches still had queued
    m_folders.clear();
}

Store& store() {
    static Store s;
    return s;
}

}  // namespace

std::string lireini(std::string_view section, std::string_view key, const std::string& path) {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return s.read(section, key, path);
}

std::vector<std::pair<std::string, std::string>> lireiniSection(std::string_view section,
                                                                const std::string& path) {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return s.readSection(section, path);
}

std::string_view IniSnapshot::valueOfFolded(std::string_view section, std::string_view key) const {
    const std::string* v = m_doc ? m_doc->find(section, key) : nullptr;
    return v ? std::string_view(*v) : std::string_view();
}

IniSnapshot iniSnapshot(const std::string& path) {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    IniSnapshot snapshot;
    snapshot.m_doc = s.snapshot(path);
    return snapshot;
}

bool ecrireini(std::string_view section, std::string_view key, std::string_view value,
               const std::string& path) {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return s.write(path, {ini::Write{std::string(section), std::string(key), std::string(value)}});
}

bool iniNamesStorable(std::string_view section, std::string_view key) {
    if (hasBreakOrNul(section) || section.find(']') != std::string_view::npos || !utf8::isValid(section))
        return false;
    std::string_view k = ini::trimBlanks(key);
    return !k.empty() && !hasBreakOrNul(k) && k.find('=') == std::string_view::npos && k.front() != ';' &&
           k.front() != '[' && utf8::isValid(k);
}

bool iniValueStorable(std::string_view value) {
    if (!valueWritable(value) || ini::trimBlanks(value).size() != value.size())
        return false;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return false;
    return utf8::firstCharacters(value, ini::kMaxValueChars).size() == value.size();
}

IniBatch::IniBatch(std::string path) : m_path(std::move(path)) {}

void IniBatch::set(std::string section, std::string key, std::string value) {
    m_entries.push_back({std::move(section), std::move(key), std::move(value)});
}

bool IniBatch::commit() {
    return commitDeferringFlush(std::chrono::milliseconds(0));
}

bool IniBatch::commitDeferringFlush(std::chrono::milliseconds flushEvery) {
    if (m_entries.empty())
        return true;
    std::vector<ini::Write> writes;
    writes.reserve(m_entries.size());
    for (Entry& e : m_entries)
        writes.push_back({e.section, e.key, e.value});
    Store& s = store();
    std::lock_guard lock(s.mutex);
    if (!s.write(m_path, writes, std::chrono::duration_cast<std::chrono::nanoseconds>(flushEvery).count()))
        return false;
    m_entries.clear();
    return true;
}

std::string resolveIniPath(const std::string& path) {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return s.resolve(path);
}

void setIniWriteFailureForTesting(bool fail) {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    s.failWrites = fail;
}

void setIniChangeWatchForTesting(bool enabled) {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    s.watching = enabled;
    s.clear();
}

std::uint64_t iniReplacementCount() {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return s.replacements;
}

std::uint64_t iniFlushCount() {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return s.flushes;
}

void clearIniCache() {
    Store& s = store();
    std::lock_guard lock(s.mutex);
    s.clear();
}

}  // namespace vq
