#pragma once
// The INI store: every setting, total and record of the program is one string read with lireini
// and written with ecrireini. Files are matched by name without regard to case, parsed copies are
// cached until the file changes on disk, and every write replaces the file atomically.

#include <string>
#include <string_view>
#include <vector>

namespace vq {

// The value of `key` in `section` of the file at `path`, blanks around it dropped, enclosing
// quotation marks removed, cut to 254 characters; "" for a missing file, section or key.
std::string lireini(std::string_view section, std::string_view key, const std::string& path);

// Stores `value` under `key` in `section`, creating the file, the section and the key when missing.
// Returns false when nothing could be stored (unwritable folder, full disk, or a name or value that
// would break the file's structure); the file on disk is then the old one, whole.
bool ecrireini(std::string_view section, std::string_view key, std::string_view value,
               const std::string& path);

// True when `section` and `key` can be stored and found again as they are.
bool iniNamesStorable(std::string_view section, std::string_view key);
// True when `value` can be stored and read back unchanged (no line break, no surrounding blanks or
// enclosing quotation marks).
bool iniValueStorable(std::string_view value);

// Several values of one file written as one replacement of the file (nothing is written when every
// value is already stored).
class IniBatch {
public:
    explicit IniBatch(std::string path);
    void set(std::string section, std::string key, std::string value);
    // Writes all values set since the last commit; false when the file could not be replaced.
    bool commit();

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

}  // namespace vq
