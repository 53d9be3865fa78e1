#include <gtest/gtest.h>

#include <memory>

#include "engine/engine.h"
#include "support/engine_fixture.h"

namespace vq::test {
namespace {

using namespace std::string_literals;

class CrashStateTest : public EngineTest {
protected:
    void leaveCrashState(const std::string& flag) {
        ecrireini("plantage", "ouinon", flag, tempo);
        ecrireini("plantage", "tempspassé", "00:42:10", tempo);
        ecrireini("plantage", "tempstotal", "05:42:10", tempo);
        ecrireini("plantage", "tempsrestant", "14:17:50", tempo);
        ecrireini("plantage", "date", "07/12/2026", tempo);
        ecrireini("plantage", "heuredep", "21:05:33", tempo);
        ecrireini("plantage", "prix", "0,5", tempo);
    }
    void threeRecords() {
        for (int k = 1; k <= 3; ++k)
            ecrireini("Enregistrement", std::to_string(k),
                      "00:01:00" + kSep + "10:00:00" + kSep + "01/12/2026" + kSep + "Soir", option);
        ecrireini("nbdent", "n°", "3", option);
    }
};

TEST_F(CrashStateTest, InterruptedConnectionBecomesARecordAndTheTotals) {
    // The state as this program leaves it (either flag), and as the Windows version's files hold it.
    const struct {
        std::string flag, file;  // `file` empty: written by this program
    } forms[] = {
        {"2", ""},
        {"3", ""},
        {"Windows-1252, blanks of every kind, NUL-ended names and values",
         "[plantage]\r\n\v ouinon = 2\f\r\ntempspass\xE9=\t00:42:10 \x1A\r\ntempstotal=05:42:10\0 junk\r\n"
         "tempsrestant=14:17:50\r\ndate=07/12/2026\r\nheuredep\0x=21:05:33\r\nprix=0,5\r\n\x1A"s},
        {"UTF-16LE",
         utf16leFile(u"[plantage]\r\nouinon=3\r\ntempspassé=00:42:10\r\ntempstotal=05:42:10\r\n"
                     u"tempsrestant=14:17:50\r\ndate=07/12/2026\r\nheuredep=21:05:33\r\nprix=0,5\r\n")},
    };
    for (const auto& [flag, file] : forms) {
        SCOPED_TRACE(file.empty() ? "ouinon " + flag : flag);
        state = MainState{};
        savePlan("Soir", kNoFree, "05:00:00", "15:00:00", "0");
        threeRecords();
        ecrireini("Enregistrement", "4", "", option);
        if (file.empty())
            leaveCrashState(flag);
        else
            writeFile(tempo, file);
        bool skinLoadedFirst = false;
        engine.hooks().lireskin = [&] { skinLoadedFirst = opt("nbdent", "n°") == "3"; };
        start();
        EXPECT_TRUE(skinLoadedFirst);
        EXPECT_EQ(opt("nbdent", "n°"), "4");
        EXPECT_EQ(opt("Enregistrement", "4"),
                  "00:42:10" + kSep + "21:05:33" + kSep + "07/12/2026" + kSep + "Soir");
        EXPECT_EQ(records.count(), 4);
        EXPECT_EQ(opt("Dernc Soir", "temps"), "05:42:10");
        EXPECT_EQ(opt("Dernc Soir", "avf"), "14:17:50");
        EXPECT_EQ(opt("Dernc Soir", "prix"), "0,5");
        EXPECT_EQ(opt("Dernc Soir", "forfaitdep"), "2");
        EXPECT_EQ(state.lastConnectionPlan, "Soir");
        EXPECT_EQ(state.lcd1, "05:42:10");
        EXPECT_EQ(state.lcd2, "14:17:50");
        EXPECT_EQ(state.amountDue, "0,5");
        EXPECT_EQ(tmp("ouinon"), "1");
    }
}

TEST_F(CrashStateTest, NothingIsRestoredAfterACleanCloseOrFromFiguresThatAreNoDurations) {
    savePlan("Soir", kNoFree, "05:00:00", "15:00:00");
    threeRecords();
    leaveCrashState("1");
    start();
    EXPECT_EQ(opt("nbdent", "n°"), "3");
    EXPECT_EQ(opt("Dernc Soir", "temps"), "05:00:00");

    state = MainState{};
    leaveCrashState("2");
    ecrireini("plantage", "tempstotal", "", tempo);
    start();
    EXPECT_EQ(opt("nbdent", "n°"), "3");
    EXPECT_EQ(opt("Dernc Soir", "temps"), "05:00:00");
    EXPECT_EQ(tmp("ouinon"), "1");
}

TEST_F(CrashStateTest, MissingOrUnreadableCounterUsesTheNextFreeKey) {
    savePlan("Soir", kNoFree, "05:00:00", "15:00:00");
    leaveCrashState("2");
    start();  // no records at all
    EXPECT_EQ(opt("nbdent", "n°"), "1");
    EXPECT_EQ(opt("Enregistrement", "1"),
              "00:42:10" + kSep + "21:05:33" + kSep + "07/12/2026" + kSep + "Soir");

    state = MainState{};
    ecrireini("Enregistrement", "0", "00:05:00" + kSep + "09:00:00" + kSep + "01/12/2026" + kSep + "Soir",
              option);
    ecrireini("Enregistrement", "1", "", option);
    ecrireini("nbdent", "n°", "abc", option);
    leaveCrashState("2");
    ecrireini("plantage", "tempspassé", "00:00:07", tempo);
    start();
    EXPECT_EQ(opt("nbdent", "n°"), "1");
    std::vector<std::string> lines = storedRecords();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 8), "00:05:00");
    EXPECT_EQ(lines[1].substr(0, 8), "00:00:07");
}

TEST_F(CrashStateTest, WriterKeepsTheOpenConnectionsFigures) {
    savePlan("Soir", "/1/0,1/0,1/0,3/0/00/00:00:00/00:00:00", "05:00:00", "00:00:00", "0,3");
    start();
    engine.timer1Tick();  // not running: writes nothing
    EXPECT_EQ(tmp("tempspassé"), "");
    source.connected = true;
    at(21, 5, 33);
    tick();
    run(70);
    EXPECT_EQ(tmp("ouinon"), "2");
    EXPECT_EQ(tmp("tempspassé"), "00:01:10");
    EXPECT_EQ(tmp("tempstotal"), "05:01:10");
    EXPECT_EQ(tmp("tempsrestant"), "00:00:00");
    EXPECT_EQ(tmp("date"), "08/12/2026");
    EXPECT_EQ(tmp("heuredep"), "21:05:33");
    EXPECT_EQ(tmp("prix"), state.amountDue);
    EXPECT_EQ(state.amountDue, "0,5");
    EXPECT_EQ(opt("Typeconex", "Forfait"), "Soir");
}

TEST_F(CrashStateTest, KilledProgramRecordsTheConnectionOnceAtTheNextStart) {
    savePlan("Soir", kNoFree, "01:00:00", "19:00:00");
    start();
    source.connected = true;
    at(20, 0, 0);
    tick();
    run(30);
    source.connected = false;
    run(1);  // first connection closed and recorded
    source.connected = true;
    at(21, 0, 0);
    engine.timer2Tick();  // a second one opens and the program dies before any crash-state write

    std::unique_ptr<StartedProgram> restarted = restart();
    std::vector<std::string> lines = storedRecords();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "00:00:30" + kSep + "20:00:00" + kSep + "08/12/2026" + kSep + "Soir");
    EXPECT_EQ(lines[1], "00:00:00" + kSep + "21:00:00" + kSep + "08/12/2026" + kSep + "Soir");
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:30");

    // A longer one, killed after the writer ran: recorded with the last figures shown.
    restarted->engine.timer2Tick();
    for (int i = 0; i < 95; ++i) {
        clock.advance(1);
        restarted->engine.timer2Tick();
        restarted->engine.timer1Tick();
    }
    const MainState shown = restarted->state;
    std::unique_ptr<StartedProgram> third = restart();
    lines = storedRecords();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(shown.duree, "00:01:35");
    EXPECT_EQ(lines[2], "00:01:35" + kSep + "21:00:00" + kSep + "08/12/2026" + kSep + "Soir");
    EXPECT_EQ(shown.lcd1, "01:02:05");
    EXPECT_EQ(shown.lcd2, "18:57:55");
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:02:05");
    EXPECT_EQ(opt("Dernc Soir", "avf"), "18:57:55");
    EXPECT_EQ(third->state.lcd1, "01:02:05");
}

}  // namespace
}  // namespace vq::test
