// A program killed between two writes of one operation: whatever instant the kill hits, the next
// start stores each connection once and the plan totals always add up to the records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/record_editor.h"
#include "support/engine_fixture.h"

namespace vq::test {
namespace {

// The seconds in an "hh:mm:ss" duration, read here rather than by the routines under test.
long seconds(const std::string& duration) {
    if (duration.size() < 8)
        return -1;
    const std::size_t n = duration.size();
    return std::stol(duration.substr(0, n - 6)) * 3600 + std::stol(duration.substr(n - 5, 2)) * 60 +
           std::stol(duration.substr(n - 2));
}

class InterruptedWritesTest : public EngineTest {
protected:
    // Starts a program on the folder as it is now, as after a kill, and reads back its records.
    std::vector<std::string> recordsAfterRestart() {
        restart();
        return storedRecords();
    }
};

// A closing writes the final figures to the state file, the record with the totals, then the flag.
// The states a kill between them leaves all end as the finished closing.
TEST_F(InterruptedWritesTest, EveryInstantOfAClosingEndsInOneRecordAndTheSameTotals) {
    savePlan("Soir", kNoFree, "01:00:00", "19:00:00");
    start();
    source.connected = true;
    at(20, 0, 0);
    tick();
    run(40);
    const std::string optionBefore = readFile(option);
    const std::string tempoWhileCounting = readFile(tempo);
    for (int i = 0; i < 3; ++i) {  // counted on, with no crash-state write
        clock.advance(1);
        engine.timer2Tick();
    }
    source.connected = false;
    run(1);
    const std::string optionAfter = readFile(option);
    const std::string tempoAfter = readFile(tempo);
    ASSERT_EQ(storedRecords().size(), 1u);
    const std::string record = storedRecords()[0];
    EXPECT_EQ(record, "00:00:43" + kSep + "20:00:00" + kSep + "08/12/2026" + kSep + "Soir");
    const std::string temps = opt("Dernc Soir", "temps"), avf = opt("Dernc Soir", "avf");
    EXPECT_EQ(temps, "01:00:43");

    struct Cut {
        const char* when;
        std::string option;
        bool finalFigures;
    };
    const Cut cuts[] = {
        {"before the final figures", optionBefore, false},
        {"after the final figures", optionBefore, true},
        {"after the record and totals", optionAfter, true},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.when);
        writeFile(option, cut.option);
        writeFile(tempo, cut.finalFigures ? tempoAfter : tempoWhileCounting);
        ecrireini("plantage", "ouinon", "2", tempo);
        clearIniCache();
        std::vector<std::string> lines = recordsAfterRestart();
        ASSERT_EQ(lines.size(), 1u);
        // Before the final figures the last crash-state write is what survives.
        if (cut.finalFigures) {
            EXPECT_EQ(lines[0], record);
            EXPECT_EQ(opt("Dernc Soir", "temps"), temps);
            EXPECT_EQ(opt("Dernc Soir", "avf"), avf);
        } else {
            EXPECT_EQ(lines[0], "00:00:40" + kSep + "20:00:00" + kSep + "08/12/2026" + kSep + "Soir");
            EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:40");
        }
        EXPECT_EQ(tmp("ouinon"), "1");
        // And a kill during that start, after its record and before its flag, changes nothing.
        ecrireini("plantage", "ouinon", "2", tempo);
        EXPECT_EQ(recordsAfterRestart(), lines);
    }
}

// A record the user changes together with its plan's totals: a kill at any instant of the change
// leaves totals that the records add up to.
TEST_F(InterruptedWritesTest, RecordEditsReachTheFileTogetherWithTheirTotals) {
    // A plan without allowance: its time is billed, and every change is shown on the main window
    // between the writes.
    savePlan("Libre", "/1/1/1/10/0/00/00:00:00/00:00:00", "02:00:00", "00:00:00", "10");
    ecrireini("Enregistrement", "1", "01:00:00" + kSep + "09:00:00" + kSep + "01/12/2026" + kSep + "Libre",
              option);
    ecrireini("Enregistrement", "2", "01:00:00" + kSep + "10:00:00" + kSep + "02/12/2026" + kSep + "Libre",
              option);
    ecrireini("nbdent", "n°", "2", option);
    start();
    RecordEditor editor(records, engine, dialogs, option);

    // Each time the windows are told to redraw, the file is what a kill at that instant leaves.
    std::vector<std::string> instants;
    engine.stateChanged.add([&] { instants.push_back(readFile(option)); });
    RecordsRows rows;
    editor.openAddRow(rows, clock);
    rows.addDuration = "00:30:00";
    ASSERT_TRUE(editor.add(rows));
    editor.select(rows, 0);
    ASSERT_TRUE(editor.remove(rows));
    editor.select(rows, 0);
    editor.openEditRow(rows);
    rows.editDuration = "00:10:00";
    ASSERT_TRUE(editor.modify(rows));
    instants.push_back(readFile(option));
    ASSERT_GT(instants.size(), 3u);

    TempDir copy;
    const std::string path = copy.file("option.ini");
    for (const std::string& content : instants) {
        writeFile(path, content);
        clearIniCache();
        RecordStore stored(path);
        stored.load();
        long sum = 0;
        for (const std::string& line : stored.lines())
            sum += seconds(line.substr(0, 8));
        SCOPED_TRACE(content);
        EXPECT_EQ(seconds(lireini("Dernc Libre", "temps", path)), sum);
    }
    EXPECT_EQ(storedRecords().size(), 2u);
    EXPECT_EQ(opt("Dernc Libre", "temps"), "00:40:00");
}

}  // namespace
}  // namespace vq::test
