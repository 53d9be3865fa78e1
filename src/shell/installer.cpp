#include "shell/installer.h"

namespace vq {

namespace fs = std::filesystem;

namespace {

// Copies `from` next to `to` and renames it over `to`, so `to` is always whole.
bool placeAtomically(const fs::path& from, const fs::path& to, const InstallerFileOps& ops,
                     std::string& message) {
    const fs::path staged = fs::path(to).concat(".new");
    std::error_code ec;
    fs::copy_file(from, staged, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        message = "cannot copy " + from.string() + ": " + ec.message();
        fs::remove(staged, ec);
        return false;
    }
    fs::permissions(staged, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
    if (ec) {
        message = "cannot mark " + staged.string() + " executable: " + ec.message();
        fs::remove(staged, ec);
        return false;
    }
    ops.rename(staged, to, ec);
    if (ec) {
        message = "cannot replace " + to.string() + ": " + ec.message();
        fs::remove(staged, ec);
        return false;
    }
    return true;
}

}  // namespace

InstallReport installExecutable(const fs::path& programFolder, const fs::path& newExecutable,
                                const std::string& executableName, const InstallerFileOps& ops) {
    InstallReport report;
    const fs::path target = programFolder / executableName;
    const fs::path backup = programFolder / (executableName + ".bak");
    std::error_code ec;

    bool backedUp = true;
    if (fs::is_regular_file(target, ec)) {
        fs::copy_file(target, backup, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            backedUp = false;
            report.message = "cannot keep a backup of " + target.string() + ": " + ec.message();
        }
    }
    if (backedUp && fs::is_regular_file(newExecutable, ec) &&
        placeAtomically(newExecutable, target, ops, report.message)) {
        report.replaced = true;
        fs::remove(newExecutable, ec);
        report.start = target;
        return report;
    }
    if (report.message.empty()) {
        report.message = "no downloaded executable at " + newExecutable.string();
    }

    if (!fs::is_regular_file(target, ec) && fs::is_regular_file(backup, ec)) {
        std::string restoreMessage;
        if (placeAtomically(backup, target, ops, restoreMessage)) {
            report.restored = true;
        } else {
            report.message += "; " + restoreMessage;
        }
    }
    if (fs::is_regular_file(target, ec)) {
        report.start = target;
    }
    return report;
}

}  // namespace vq
