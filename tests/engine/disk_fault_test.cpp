// A full disk or a folder that cannot be written: nothing crashes, no file is left half written, and
// what could not be stored is stored, once, by the first write that succeeds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/record_editor.h"
#include "support/engine_fixture.h"

namespace vq::test {
namespace {

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
    const std::string optionBefore = readFile(option), tempoBefore = readFile(tempo);

    setIniWriteFailureForTesting(true);
    source.connected = false;
    run(5);
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

    // Counting starts again once the ended connection is stored.
    source.connected = true;
    run(10);
    source.connected = false;
    run(1);
    ASSERT_EQ(storedRecords().size(), 2u);
    // Opened on the first tick of the ten, counted until the last.
    EXPECT_EQ(storedRecords()[1], "00:00:09" + kSep + "20:00:43" + kSep + "08/12/2026" + kSep + "Soir");
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:39");
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
