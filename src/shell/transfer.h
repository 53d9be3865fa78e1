#pragma once
// The port through which the updater fetches files from its servers (HTTP and FTP), with the states
// of a transfer as the update window shows them.

#include <functional>
#include <string>

namespace vq {

enum class TransferState {
    Resolving = 1,
    Resolved = 2,
    Connecting = 3,
    Connected = 4,
    Requesting = 5,
    RequestSent = 6,
    Receiving = 7,
    ResponseReceived = 8,
    Disconnecting = 9,
    Disconnected = 10,
    Error = 11,
    Completed = 12,
};

// The text the update window shows for a state; "" for the states that show a box instead.
std::string transferStateText(TransferState state);

class Transfer {
public:
    struct Options {
        long connectTimeoutMs = 0;  // 0: no limit of its own
        long totalTimeoutMs = 0;    // 0: no limit
        long stallTimeoutMs = 0;    // give up when nothing arrives for this long; 0: no limit
        long long maxBytes = 0;     // give up when more would arrive; 0: no limit
        std::string user;
        std::string password;
    };
    using StateSink = std::function<void(TransferState)>;

    virtual ~Transfer() = default;
    // Fetches a whole document into `body`. False on any failure (no server, refused, an error
    // status, a time-out, more than `maxBytes`); `body` is then unspecified.
    virtual bool fetch(const std::string& url, const Options& options, std::string& body) = 0;
    // Downloads a file into `path` (created or replaced), reporting the states it goes through, in
    // the calling thread. True only when the whole file arrived within the options' limits; on false
    // the file may hold a part of it.
    virtual bool download(const std::string& url, const Options& options, const std::string& path,
                          const StateSink& onState) = 0;
};

}  // namespace vq
