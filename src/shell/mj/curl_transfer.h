#pragma once
// The Transfer port over libcurl, used by the update helper only: HTTP and FTP, proxies ignored,
// error statuses treated as failures, size and time bounds enforced, and the states of a transfer
// drawn from libcurl's progress and traces.

#include "shell/transfer.h"

namespace vq {

class CurlTransfer final : public Transfer {
public:
    CurlTransfer();
    bool fetch(const std::string& url, const Options& options, std::string& body) override;
    bool download(const std::string& url, const Options& options, const std::string& path,
                  const StateSink& onState) override;
};

}  // namespace vq
