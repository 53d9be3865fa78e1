#pragma once
// The update helper's work, done in a process of its own so that the counting program loads no
// network or TLS library: fetch the version file and check its signature, download the executable
// and check it against the signature, each within its bounds. Its answers are lines on its output
// (read back by readHelperLine).

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "shell/signature.h"
#include "shell/transfer.h"
#include "shell/updater.h"

namespace vq {

// Where a download is written until it has been checked.
std::string partialDownloadPath(const std::string& target);

class UpdateFetcher {
public:
    UpdateFetcher(Transfer& transfer, const SignatureVerifier& verifier);

    // The version file at `url`, read up to a few kilobytes within the check's time limits; nothing
    // unless it came whole and its signature verifies.
    std::optional<VersionFile> check(const std::string& url);

    // Downloads `url` into `target` within `limits`, reporting the transfer's states. True only when
    // the file arrived whole and `signature` signs `version` with the file's digest; otherwise
    // nothing is left at `target` or beside it.
    bool download(const std::string& url, const Transfer::Options& account, const DownloadLimits& limits,
                  const VersionFile& offered, const std::string& target, const Transfer::StateSink& onState);

private:
    Transfer& m_transfer;
    const SignatureVerifier& m_verifier;
};

// The helper's "check URL" and "fetch URL USER PASSWORD VERSION SIGNATURE TARGET TOTAL-MS STALL-MS
// MAX-BYTES" modes (`arguments` begins with the mode). Writes its answers to `out` and returns the
// exit status: 0 when an offer or a verified download was written, 1 when not, 2 on bad arguments.
int runUpdateHelper(const std::vector<std::string>& arguments, Transfer& transfer,
                    const SignatureVerifier& verifier, std::ostream& out);

}  // namespace vq
