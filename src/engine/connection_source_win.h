#pragma once
// The connection as Windows reports it: the internet connected state, the active dial-up connection's
// name, and the dial-up profile names under HKEY_CURRENT_USER\RemoteAccess\Profile.

#include <functional>
#include <string>
#include <vector>

#include "engine/connection_source.h"

namespace vq {

class WinInetSource final : public ConnectionSource {
public:
    // What WinINet says of the connection: whether one is up, its INTERNET_CONNECTION_* flags and
    // the name of the connection.
    struct ConnectedState {
        bool connected = false;
        unsigned long flags = 0;
        std::wstring name;
    };
    // By default WinINet answers and the profiles are the current user's; tests give their own.
    explicit WinInetSource(std::function<ConnectedState()> query = {},
                           std::wstring profilesKey = L"RemoteAccess\\Profile");

    bool isConnected() override;
    std::string activeConnectionName() override;
    std::vector<std::string> profileNames() override;

private:
    std::function<ConnectedState()> m_query;
    std::wstring m_profilesKey;
};

}  // namespace vq
