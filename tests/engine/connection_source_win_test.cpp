// The Windows connection source against the real registry (run under Wine on Linux), with WinINet's
// answer given by the test.
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

// A profiles key of the test's own, so that the user's dial-up profiles are neither read nor touched.
const std::wstring kProfiles =
    L"Software\\VarlotteQyrTests\\Profile" + std::to_wstring(GetCurrentProcessId());

TEST(WinInetSource, ProfileNamesAreTheFirstElevenDialUpProfilesInUtf8) {
    WinInetSource source({}, kProfiles);
    EXPECT_TRUE(source.profileNames().empty());

    // Twelve profiles, the first with letters outside ASCII.
    std::vector<std::wstring> created{L"Abonnement \u00e9t\u00e9"};
    for (int i = 1; i <= 11; ++i)
        created.push_back(L"Forfait " + std::to_wstring(100 + i));
    for (const std::wstring& name : created) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kProfiles + L"\\" + name).c_str(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    const std::vector<std::string> names = source.profileNames();
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfiles.c_str());

    ASSERT_EQ(names.size(), 11u);
    EXPECT_EQ(names.front(), "Abonnement \xc3\xa9t\xc3\xa9");
    EXPECT_EQ(names.back(), "Forfait 110");
}

TEST(WinInetSource, OnlyADialUpConnectionHasAName) {
    WinInetSource::ConnectedState reported;
    WinInetSource source([&] { return reported; }, kProfiles);

    reported = {true, INTERNET_CONNECTION_MODEM, L"Abonnement \u00e9t\u00e9"};
    EXPECT_TRUE(source.isConnected());
    EXPECT_EQ(source.activeConnectionName(), "Abonnement \xc3\xa9t\xc3\xa9");

    reported = {true, INTERNET_CONNECTION_LAN, L"LAN Connection"};
    EXPECT_TRUE(source.isConnected());
    EXPECT_EQ(source.activeConnectionName(), "");

    // A modem that hung up may still leave its flag and name behind.
    reported = {false, INTERNET_CONNECTION_MODEM, L"Abonnement"};
    EXPECT_FALSE(source.isConnected());
    EXPECT_EQ(source.activeConnectionName(), "");
}

}  // namespace
}  // namespace vq
#endif
