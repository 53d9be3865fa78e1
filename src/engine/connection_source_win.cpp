#include "engine/connection_source_win.h"

#include <utility>

// clang-format off
#include <windows.h>
#include <wininet.h>
// clang-format on

namespace vq {
namespace {

constexpr DWORD kMaxProfiles = 11;

// Windows names are UTF-16; the program keeps every text in UTF-8.
std::string utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

WinInetSource::ConnectedState askWinInet() {
    WinInetSource::ConnectedState state;
    DWORD flags = 0;
    wchar_t name[256] = {};
    state.connected = InternetGetConnectedStateExW(&flags, name, 255, 0) == TRUE;
    name[255] = L'\0';
    state.flags = flags;
    state.name = name;
    return state;
}

}  // namespace

WinInetSource::WinInetSource(std::function<ConnectedState()> query, std::wstring profilesKey)
    : m_query(query ? std::move(query) : std::function<ConnectedState()>(askWinInet)),
      m_profilesKey(std::move(profilesKey)) {}

bool WinInetSource::isConnected() {
    return m_query().connected;
}

std::string WinInetSource::activeConnectionName() {
    const ConnectedState state = m_query();
    // Only a dial-up connection names a plan; a network one reports "LAN Connection" or the like.
    if (!state.connected || !(state.flags & INTERNET_CONNECTION_MODEM))
        return {};
    return utf8(state.name.c_str());
}

std::vector<std::string> WinInetSource::profileNames() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, m_profilesKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0; index < kMaxProfiles; ++index) {
        wchar_t name[1024] = {};
        DWORD length = 1024;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(utf8(name));
    }
    RegCloseKey(key);
    return names;
}

}  // namespace vq
