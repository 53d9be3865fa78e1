#include "shell/curl_transfer.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string_view>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace vq {

namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

Easy newEasy(const std::string& url, const Transfer::Options& options) {
    Easy curl(curl_easy_init());
    if (!curl) {
        return curl;
    }
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps");
    if (options.connectTimeoutMs > 0) {
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    }
    if (options.totalTimeoutMs > 0) {
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
    } else {
        // No overall limit, but a stalled transfer (under 1 byte/s for a minute) is given up.
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    }
    if (!options.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, options.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, options.password.c_str());
    }
    return curl;
}

size_t appendToString(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// Turns libcurl's callbacks into the window's states, each reported once and in order.
class StateTracker {
public:
    explicit StateTracker(const Transfer::StateSink& sink) : m_sink(sink) {}
    void reach(TransferState state) {
        while (m_last < static_cast<int>(state)) {
            ++m_last;
            if (m_sink) {
                m_sink(static_cast<TransferState>(m_last));
            }
        }
    }
    void fail() {
        if (m_sink) {
            m_sink(TransferState::Error);
        }
    }

    FILE* file = nullptr;
    bool writeFailed = false;

private:
    const Transfer::StateSink& m_sink;
    int m_last = 0;
};

curl_socket_t openSocket(void* data, curlsocktype, curl_sockaddr* address) {
    auto* tracker = static_cast<StateTracker*>(data);
    tracker->reach(TransferState::Connecting);  // the name is resolved once a socket is asked for
    return socket(address->family, address->socktype, address->protocol);
}

int trace(CURL*, curl_infotype type, char* text, size_t size, void* data) {
    auto* tracker = static_cast<StateTracker*>(data);
    switch (type) {
        case CURLINFO_TEXT:
            if (std::string_view(text, size).find("Connected to") != std::string_view::npos) {
                tracker->reach(TransferState::Connected);
            }
            break;
        case CURLINFO_HEADER_IN:
            tracker->reach(TransferState::Connected);
            break;
        case CURLINFO_HEADER_OUT:
            tracker->reach(TransferState::Requesting);
            break;
        case CURLINFO_DATA_IN:
            tracker->reach(TransferState::Receiving);
            break;
        default:
            break;
    }
    return 0;
}

size_t writeToFile(char* data, size_t size, size_t count, void* target) {
    auto* tracker = static_cast<StateTracker*>(target);
    tracker->reach(TransferState::Receiving);
    if (std::fwrite(data, size, count, tracker->file) != count) {
        tracker->writeFailed = true;
        return 0;
    }
    return size * count;
}

}  // namespace

CurlTransfer::CurlTransfer() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool CurlTransfer::fetch(const std::string& url, const Options& options, std::string& body) {
    Easy curl = newEasy(url, options);
    if (!curl) {
        return false;
    }
    body.clear();
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, appendToString);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    return curl_easy_perform(curl.get()) == CURLE_OK;
}

bool CurlTransfer::download(const std::string& url, const Options& options, const std::string& path,
                            const StateSink& onState) {
    StateTracker tracker(onState);
    tracker.reach(TransferState::Resolving);
    Easy curl = newEasy(url, options);
    FILE* file = curl ? std::fopen(path.c_str(), "wb") : nullptr;
    if (!file) {
        tracker.fail();
        return false;
    }
    tracker.file = file;
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &tracker);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, &tracker);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, trace);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &tracker);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    const CURLcode result = curl_easy_perform(c);

    // A file shorter than announced is a failure even when the server closed cleanly.
    curl_off_t expected = -1, received = 0;
    curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    curl_easy_getinfo(c, CURLINFO_SIZE_DOWNLOAD_T, &received);
    const bool closed = std::fflush(file) == 0 && std::fclose(file) == 0;
    if (result != CURLE_OK || !closed || tracker.writeFailed || (expected >= 0 && received != expected)) {
        tracker.fail();
        return false;
    }
    tracker.reach(TransferState::ResponseReceived);
    tracker.reach(TransferState::Disconnected);
    return true;
}

}  // namespace vq
