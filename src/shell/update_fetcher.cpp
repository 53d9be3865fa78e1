#include "shell/update_fetcher.h"

#include <charconv>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "shell/sha256.h"
#include "shell/update_addresses.h"

namespace vq {

namespace {

void removeQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

// A whole number argument; 0 (the default limit) when it is not one.
long long number(const std::string& text) {
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() && value > 0 ? value : 0;
}

}  // namespace

std::string partialDownloadPath(const std::string& target) {
    return target + ".part";
}

UpdateFetcher::UpdateFetcher(Transfer& transfer, const SignatureVerifier& verifier)
    : m_transfer(transfer), m_verifier(verifier) {}

std::optional<VersionFile> UpdateFetcher::check(const std::string& url) {
    Transfer::Options options;
    options.connectTimeoutMs = kCheckConnectTimeoutMs;
    options.totalTimeoutMs = kCheckTotalTimeoutMs;
    options.maxBytes = kVersionFileMaxBytes;
    std::string body;
    if (!m_transfer.fetch(url, options, body) ||
        body.size() > static_cast<std::size_t>(kVersionFileMaxBytes)) {
        return std::nullopt;
    }
    VersionFile file = parseVersionFile(body);
    if (file.versionText.empty() || file.digest.empty() || file.signature.empty() ||
        !m_verifier.verify(signedMessage(file.versionText, file.digest), file.signature)) {
        return std::nullopt;
    }
    return file;
}

bool UpdateFetcher::download(const std::string& url, const Transfer::Options& account,
                             const DownloadLimits& limits, const VersionFile& offered,
                             const std::string& target, const Transfer::StateSink& onState) {
    removeQuietly(target);
    const std::string partial = partialDownloadPath(target);
    removeQuietly(partial);
    if (offered.versionText.empty() || offered.signature.empty()) {
        return false;  // nothing signed, nothing downloaded
    }
    const DownloadLimits bounded = tighterLimits(limits);
    Transfer::Options options;
    options.user = account.user;
    options.password = account.password;
    options.connectTimeoutMs = kDownloadConnectTimeoutMs;
    options.totalTimeoutMs = bounded.totalTimeoutMs;
    options.stallTimeoutMs = bounded.stallTimeoutMs;
    options.maxBytes = bounded.maxBytes;

    bool trusted = m_transfer.download(url, options, partial, onState);
    std::error_code ec;
    const auto size = std::filesystem::file_size(partial, ec);
    trusted = trusted && !ec && static_cast<long long>(size) <= bounded.maxBytes;
    if (trusted) {
        const std::optional<std::string> digest = sha256OfFile(partial);
        trusted = digest && m_verifier.verify(signedMessage(offered.versionText, *digest), offered.signature);
    }
    if (trusted) {
        std::filesystem::rename(partial, target, ec);
        trusted = !ec;
    }
    if (!trusted) {
        removeQuietly(partial);
        removeQuietly(target);
    }
    return trusted;
}

int runUpdateHelper(const std::vector<std::string>& arguments, Transfer& transfer,
                    const SignatureVerifier& verifier, std::ostream& out) {
    UpdateFetcher fetcher(transfer, verifier);
    if (arguments.size() == 2 && arguments[0] == "check") {
        const std::optional<VersionFile> file = fetcher.check(arguments[1]);
        if (!file) {
            return 1;
        }
        out << "offer " << file->versionText << ' ' << file->signature << std::endl;
        return 0;
    }
    if (arguments.size() == 10 && arguments[0] == "fetch") {
        Transfer::Options account;
        account.user = arguments[2];
        account.password = arguments[3];
        const VersionFile offered{arguments[4], "", arguments[5]};
        const DownloadLimits limits{static_cast<long>(number(arguments[7])),
                                    static_cast<long>(number(arguments[8])), number(arguments[9])};
        const bool verified = fetcher.download(
            arguments[1], account, limits, offered, arguments[6],
            [&out](TransferState state) { out << "state " << static_cast<int>(state) << std::endl; });
        if (!verified) {
            return 1;
        }
        out << "verified" << std::endl;
        return 0;
    }
    return 2;
}

}  // namespace vq
