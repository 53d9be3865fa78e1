#pragma once
// Fakes of the ports the updater asks for: the transfers to its servers and the publisher's key.
// Header-only, for the tests that link the shell layer.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "shell/sha256.h"
#include "shell/signature.h"
#include "shell/transfer.h"
#include "support/fakes.h"

namespace vq::test {

// Serves documents from a map; a download writes the document (or part of it) and reports states.
class FakeTransfer final : public Transfer {
public:
    std::map<std::string, std::string> documents;
    bool cutShort = false;  // the download stops half-way with a failure
    std::vector<std::string> requested;
    Options lastOptions;

    // Like a server that ignores the limits it was given: the fetcher must not trust it to.
    bool fetch(const std::string& url, const Options& options, std::string& body) override {
        requested.push_back(url);
        lastOptions = options;
        auto it = documents.find(url);
        if (it == documents.end()) {
            return false;
        }
        body = it->second;
        return true;
    }
    bool download(const std::string& url, const Options& options, const std::string& path,
                  const StateSink& onState) override {
        requested.push_back(url);
        lastOptions = options;
        onState(TransferState::Connecting);
        auto it = documents.find(url);
        if (it == documents.end()) {
            onState(TransferState::Error);
            return false;
        }
        onState(TransferState::Receiving);
        const std::string& content = it->second;
        writeFile(path, cutShort ? content.substr(0, content.size() / 2) : content);
        if (cutShort) {
            onState(TransferState::Error);
            return false;
        }
        onState(TransferState::Completed);
        return true;
    }
};

// A stand-in for the publisher's key: the "signature" of a text is its digest, twice.
inline std::string fakeSign(const std::string& message) {
    return sha256Hex(message) + sha256Hex(message);
}
class FakeVerifier final : public SignatureVerifier {
public:
    bool verify(std::string_view message, std::string_view signatureHex) const override {
        return signatureHex == fakeSign(std::string(message));
    }
};

}  // namespace vq::test
