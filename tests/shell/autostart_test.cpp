#include "shell/autostart.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fakes.h"

namespace vq {
namespace {

TEST(Autostart, EntryPathAndExecQuoting) {
    EXPECT_EQ(autostartEntryPath("/x/cfg", "/home/u"), "/x/cfg/autostart/varlotte-qyr.desktop");
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/cfg"})
        EXPECT_EQ(autostartEntryPath(unusable, "/home/u"), "/home/u/.config/autostart/varlotte-qyr.desktop");

    EXPECT_EQ(execValue("/usr/bin/Varlotte"), "/usr/bin/Varlotte");
    EXPECT_EQ(execValue("/opt/Mes programmes/Varlotte"), "\"/opt/Mes programmes/Varlotte\"");
    // Inside quotes "$" and "\" get a backslash; then "%" is doubled and every backslash escaped again.
    EXPECT_EQ(execValue("/a b/$x\\y%z"), R"("/a b/\\$x\\\\y%%z")");
    EXPECT_EQ(execValue("/a\"b/V"), R"("/a\\"b/V")");
}

TEST(Autostart, EntryWrittenInAFreshConfigFolderAndRemoved) {
    test::TempDir dir;
    const std::string entry = autostartEntryPath((dir.path() + "/config").c_str(), "/nowhere");
    EXPECT_FALSE(autostartEnabled(entry));
    ASSERT_TRUE(enableAutostart(entry, "/opt/Mes programmes/Varlotte"));
    EXPECT_TRUE(autostartEnabled(entry));
    const std::string text = test::readFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
    EXPECT_NE(text.find("\nExec=\"/opt/Mes programmes/Varlotte\"\n"), std::string::npos);

    // Turned off by the desktop's own settings: the file stays but says Hidden=true.
    test::writeFile(entry, text + "Hidden = true\n");
    EXPECT_FALSE(autostartEnabled(entry));
    test::writeFile(entry, text + "[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(autostartEnabled(entry));

    EXPECT_TRUE(disableAutostart(entry));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_FALSE(autostartEnabled(entry));
}

}  // namespace
}  // namespace vq
