#pragma once
// The update check and the update itself: the version file decides whether a newer version is
// offered; accepting downloads it into the data folder, checks its digest and hands it to the
// update installer.

#include <optional>
#include <string>
#include <string_view>

#include "core/launcher.h"
#include "engine/main_state.h"
#include "shell/transfer.h"

namespace vq {

// The version file: the latest version number on its first line, optionally the SHA-256 of the
// published executable on its second.
struct VersionFile {
    std::string versionText;  // first line, blanks removed
    std::string digest;       // 64 lower-case hexadecimal digits, or "" when none was published
};
VersionFile parseVersionFile(std::string_view content);

// True when the installed version allows checks (not 0) and the file offers a greater number.
bool isNewerVersion(const VersionFile& file, int installedVersion);

struct UpdateAddresses {
    std::string webBase;  // e.g. "http://host:port", without the trailing slash
    std::string ftpBase;  // e.g. "ftp://host:port"
    std::string user;
    std::string password;
};
UpdateAddresses defaultUpdateAddresses();

enum class DownloadOutcome { Verified, NoDigest, TransferFailed, DigestMismatch };

class Updater {
public:
    Updater(Transfer& transfer, UpdateAddresses addresses, std::string programFolder, std::string dataFolder);

    // Fetches the version file, within the check's time limits; nothing on any failure. Blocking:
    // meant for a worker thread.
    std::optional<VersionFile> fetchVersionFile();

    // Downloads the offered executable into the data folder and checks it against the published
    // digest. On any outcome but Verified nothing is left behind. Blocking: meant for a worker thread.
    DownloadOutcome download(const VersionFile& offered, const Transfer::StateSink& onState);

    // After a verified download: starts the update installer (which waits for `pid` to end), then
    // stores the offered version as installed and, while a counted connection is open, marks it for
    // the next start to record. False when the installer could not be started: nothing is stored.
    bool install(const std::string& offeredVersion, MainState& state, Launcher& starter, long long pid);

    // "Ne plus me demander": no check from now on, in this run and the next ones.
    static bool declineForever(MainState& state);

    std::string downloadedPath() const;  // where a verified download waits for the installer
    std::string installerPath() const;

private:
    Transfer& m_transfer;
    UpdateAddresses m_addresses;
    std::string m_programFolder;
    std::string m_dataFolder;
};

}  // namespace vq
