#pragma once
// The INI store: every setting, total and record of the program is one string read with lireini
// and written with ecrireini. Files are matched by name without regard to case, parsed copies are
// cached until the file changes on disk, and every write replaces the file atomically.
//
// Encodings. Names and values are UTF-8 on both sides; a file holds one of three encodings:
// - a file that starts with the UTF-16LE byte-order mark is read as UTF-16LE, and the first write
//   that changes it writes it back whole as UTF-8;
// - a file that is valid UTF-8 as a whole is UTF-8, and is written in UTF-8;
// - any other file is read line by line: a line that is valid UTF-8 reads as UTF-8, any other as
//   Windows-1252 (the files of the Windows version, and a stray byte in one line of a UTF-8 file
//   hides no other key). A write keeps such a file in Windows-1252 (UTF-8 for the lines already
//   UTF-8) as long as each line it writes in Windows-1252 cannot pass for UTF-8; when one would, or
//   holds a character Windows-1252 lacks, the whole file goes over to UTF-8, each line converted as
//   it reads, before the write. Whatever the file held, a stored value that iniValueStorable
//   accepts reads back exactly, and every other key reads as it did.
// Reading drops space, tab, vertical tab, form feed, carriage return and the end-of-file character
// 0x1A around a line, a name and a value, and a NUL ends the name or value it is in.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vq {

namespace ini {
class Document;
}

// The value of `key` in `section` of the file at `path`, blanks around it dropped, enclosing
// quotation marks removed, cut to 254 characters; "" for a missing file, section or key.
std::string lireini(std::string_view section, std::string_view key, const std::string& path);

// Every key of `section` with its value as lireini reads it, keys in their case-blind form, in no
// particular order; empty for a missing file or section.
std::vector<std::pair<std::string, std::string>> lireiniSection(std::string_view section,
                                                                const std::string& path);

// One state of an INI file, for reading many of its keys with one call of the store: each value as
// lireini read it when the snapshot was taken.
class IniSnapshot {
public:
    // The value of `key` in `section`, "" for a missing file, section or key. For names a program
    // spells itself, already in their case-blind form (lower case) and without blanks around them:
    // nothing is folded on each call.
    std::string_view valueOfFolded(std::string_view section, std::string_view key) const;

private:
    friend IniSnapshot iniSnapshot(const std::string& path);
    std::shared_ptr<const ini::Document> m_doc;
};
IniSnapshot iniSnapshot(const std::string& path);

// Stores `value` under `key` in `section`, creating the file, the section and the key when missing.
// Returns false when nothing could be stored (unwritable folder, full disk, or a name or value that
// would break the file's structure); the file on disk is then the old one, whole.
bool ecrireini(std::string_view section, std::string_view key, std::string_view value,
               const std::string& path);

// True when `section` and `key` can be stored and found again as they are: valid UTF-8 without a
// line break or NUL; no "]" in the section; the key not empty, without "=", not starting with ";"
// (a comment) or "[" (a section header). Blanks around a name are not part of it.
bool iniNamesStorable(std::string_view section, std::string_view key);
// True when `value` can be stored and read back unchanged (valid UTF-8, no line break or NUL, at
// most 254 characters, no surrounding blanks or enclosing quotation marks). ecrireini refuses only
// values with a line break, a NUL or invalid UTF-8; the others are stored and read back as the
// reading rules make them.
bool iniValueStorable(std::string_view value);

// Several values of one file written as one replacement of the file (nothing is written when every
// value is already stored).
class IniBatch {
public:
    explicit IniBatch(std::string path);
    void set(std::string section, std::string key, std::string value);
    // Writes all values set since the last commit; false when the file could not be replaced or a
    // name or value is refused (the values are then kept, so that a later commit may retry).
    bool commit();
    // As commit, but the replacement waits for the disk only when the file's last replacement that
    // did is at least `flushEvery` old. The new file is in place at once whatever happens to the
    // program; only a power loss may take the file back by up to that span (to a state it held).
    // For a file rewritten every second, whose last second matters to a crash and not to the disk.
    bool commitDeferringFlush(std::chrono::milliseconds flushEvery);

private:
    struct Entry {
        std::string section, key, value;
    };
    std::string m_path;
    std::vector<Entry> m_entries;
};

// The path of the file that `path` names, matched case-blind in its folder ("Option.ini" finds an
// existing "option.ini"); `path` itself when no such file exists yet.
std::string resolveIniPath(const std::string& path);

// Test hook: while set, every replacement of a file fails as on a full disk.
void setIniWriteFailureForTesting(bool fail);
// Test hook: while off, changes made by others are found by comparing file stamps on every call
// instead of through the system's change notifications (the way of systems that lack them).
void setIniChangeWatchForTesting(bool enabled);
// How many files this process has replaced so far, and how many of those replacements it flushed
// to disk.
std::uint64_t iniReplacementCount();
std::uint64_t iniFlushCount();
// Forgets every parsed copy (the next call of each file reads it again).
void clearIniCache();

}  // namespace vq
