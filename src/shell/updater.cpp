#include "shell/updater.h"

#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "core/ini_store.h"
#include "shell/sha256.h"
#include "shell/update_addresses.h"

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

bool isHexDigest(std::string_view s) {
    if (s.size() != 64) {
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
    const std::size_t firstEnd = content.find('\n');
    file.versionText = std::string(trimmed(content.substr(0, firstEnd)));
    if (firstEnd != std::string_view::npos) {
        std::string_view second = content.substr(firstEnd + 1);
        second = trimmed(second.substr(0, second.find('\n')));
        // Accept the "digest  file-name" form that checksum tools print.
        second = second.substr(0, second.find_first_of(" \t"));
        if (isHexDigest(second)) {
            for (char c : second) {
                file.digest += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
        }
    }
    return file;
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

Updater::Updater(Transfer& transfer, UpdateAddresses addresses, std::string programFolder,
                 std::string dataFolder)
    : m_transfer(transfer),
      m_addresses(std::move(addresses)),
      m_programFolder(std::move(programFolder)),
      m_dataFolder(std::move(dataFolder)) {}

std::optional<VersionFile> Updater::fetchVersionFile() {
    Transfer::Options options;
    options.connectTimeoutMs = kCheckConnectTimeoutMs;
    options.totalTimeoutMs = kCheckTotalTimeoutMs;
    std::string body;
    if (!m_transfer.fetch(m_addresses.webBase + "/" + kVersionDocument, options, body)) {
        return std::nullopt;
    }
    return parseVersionFile(body);
}

std::string Updater::downloadedPath() const {
    return m_dataFolder + "/" + kPublishedExecutable + ".update";
}

std::string Updater::installerPath() const {
    return m_programFolder + "/" + kInstallerProgram;
}

DownloadOutcome Updater::download(const VersionFile& offered, const Transfer::StateSink& onState) {
    const std::string target = downloadedPath();
    removeQuietly(target);
    if (offered.digest.empty()) {
        return DownloadOutcome::NoDigest;
    }
    const std::string partial = target + ".part";
    Transfer::Options options;
    options.connectTimeoutMs = kDownloadConnectTimeoutMs;
    options.user = m_addresses.user;
    options.password = m_addresses.password;
    if (!m_transfer.download(m_addresses.ftpBase + "/" + kPublishedExecutable, options, partial, onState)) {
        removeQuietly(partial);
        return DownloadOutcome::TransferFailed;
    }
    if (sha256OfFile(partial) != offered.digest) {
        removeQuietly(partial);
        return DownloadOutcome::DigestMismatch;
    }
    std::error_code ec;
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        removeQuietly(partial);
        return DownloadOutcome::TransferFailed;
    }
    return DownloadOutcome::Verified;
}

bool Updater::install(const std::string& offeredVersion, MainState& state, Launcher& starter, long long pid) {
    if (!std::filesystem::is_regular_file(downloadedPath())) {
        return false;
    }
    if (!starter.start(installerPath(), {std::to_string(pid), m_programFolder, downloadedPath()})) {
        return false;
    }
    ecrireini("Typeconex", "Version", offeredVersion, state.cheminoption);
    if (state.etatconnexion == "2") {
        ecrireini("plantage", "ouinon", "3", state.chemintempo);
    }
    return true;
}

bool Updater::declineForever(MainState& state) {
    state.versioninstallee = 0;
    return ecrireini("Typeconex", "Version", "0", state.cheminoption);
}

}  // namespace vq
