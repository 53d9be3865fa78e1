#pragma once
// The file-system services the INI store needs: file stamps, whole-file reads, folder listings,
// atomic replacement and, where the system offers them, change notifications for folders.

#include <cstdint>
#include <string>
#include <vector>

namespace vq::ini {

// What tells one state of a file from another.
struct Stamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0, changedNs = 0;
    bool operator==(const Stamp&) const = default;
};

enum class Kind { Missing, File, Folder, Other };  // Other: a device, a pipe... never opened

struct Probe {
    Kind kind = Kind::Missing;
    Stamp stamp;
    bool link = false;  // the path is a symbolic link (its target's stamp is given)
};

Probe probe(const std::string& path);
// Reads a whole file; `stamp` is taken before reading, so a change during the read shows later.
bool readWhole(const std::string& path, std::string& bytes, Stamp& stamp);
// Names of the entries of a folder that are not folders; false when it cannot be listed.
bool listNames(const std::string& dir, std::vector<std::string>& names);
// A folder path that stays right when the working folder changes.
std::string absoluteFolder(const std::string& dir);
// The file a symbolic link finally names; `path` itself for anything else.
std::string finalTarget(const std::string& path);

// Replaces dir/name by `bytes`: a temporary file in the same folder is written, flushed to disk and
// renamed over the old one, then the folder is flushed. False on any failure before the rename, the
// old file then untouched. `simulateFullDisk` makes it fail after writing the temporary file. With
// `flush` false nothing waits for the disk: every process sees the new file at once, whole, and it
// reaches the disk when the system writes its caches back (a power loss before then may lose it).
// On Linux a file written without waiting for the disk (written every second) gets a spare copy
// beside it (".<name>.vqtmp.spare"); from then on each write overwrites the spare and swaps the two
// names in one step, which spares the system a file creation and deletion per write.
bool replaceFile(const std::string& dir, const std::string& name, const std::string& bytes,
                 bool simulateFullDisk, bool flush = true);
// True for the name of a temporary file that replaceFile writes before renaming it.
bool isTemporaryName(const std::string& name);
// Removes the temporary files that writers killed mid-write left in `dir`.
void sweepStaleTemporaries(const std::string& dir);

// Folder change notifications. A folder's watch reports, per entry name, additions (created or
// renamed in), removals (deleted or renamed away) and content or attribute changes.
enum ChangeWhat : unsigned { Added = 1, Removed = 2, Modified = 4, FolderGone = 8, Overflow = 16 };
struct Change {
    int watch;
    std::string name;
    unsigned what;
};
// -1 when the folder cannot be watched reliably (missing, network file system, no notifications).
int watchFolder(const std::string& dir);
void unwatchFolder(int watch);
// The changes reported since the last call; never waits.
void takeChanges(std::vector<Change>& out);

}  // namespace vq::ini
