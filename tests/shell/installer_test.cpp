#include "shell/installer.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/ini_store.h"
#include "support/fakes.h"

namespace vq {
namespace {

namespace fs = std::filesystem;

bool executableByAll(const fs::path& p) {
#ifdef _WIN32
    // Windows has no execute permission: any regular file may be started.
    return fs::is_regular_file(p);
#else
    const fs::perms perms = fs::status(p).permissions();
    return (perms & fs::perms::owner_exec) != fs::perms::none &&
           (perms & fs::perms::others_exec) != fs::perms::none;
#endif
}

// A program folder holding the old build and a data folder holding the new one, downloaded.
class InstallerTest : public ::testing::Test {
protected:
    InstallerTest() {
        test::writeFile(program.file("Varlotte"), "old build");
        test::writeFile(data.file("Varlotte.update"), "new build");
    }
    test::TempDir program, data;
};

TEST_F(InstallerTest, ReplacesTheExecutableKeepingTheOldOneAsBackup) {
    const InstallReport report = installExecutable(program.path(), data.file("Varlotte.update"), "Varlotte");

    EXPECT_TRUE(report.replaced);
    EXPECT_EQ(report.start, fs::path(program.file("Varlotte")));
    EXPECT_EQ(test::readFile(program.file("Varlotte")), "new build");
    EXPECT_TRUE(executableByAll(program.file("Varlotte")));
    EXPECT_EQ(test::readFile(program.file("Varlotte.bak")), "old build");
    EXPECT_FALSE(fs::exists(data.file("Varlotte.update")));
    EXPECT_FALSE(fs::exists(program.file("Varlotte.new")));
}

TEST_F(InstallerTest, AFailedReplacementLeavesTheOldExecutableToStart) {
    InstallerFileOps failing;
    failing.rename = [](const fs::path&, const fs::path&, std::error_code& ec) {
        ec = std::make_error_code(std::errc::no_space_on_device);
    };

    const InstallReport report =
        installExecutable(program.path(), data.file("Varlotte.update"), "Varlotte", failing);

    EXPECT_FALSE(report.replaced);
    EXPECT_FALSE(report.message.empty());
    EXPECT_EQ(report.start, fs::path(program.file("Varlotte")));
    EXPECT_EQ(test::readFile(program.file("Varlotte")), "old build");
    EXPECT_FALSE(fs::exists(program.file("Varlotte.new")));
    // The download is kept for another attempt.
    EXPECT_TRUE(fs::exists(data.file("Varlotte.update")));

    // Nothing downloaded at all: the old program is still the one started.
    const InstallReport none = installExecutable(program.path(), data.file("absent"), "Varlotte");
    EXPECT_FALSE(none.replaced);
    EXPECT_EQ(test::readFile(program.file("Varlotte")), "old build");
}

TEST_F(InstallerTest, RestoresTheBackupWhenTheExecutableIsGone) {
    std::filesystem::remove(program.file("Varlotte"));
    test::writeFile(program.file("Varlotte.bak"), "previous build");
    const InstallReport report = installExecutable(program.path(), program.file("absent"), "Varlotte");
    EXPECT_FALSE(report.replaced);
    EXPECT_TRUE(report.restored);
    EXPECT_EQ(report.start, fs::path(program.file("Varlotte")));
    EXPECT_EQ(test::readFile(program.file("Varlotte")), "previous build");
    EXPECT_TRUE(executableByAll(program.file("Varlotte")));

    test::TempDir empty;
    EXPECT_TRUE(installExecutable(empty.path(), empty.file("absent"), "Varlotte").start.empty());
}

#ifndef _WIN32
// The installer program itself: waits for the given process to end, installs and starts the new build.
TEST(InstallerProgram, WaitsForTheProgramThenStartsTheNewBuild) {
    const fs::path mj = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "mj";
    ASSERT_TRUE(fs::exists(mj)) << "build the mj target first: " << mj;
    test::TempDir program, data;
    const std::string marker = program.file("started");
    test::writeFile(program.file("Varlotte"), "#!/bin/sh\necho old > '" + marker + "'\n");
    test::writeFile(data.file("Varlotte.update"), "#!/bin/sh\necho new > '" + marker + "'\n");
    fs::permissions(program.file("Varlotte"), fs::perms::owner_all);

    // The "running program": ends after a short while and is not reaped until mj has finished.
    const pid_t running = fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        _exit(0);
    }
    const auto begun = std::chrono::steady_clock::now();
    const std::string option = data.file("option.ini");
    test::writeFile(option, "[Typeconex]\nVersion=323\n");
    const std::string command = "'" + mj.string() + "' " + std::to_string(running) + " '" + program.path() +
                                "' '" + data.file("Varlotte.update") + "' '" + option + "' 324";
    const int status = std::system(command.c_str());
    const auto waited = std::chrono::steady_clock::now() - begun;
    waitpid(running, nullptr, 0);

    EXPECT_EQ(status, 0);
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_EQ(test::readFile(marker), "new\n");
    EXPECT_EQ(test::readFile(program.file("Varlotte.bak")), "#!/bin/sh\necho old > '" + marker + "'\n");
    EXPECT_EQ(lireini("Typeconex", "Version", option), "324");  // stored once replaced

    // The installer with nothing to install starts the program already there.
    fs::remove(marker);
    const std::string again =
        "'" + mj.string() + "' 0 '" + program.path() + "' '" + data.file("absent") + "' '" + option + "' 325";
    EXPECT_EQ(std::system(again.c_str()), 0);
    EXPECT_EQ(test::readFile(marker), "new\n");
    // Nothing replaced, nothing stored: the update is offered again.
    EXPECT_EQ(lireini("Typeconex", "Version", option), "324");
}
#endif

}  // namespace
}  // namespace vq
