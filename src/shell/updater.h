#pragma once
// The update check and the update itself, as the counting program sees them: the version file
// decides whether a newer version is offered; the network work is done by the update helper program
// (UpdateFetcher, in its own process), whose arguments and answers this class writes and reads;
// a verified download is handed to the update installer.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/launcher.h"
#include "plans/main_state.h"
#include "shell/transfer.h"

namespace vq {

// The version file "maj.txt": the latest version number on its first line (all that older versions
// of the program read), the SHA-256 of the published executable on its second, and on its third the
// publisher's signature of both (see signedMessage).
struct VersionFile {
    std::string versionText;  // first line, blanks removed
    std::string digest;       // 64 lower-case hexadecimal digits, or "" when none was published
    std::string signature;    // 128 lower-case hexadecimal digits, or "" when none was published
};
VersionFile parseVersionFile(std::string_view content);

// The exact text the publisher signs for a version and the digest of its executable.
std::string signedMessage(std::string_view versionText, std::string_view digest);

// True when the installed version allows checks (not 0) and the file offers a greater number.
bool isNewerVersion(const VersionFile& file, int installedVersion);

struct UpdateAddresses {
    std::string webBase;  // e.g. "http://host:port", without the trailing slash
    std::string ftpBase;  // e.g. "ftp://host:port"
    std::string user;
    std::string password;
};
UpdateAddresses defaultUpdateAddresses();

// How long and how much a download may take; the helper never goes beyond the defaults.
struct DownloadLimits {
    long totalTimeoutMs;
    long stallTimeoutMs;
    long long maxBytes;
};
DownloadLimits defaultDownloadLimits();
// `given` with every limit that is 0 or looser than the default replaced by the default.
DownloadLimits tighterLimits(const DownloadLimits& given);

// True when a file can be created in `folder` (false for an installed copy's folder under /usr).
bool folderWritable(const std::string& folder);

enum class DownloadOutcome { Verified, Failed };

// One line of the helper's output.
struct HelperLine {
    enum class Kind { None, State, Offer, Verified } kind = Kind::None;
    TransferState state = TransferState::Error;  // Kind::State
    VersionFile offer;                           // Kind::Offer: version and signature
};
HelperLine readHelperLine(std::string_view line);

class Updater {
public:
    // `helper`: the update helper program; `programFolder`: the folder of the executable that an
    // update replaces; `dataFolder`: where a download waits for the installer.
    Updater(UpdateAddresses addresses, std::string helper, std::string programFolder, std::string dataFolder,
            DownloadLimits limits = defaultDownloadLimits());

    // False for an installed copy (its program folder cannot be written): no check, no download.
    bool updatesAllowed() const;

    // The helper's arguments for the version check and for the download of `offered`.
    std::vector<std::string> checkArguments() const;
    std::vector<std::string> downloadArguments(const VersionFile& offered) const;
    const std::string& helper() const { return m_helper; }
    // How long the program lets the helper run before it ends it, for a check and for a download.
    static long checkDeadlineMs();
    long downloadDeadlineMs() const;

    // After the download helper has ended: Verified only when it said so and the file is there.
    // Otherwise (a failed, cut short, oversized or untrusted download) the download and its parts
    // are removed.
    DownloadOutcome downloadEnded(bool helperSaidVerified);

    // After a verified download: starts the update installer (which waits for `pid` to end, puts the
    // new executable in place and then stores the offered version as installed) and, while a counted
    // connection is open, marks it for the next start to record. False when the installer could not
    // be started: nothing is stored.
    bool install(const std::string& offeredVersion, MainState& state, Launcher& starter, long long pid);

    // "Ne plus me demander": no check from now on, in this run and the next ones.
    static bool declineForever(MainState& state);

    std::string downloadedPath() const;  // where a verified download waits for the installer
    std::string installerPath() const;

private:
    UpdateAddresses m_addresses;
    std::string m_helper;
    std::string m_programFolder;
    std::string m_dataFolder;
    DownloadLimits m_limits;
};

}  // namespace vq
