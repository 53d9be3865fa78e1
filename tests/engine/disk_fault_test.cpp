// A full disk or a folder that cannot be written: nothing crashes, no file is left half written, and
// what could not be stored is stored, once, by the first write that succeeds.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#ifdef __linux__
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include "records/record_editor.h"
#include "support/engine_fixture.h"

namespace vq::test {
namespace {

#ifdef __linux__
// A RAM-backed file system of a few pages mounted over a folder, which a filler file can take whole.
class TinyDisk {
public:
    explicit TinyDisk(std::string folder) : m_folder(std::move(folder)) {}
    ~TinyDisk() {
        if (m_mounted)
            umount2(m_folder.c_str(), MNT_DETACH);
    }
    // "" once mounted, else the reason it could not be.
    std::string mount() {
        if (geteuid() != 0)
            return "mounting a file system needs root (CI runs this test as root)";
        if (::mount("vq-tiny-disk", m_folder.c_str(), "tmpfs", 0, "size=64k") != 0)
            return std::string("mount -t tmpfs failed: ") + std::strerror(errno);
        m_mounted = true;
        return {};
    }
    // Writes the filler until the file system says it is full; false if it never does.
    bool fill() {
        const int fd = ::open(filler().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return false;
        const std::string page(4096, 'x');
        for (std::size_t chunk : {page.size(), std::size_t{1}}) {
            while (::write(fd, page.data(), chunk) == static_cast<ssize_t>(chunk)) {
            }
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    void makeRoom() { std::filesystem::remove(filler()); }
    std::string filler() const { return m_folder + "/filler"; }

private:
    std::string m_folder;
    bool m_mounted = false;
};

std::set<std::string> filesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}
#endif

class DiskFaultTest : public EngineTest {
protected:
    void TearDown() override { setIniWriteFailureForTesting(false); }

    void counted(int seconds) {
        source.connected = true;
        at(20, 0, 0);
        tick();
        run(seconds);
    }
};

TEST_F(DiskFaultTest, ConnectionEndingOnAFullDiskIsStoredOnceWhenTheDiskHasRoom) {
    savePlan("Soir", kNoFree, "01:00:00", "19:00:00");
    start();
    counted(30);
    // A start and thirty healthy ticks log nothing.
    EXPECT_EQ(log.lines, std::vector<std::string>{});
    const std::string optionBefore = readFile(option), tempoBefore = readFile(tempo);

    setIniWriteFailureForTesting(true);
    source.connected = false;
    run(5);
    // The failed write is reported once, not on every tick that tries it again.
    const std::vector<std::string> failed{
        "warning: Could not write the ended connection's record and totals to " + option +
        " (full disk or folder not writable)"};
    EXPECT_EQ(log.lines, failed);
    // Nothing written, nothing lost: the files are whole and the connection waits in memory.
    EXPECT_EQ(readFile(option), optionBefore);
    EXPECT_EQ(readFile(tempo), tempoBefore);
    EXPECT_EQ(tmp("ouinon"), "2");  // a crash now restores it
    EXPECT_TRUE(engine.closedConnectionPending());
    // A new connection does not open over the one not stored yet.
    source.connected = true;
    run(3);
    EXPECT_EQ(state.etatconnexion, "1");
    EXPECT_EQ(state.lcd1, "01:00:30");

    setIniWriteFailureForTesting(false);
    source.connected = false;
    run(1);
    EXPECT_FALSE(engine.closedConnectionPending());
    ASSERT_EQ(storedRecords(),
              std::vector<std::string>{"00:00:30" + kSep + "20:00:00" + kSep + "08/12/2026" + kSep + "Soir"});
    EXPECT_EQ(opt("nbdent", "n°"), "1");
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:30");
    EXPECT_EQ(opt("Dernc Soir", "avf"), "18:59:30");
    EXPECT_EQ(tmp("ouinon"), "1");
    run(3);
    EXPECT_EQ(storedRecords().size(), 1u);
    EXPECT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines.back(),
              "info: Wrote the ended connection's record and totals to " + option + " again");

    // Counting starts again once the ended connection is stored.
    source.connected = true;
    run(10);
    source.connected = false;
    run(1);
    ASSERT_EQ(storedRecords().size(), 2u);
    // Opened on the first tick of the ten, counted until the last.
    EXPECT_EQ(storedRecords()[1], "00:00:09" + kSep + "20:00:43" + kSep + "08/12/2026" + kSep + "Soir");
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:39");
    EXPECT_EQ(log.lines.size(), 2u);
}

// The same on a disk that is really full: replacing a file fails with ENOSPC, the store says so, and
// neither the records already stored nor the totals are lost.
TEST_F(DiskFaultTest, OnARealFullDiskNothingStoredIsLostAndTheConnectionIsStoredLater) {
#ifndef __linux__
    GTEST_SKIP() << "a RAM-backed file system is mounted on Linux only";
#else
    TinyDisk disk(dir.path());
    if (const std::string why = disk.mount(); !why.empty())
        GTEST_SKIP() << "no tiny file system on " << dir.path() << ": " << why;
    const std::string before = "01:00:00" + kSep + "09:00:00" + kSep + "01/12/2026" + kSep + "Soir";
    savePlan("Soir", kNoFree, "01:00:00", "19:00:00");
    ecrireini("Enregistrement", "1", before, option);
    ecrireini("nbdent", "n°", "1", option);
    start();
    counted(30);
    const std::string optionBefore = readFile(option), tempoBefore = readFile(tempo);

    ASSERT_TRUE(disk.fill()) << "the file system never filled up";
    EXPECT_FALSE(ecrireini("Typeconex", "Essai", "1", option));
    source.connected = false;
    run(5);
    EXPECT_EQ(readFile(option), optionBefore);
    EXPECT_EQ(readFile(tempo), tempoBefore);
    EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"filler", "option.ini", "tempo.ini"}));
    EXPECT_TRUE(engine.closedConnectionPending());
    EXPECT_EQ(tmp("ouinon"), "2");

    disk.makeRoom();
    run(1);
    EXPECT_FALSE(engine.closedConnectionPending());
    EXPECT_EQ(storedRecords(), (std::vector<std::string>{before, "00:00:30" + kSep + "20:00:00" + kSep +
                                                                     "08/12/2026" + kSep + "Soir"}));
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:30");
    EXPECT_EQ(opt("Dernc Soir", "avf"), "18:59:30");
    EXPECT_EQ(opt("Typeconex", "Essai"), "");
    EXPECT_EQ(tmp("ouinon"), "1");
#endif
}

TEST_F(DiskFaultTest, KilledWhileTheEndedConnectionWaitsItIsRestoredOnce) {
    savePlan("Soir", kNoFree, "01:00:00", "19:00:00");
    start();
    counted(20);
    setIniWriteFailureForTesting(true);
    source.connected = false;
    run(2);
    setIniWriteFailureForTesting(false);

    // Killed here. The next start restores the figures of the last crash-state write.
    restart();
    ASSERT_EQ(storedRecords(),
              std::vector<std::string>{"00:00:20" + kSep + "20:00:00" + kSep + "08/12/2026" + kSep + "Soir"});
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:20");
    EXPECT_EQ(tmp("ouinon"), "1");
}

TEST_F(DiskFaultTest, RestoreOnAFullDiskKeepsTheFlagAndIsStoredLater) {
    savePlan("Soir", kNoFree, "05:00:00", "15:00:00");
    ecrireini("plantage", "ouinon", "2", tempo);
    ecrireini("plantage", "tempspassé", "00:42:10", tempo);
    ecrireini("plantage", "tempstotal", "05:42:10", tempo);
    ecrireini("plantage", "tempsrestant", "14:17:50", tempo);
    ecrireini("plantage", "date", "07/12/2026", tempo);
    ecrireini("plantage", "heuredep", "21:05:33", tempo);
    ecrireini("plantage", "prix", "0", tempo);
    const std::string optionBefore = readFile(option);

    setIniWriteFailureForTesting(true);
    start();
    const std::string reason = " (full disk or folder not writable)";
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{
                  "warning: Could not write the ended connection's record and totals to " + option + reason,
                  "warning: Could not write the start date to " + option + reason}));
    EXPECT_EQ(readFile(option), optionBefore);
    EXPECT_EQ(tmp("ouinon"), "2");
    EXPECT_TRUE(engine.closedConnectionPending());
    run(2);  // still full

    setIniWriteFailureForTesting(false);
    run(1);
    EXPECT_FALSE(engine.closedConnectionPending());
    const std::string record = "00:42:10" + kSep + "21:05:33" + kSep + "07/12/2026" + kSep + "Soir";
    EXPECT_EQ(storedRecords(), std::vector<std::string>{record});
    EXPECT_EQ(opt("Dernc Soir", "temps"), "05:42:10");
    EXPECT_EQ(tmp("ouinon"), "1");
    // A later start finds nothing more to restore.
    state = MainState{};
    start();
    EXPECT_EQ(storedRecords(), std::vector<std::string>{record});
}

// Records changed while the disk is full are written, with the totals they imply, by the first
// write that succeeds; until then the editor works on the values it could not write.
TEST_F(DiskFaultTest, RecordEditsOnAFullDiskAreWrittenWithTheirTotalsLater) {
    savePlan("Soir", kNoFree, "01:00:00", "19:00:00");
    ecrireini("Enregistrement", "1", "01:00:00" + kSep + "09:00:00" + kSep + "01/12/2026" + kSep + "Soir",
              option);
    ecrireini("nbdent", "n°", "1", option);
    start();
    RecordEditor editor(records, engine, dialogs, option);
    const std::string optionBefore = readFile(option);

    setIniWriteFailureForTesting(true);
    RecordsRows rows;
    for (const char* d : {"00:10:00", "00:20:00"}) {
        editor.openAddRow(rows, clock);
        rows.addDuration = d;
        ASSERT_TRUE(editor.add(rows));
    }
    EXPECT_EQ(readFile(option), optionBefore);
    EXPECT_EQ(records.count(), 3);
    EXPECT_EQ(state.lcd1, "01:30:00");

    setIniWriteFailureForTesting(false);
    editor.select(rows, 0);
    ASSERT_TRUE(editor.remove(rows));
    EXPECT_EQ(storedRecords().size(), 2u);
    EXPECT_EQ(opt("Dernc Soir", "temps"), "00:30:00");
    EXPECT_EQ(opt("Dernc Soir", "avf"), "19:30:00");
}

}  // namespace
}  // namespace vq::test
