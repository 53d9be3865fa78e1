#pragma once
// The update installer's work once the program has ended: put the downloaded executable in place of
// the program's own, keeping the previous one as a backup, so that something runnable is always left.

#include <filesystem>
#include <functional>
#include <string>

namespace vq {

struct InstallReport {
    bool replaced = false;        // the new executable is in place
    bool restored = false;        // the previous executable was brought back from its backup
    std::filesystem::path start;  // the program to start afterwards (empty: nothing runnable)
    std::string message;          // what went wrong, for the installer's output
};

// File operations the installer uses; tests replace one to make it fail.
struct InstallerFileOps {
    std::function<void(const std::filesystem::path&, const std::filesystem::path&, std::error_code&)> rename =
        [](const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec) {
            std::filesystem::rename(from, to, ec);
        };
};

// Replaces `programFolder`/`executableName` by `newExecutable`: the new file is copied next to the
// target, made executable and renamed over it (one atomic step), after the current executable was
// copied to `executableName`.bak. When that fails the target is left or put back as it was (from the
// backup if it is missing). The downloaded file is removed once installed.
InstallReport installExecutable(const std::filesystem::path& programFolder,
                                const std::filesystem::path& newExecutable, const std::string& executableName,
                                const InstallerFileOps& ops = {});

}  // namespace vq
