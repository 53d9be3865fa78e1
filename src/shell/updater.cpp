#include "shell/updater.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/ini_store.h"
#include "engine/tempo_file.h"
#include "records/option_file.h"
#include "shell/update_addresses.h"
#include "shell/update_fetcher.h"

namespace vq {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool isHex(std::string_view s, std::size_t size) {
    if (s.size() != size) {
        return false;
    }
    for (char c : s) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

std::string lowered(std::string_view s) {
    std::string out;
    for (char c : s) {
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The first word of a line, without blanks around it.
std::string_view firstWord(std::string_view line) {
    line = trimmed(line);
    return line.substr(0, line.find_first_of(" \t"));
}

// A limit given by a caller may only be tighter than the program's own.
long long tighter(long long given, long long own) {
    return given > 0 && given < own ? given : own;
}

}  // namespace

std::string transferStateText(TransferState state) {
    switch (state) {
        case TransferState::Resolving:
            return "Recherche l' IP de l'ordinateur hôte.";
        case TransferState::Resolved:
            return "IP de l'ordinateur hôte spécifié.";
        case TransferState::Connecting:
            return "En cours de connexion avec l'ordinateur hôte.";
        case TransferState::Connected:
            return "La connexion avec l'ordinateur hôte est réussie.";
        case TransferState::Requesting:
            return "Envoie une demande à l'ordinateur hôte.";
        case TransferState::RequestSent:
            return "La demande a été envoyé  avec succès.";
        case TransferState::Receiving:
            return "Reçoit une réponse de l'ordinateur hôte.";
        case TransferState::ResponseReceived:
            return "Contacte avec l'ordinateur hôte réussi.";
        case TransferState::Disconnecting:
            return "En cours de déconnexion avec l'ordinateur hôte.";
        case TransferState::Disconnected:
            return "La déconnexion avec l'ordinateur hôte est réussie.";
        case TransferState::Error:
        case TransferState::Completed:
            break;
    }
    return {};
}

VersionFile parseVersionFile(std::string_view content) {
    VersionFile file;
    std::vector<std::string_view> lines;
    while (lines.size() < 3) {
        const std::size_t end = content.find('\n');
        lines.push_back(content.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        content.remove_prefix(end + 1);
    }
    file.versionText = std::string(trimmed(lines[0]));
    // The second line may be in the "digest  file-name" form that checksum tools print.
    if (lines.size() > 1 && isHex(firstWord(lines[1]), 64)) {
        file.digest = lowered(firstWord(lines[1]));
    }
    if (lines.size() > 2 && isHex(firstWord(lines[2]), 128)) {
        file.signature = lowered(firstWord(lines[2]));
    }
    return file;
}

std::string signedMessage(std::string_view versionText, std::string_view digest) {
    std::string message = "Varlotte Qyr update\nversion ";
    message.append(versionText);
    message += "\nsha256 ";
    message.append(digest);
    message += "\nfile ";
    message += kPublishedExecutable;
    message += '\n';
    return message;
}

bool isNewerVersion(const VersionFile& file, int installedVersion) {
    // Versions are whole numbers written with digits only.
    if (installedVersion == 0 || file.versionText.empty() ||
        !std::isdigit(static_cast<unsigned char>(file.versionText.front()))) {
        return false;
    }
    long long offered = 0;
    const char* begin = file.versionText.data();
    const char* end = begin + file.versionText.size();
    const auto [ptr, ec] = std::from_chars(begin, end, offered);
    if (ec != std::errc() || ptr != end) {
        return false;
    }
    return offered > installedVersion;
}

UpdateAddresses defaultUpdateAddresses() {
    return {kUpdateWebBase, kUpdateFtpBase, kUpdateFtpUser, kUpdateFtpPassword};
}

DownloadLimits defaultDownloadLimits() {
    return {kDownloadTotalTimeoutMs, kDownloadStallTimeoutMs, kDownloadMaxBytes};
}

DownloadLimits tighterLimits(const DownloadLimits& given) {
    return {static_cast<long>(tighter(given.totalTimeoutMs, kDownloadTotalTimeoutMs)),
            static_cast<long>(tighter(given.stallTimeoutMs, kDownloadStallTimeoutMs)),
            tighter(given.maxBytes, kDownloadMaxBytes)};
}

HelperLine readHelperLine(std::string_view line) {
    HelperLine read;
    line = trimmed(line);
    const std::string_view word = firstWord(line);
    std::string_view rest = trimmed(line.substr(word.size()));
    if (word == "state") {
        int number = 0;
        const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
        if (ec == std::errc() && ptr == rest.data() + rest.size() && number >= 1 && number <= 12) {
            read.kind = HelperLine::Kind::State;
            read.state = static_cast<TransferState>(number);
        }
    } else if (word == "offer") {
        const std::string_view version = firstWord(rest);
        const std::string_view signature = trimmed(rest.substr(version.size()));
        if (!version.empty() && isHex(signature, 128)) {
            read.kind = HelperLine::Kind::Offer;
            read.offer.versionText = std::string(version);
            read.offer.signature = lowered(signature);
        }
    } else if (word == "verified" && rest.empty()) {
        read.kind = HelperLine::Kind::Verified;
    }
    return read;
}

Updater::Updater(UpdateAddresses addresses, std::string helper, std::string programFolder,
                 std::string dataFolder, DownloadLimits limits)
    : m_addresses(std::move(addresses)),
      m_helper(std::move(helper)),
      m_programFolder(std::move(programFolder)),
      m_dataFolder(std::move(dataFolder)),
      m_limits(tighterLimits(limits)) {}

bool folderWritable(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return false;
    }
    const std::filesystem::path probe =
        std::filesystem::path(folder) /
        (".probe-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    bool written = false;
    {
        std::ofstream out(probe, std::ios::binary);
        written = out && out.put('x') && out.flush();
    }
    std::filesystem::remove(probe, ec);
    return written;
}

bool Updater::updatesAllowed() const {
    return folderWritable(m_programFolder);
}

std::vector<std::string> Updater::checkArguments() const {
    return {"check", m_addresses.webBase + "/" + kVersionDocument};
}

std::vector<std::string> Updater::downloadArguments(const VersionFile& offered) const {
    return {"fetch",
            m_addresses.ftpBase + "/" + kPublishedExecutable,
            m_addresses.user,
            m_addresses.password,
            offered.versionText,
            offered.signature,
            downloadedPath(),
            std::to_string(m_limits.totalTimeoutMs),
            std::to_string(m_limits.stallTimeoutMs),
            std::to_string(m_limits.maxBytes)};
}

long Updater::checkDeadlineMs() {
    return kCheckTotalTimeoutMs + kHelperGraceMs;
}

long Updater::downloadDeadlineMs() const {
    return m_limits.totalTimeoutMs + kDownloadConnectTimeoutMs + kHelperGraceMs;
}

std::string Updater::downloadedPath() const {
    return m_dataFolder + "/" + kPublishedExecutable + ".update";
}

std::string Updater::installerPath() const {
    return m_programFolder + "/" + kInstallerProgram;
}

DownloadOutcome Updater::downloadEnded(bool helperSaidVerified) {
    const std::string target = downloadedPath();
    removeQuietly(partialDownloadPath(target));  // left by a helper that was ended
    if (helperSaidVerified && std::filesystem::is_regular_file(target)) {
        return DownloadOutcome::Verified;
    }
    removeQuietly(target);
    return DownloadOutcome::Failed;
}

bool Updater::install(const std::string& offeredVersion, MainState& state, Launcher& starter, long long pid) {
    if (!std::filesystem::is_regular_file(downloadedPath())) {
        return false;
    }
    // The installer stores the version once the new executable is in place, so that a failed
    // replacement is offered again.
    if (!starter.start(installerPath(), {std::to_string(pid), m_programFolder, downloadedPath(),
                                         state.cheminoption, offeredVersion})) {
        return false;
    }
    if (state.etatconnexion == "2") {
        tempo::writeFlag(state.chemintempo, ConnectionFlag::EndedForUpdate);
    }
    return true;
}

bool Updater::declineForever(MainState& state) {
    state.versioninstallee = 0;
    return ecrireini(option::kSettingsSection, option::kVersionKey, "0", state.cheminoption);
}

}  // namespace vq
