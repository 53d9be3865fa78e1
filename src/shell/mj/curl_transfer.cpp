#include "shell/mj/curl_transfer.h"

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
    }
    // A stalled transfer (under 1 byte/s for the stall time, a minute at most) is given up.
    const long stallSeconds = options.stallTimeoutMs > 0 ? (options.stallTimeoutMs + 999) / 1000 : 60L;
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, stallSeconds < 60L ? stallSeconds : 60L);
    if (options.maxBytes > 0) {
        // Refused at once when announced larger; counted while it arrives otherwise.
        curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    }
    if (!options.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, options.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, options.password.c_str());
    }
    return curl;
}

struct Bounded {
    std::string* body;
    long long maxBytes;  // 0: no limit
};

size_t appendToString(char* data, size_t size, size_t count, void* target) {
    auto* bounded = static_cast<Bounded*>(target);
    const size_t bytes = size * count;
    if (bounded->maxBytes > 0 &&
        bounded->body->size() + bytes > static_cast<unsigned long long>(bounded->maxBytes)) {
        return 0;  // more than allowed: libcurl ends the transfer with an error
    }
    bounded->body->append(data, bytes);
    return bytes;
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
    long long written = 0;
    long long maxBytes = 0;  // 0: no limit

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
    const long long bytes = static_cast<long long>(size * count);
    if (tracker->maxBytes > 0 && tracker->written + bytes > tracker->maxBytes) {
        tracker->writeFailed = true;  // more than allowed: libcurl ends the transfer with an error
        return 0;
    }
    if (std::fwrite(data, size, count, tracker->file) != count) {
        tracker->writeFailed = true;
        return 0;
    }
    tracker->written += bytes;
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
    Bounded bounded{&body, options.maxBytes};
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, appendToString);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &bounded);
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
    tracker.maxBytes = options.maxBytes;
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
