// The Windows connection source against the real registry and WinINet (run under Wine on Linux).
#ifdef _WIN32
#include "engine/connection_source_win.h"

#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <wininet.h>
// clang-format on

#include <string>
#include <vector>

namespace vq {
namespace {

constexpr const wchar_t* kProfiles = L"RemoteAccess\\Profile";

bool profileKeyHasSubkeys() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProfiles, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    return subkeys > 0;
}

TEST(WinInetSource, ProfileNamesAreTheFirstElevenDialUpProfilesInUtf8) {
    if (profileKeyHasSubkeys())
        GTEST_SKIP() << "this user has dial-up profiles of their own; they are left alone";
    WinInetSource source;
    EXPECT_TRUE(source.profileNames().empty());

    // Twelve profiles, the first with letters outside ASCII.
    std::vector<std::wstring> created{L"Abonnement \u00e9t\u00e9"};
    for (int i = 1; i <= 11; ++i)
        created.push_back(L"Forfait " + std::to_wstring(100 + i));
    for (const std::wstring& name : created) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kProfiles) + L"\\" + name).c_str(), 0,
                                  nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    const std::vector<std::string> names = source.profileNames();
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfiles);

    ASSERT_EQ(names.size(), 11u);
    EXPECT_EQ(names.front(), "Abonnement \xc3\xa9t\xc3\xa9");
    EXPECT_EQ(names.back(), "Forfait 110");
}

TEST(WinInetSource, OnlyADialUpConnectionHasAName) {
    WinInetSource source;
    DWORD flags = 0;
    const bool modem = InternetGetConnectedState(&flags, 0) && (flags & INTERNET_CONNECTION_MODEM);
    if (!modem) {
        EXPECT_EQ(source.activeConnectionName(), "");
    }
    if (!source.isConnected()) {
        EXPECT_EQ(source.activeConnectionName(), "");
    }
}

}  // namespace
}  // namespace vq
#endif
