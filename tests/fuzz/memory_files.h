#pragma once
// Files kept in memory for the fuzz targets that write many files per run: linked into a target,
// memory_files.cpp takes the place of the INI store's file-system services, and these calls play
// another program writing the files.

#include <string>

namespace vq::fuzz {

// A folder that exists only in memory, created empty.
const std::string& memoryFolder();
// Makes `path` a folder in memory as well (whatever it is on disk), without files: those a run
// before left in it are removed.
void emptyFolder(const std::string& path);
// Writes `path` in place, as an editor would (a new file when missing).
void putFile(const std::string& path, const std::string& bytes);
void removeFile(const std::string& path);

}  // namespace vq::fuzz
