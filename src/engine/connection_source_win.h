#pragma once
// The connection as Windows reports it: the internet connected state, the active dial-up connection's
// name, and the dial-up profile names under HKEY_CURRENT_USER\RemoteAccess\Profile.

#include <string>
#include <vector>

#include "engine/connection_source.h"

namespace vq {

class WinInetSource final : public ConnectionSource {
public:
    bool isConnected() override;
    std::string activeConnectionName() override;
    std::vector<std::string> profileNames() override;
};

}  // namespace vq
