#pragma once
// Starting the program when the user opens a session: the desktop's autostart entry, a desktop entry
// file in the user's autostart folder that names the running program.

#include <string>

namespace vq {

// The entry's file name: the program's desktop id.
inline constexpr const char* kAutostartFileName = "varlotte-qyr.desktop";

// $XDG_CONFIG_HOME/autostart/varlotte-qyr.desktop; $HOME/.config/... when XDG_CONFIG_HOME is unset,
// empty or not an absolute path (the base-directory rule). Either argument may be null.
std::string autostartEntryPath(const char* xdgConfigHome, const char* home);

// The Exec value that starts `program` and nothing else: quoted when it holds a reserved character,
// with the escapes of a quoted argument, "%" doubled, then the escapes of a string value.
std::string execValue(const std::string& program);

// The whole entry for `program`.
std::string autostartEntry(const std::string& program);

// True when the entry exists and does not say Hidden=true (the desktop's own way to turn it off).
bool autostartEnabled(const std::string& entryPath);

// Writes the entry (its folder created when missing), replacing the file atomically; false when it
// could not be written.
bool enableAutostart(const std::string& entryPath, const std::string& program);
// Removes the entry; true when it is gone.
bool disableAutostart(const std::string& entryPath);

}  // namespace vq
