// A writer killed at random instants in the middle of its writes never leaves a broken file: the
// file is always one whole generation, the last one committed or the one before.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "core/ini_store.h"
#include "core/tools/record_text.h"
#include "support/fakes.h"

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vq {
namespace {

TEST(IniStoreCrash, KilledWriterLeavesAWholeFile) {
#if defined(_WIN32) || !defined(VQ_INI_WRITER)
    GTEST_SKIP() << "needs the writer program and POSIX signals";
#else
    test::TempDir dir;
    const std::string path = dir.file("option.ini");
    test::writeFile(path, test::crashTestFile(0));

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayUs(0, 25000);
    long generation = 0;
    int advanced = 0;
    const int kills = 120;
    for (int round = 0; round < kills; ++round) {
        std::string first = std::to_string(generation + 1);
        std::string program = VQ_INI_WRITER, file = path;
        char* args[] = {program.data(), file.data(), first.data(), nullptr};
        pid_t pid;
        ASSERT_EQ(posix_spawn(&pid, VQ_INI_WRITER, nullptr, nullptr, args, environ), 0);
        usleep(static_cast<useconds_t>(delayUs(random)));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, status " << status;

        const std::string n = lireini("nbdent", "n°", path);
        ASSERT_FALSE(n.empty()) << "round " << round;
        const long found = std::stol(n);
        ASSERT_GE(found, generation);
        ASSERT_EQ(test::readFile(path), test::crashTestFile(found)) << "round " << round;
        ASSERT_EQ(lireini("Enregistrement", "299", path), test::crashTestRecord(found, 299));
        if (found > generation)
            ++advanced;
        generation = found;
    }
    // Most runs got writes through, so the kills did land among writes.
    EXPECT_GT(advanced, kills / 4);
    // Temporary files of killed writers are swept by the next writer: at most the last one is left.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_LE(entries, 2u);
#endif
}

}  // namespace
}  // namespace vq
