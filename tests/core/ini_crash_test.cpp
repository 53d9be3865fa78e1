// A writer killed at random instants in the middle of its writes never leaves a broken file: the
// file is always one whole generation, the last one committed or the one before.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

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

#if !defined(_WIN32) && defined(VQ_INI_WRITER)
// Temporary files ("." name ".vqtmp." pid "." six characters) left in a folder, by one writer or
// (pid 0) by any.
int temporariesIn(const std::string& folder, pid_t pid = 0) {
    const std::string mark = pid ? ".vqtmp." + std::to_string(pid) + "." : ".vqtmp.";
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().find(mark) != std::string::npos)
            ++n;
    return n;
}
#endif

TEST(IniStoreCrash, KilledWriterLeavesAWholeFile) {
#if defined(_WIN32) || !defined(VQ_INI_WRITER)
    GTEST_SKIP() << "needs the writer program and POSIX signals";
#else
    test::TempDir dir;
    const std::string path = dir.file("option.ini");
    test::writeFile(path, test::crashTestFile(0));

    // The writer reports each committed generation with one byte. Each round waits for a random
    // number of reports and then kills it at a random instant of its next write, the length of a
    // write being measured as the writer goes: the kills land among writes however fast the machine.
    using Clock = std::chrono::steady_clock;
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> reportsBeforeKill(0, 3);
    std::uniform_real_distribution<double> shareOfAWrite(0.0, 1.0);
    Clock::duration oneWrite{};
    long generation = 0;
    int advanced = 0, interrupted = 0;
    // Where writing the temporary file is quick next to the rest of a write (a file system in
    // memory), few kills land in it: the rounds go on until a few have.
    const int leastRounds = 120, mostRounds = 3000, leastInterrupted = 3;
    int round = 0;
    for (; round < mostRounds && (round < leastRounds || interrupted < leastInterrupted); ++round) {
        std::string first = std::to_string(generation + 1);
        std::string program = VQ_INI_WRITER, file = path;
        char* args[] = {program.data(), file.data(), first.data(), nullptr};
        int reports[2];
        ASSERT_EQ(pipe(reports), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, reports[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, reports[0]);
        posix_spawn_file_actions_addclose(&actions, reports[1]);
        pid_t pid;
        const int spawned = posix_spawn(&pid, VQ_INI_WRITER, &actions, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(reports[1]);
        ASSERT_EQ(spawned, 0);

        const int wanted = reportsBeforeKill(random);
        int seen = 0;
        char byte;
        Clock::time_point last = Clock::now();
        while (seen < wanted && read(reports[0], &byte, 1) == 1) {
            const Clock::time_point now = Clock::now();
            if (seen > 0)
                oneWrite = now - last;
            last = now;
            ++seen;
        }
        ASSERT_EQ(seen, wanted) << "the writer stopped by itself in round " << round;
        std::this_thread::sleep_for(
            std::chrono::duration_cast<Clock::duration>(oneWrite * shareOfAWrite(random)));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, status " << status;
        // Reports written between the last one read and the kill.
        while (read(reports[0], &byte, 1) == 1)
            ++seen;
        close(reports[0]);

        const std::string n = lireini("nbdent", "n°", path);
        ASSERT_FALSE(n.empty()) << "round " << round;
        const long found = std::stol(n);
        // Every reported generation is on disk; one more may have been committed just before the
        // kill without being reported.
        ASSERT_GE(found, generation + seen) << "round " << round;
        ASSERT_LE(found, generation + seen + 1) << "round " << round;
        ASSERT_EQ(test::readFile(path), test::crashTestFile(found)) << "round " << round;
        ASSERT_EQ(lireini("Enregistrement", "299", path), test::crashTestRecord(found, 299));
        if (found > generation)
            ++advanced;
        // A temporary file left behind: this kill landed inside a write.
        if (temporariesIn(dir.path(), pid) > 0)
            ++interrupted;
        generation = found;
    }
    // Three rounds in four wait for reports, and the file must move on in each of them; some kills
    // must land between a write's start and its rename.
    EXPECT_GT(advanced, round / 2);
    EXPECT_GE(interrupted, leastInterrupted) << "kills inside a write, in " << round << " rounds";
    // Temporary files of killed writers are swept by the next writer: at most the last one is left.
    EXPECT_LE(temporariesIn(dir.path()), 1);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_LE(entries, 2u);
#endif
}

}  // namespace
}  // namespace vq
