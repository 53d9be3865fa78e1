#include <gtest/gtest.h>

#include "engine/engine.h"
#include "support/engine_fixture.h"

namespace vq::test {
namespace {

class TickTest : public EngineTest {};

TEST_F(TickTest, FortyTwoMinuteConnectionGivesOneRecordAndGrowsTheTotal) {
    savePlan("Soir", kNoFree, "01:00:00", "19:00:00");
    start();
    at(21, 5, 32);
    tick();
    EXPECT_EQ(state.connectionText, "Non connecté");
    EXPECT_EQ(state.timer1Interval, 0);

    source.connected = true;
    at(21, 5, 33);
    tick();
    EXPECT_EQ(state.connectionText, "Connecté");
    EXPECT_EQ(state.timer1Interval, 930);
    EXPECT_EQ(tmp("ouinon"), "2");
    run(42 * 60 + 10);  // to 21:47:43
    EXPECT_EQ(state.duree, "00:42:10");
    EXPECT_EQ(state.lcd1, "01:42:10");
    EXPECT_EQ(state.lcd2, "18:17:50");
    EXPECT_EQ(tmp("tempspassé"), "00:42:10");

    source.connected = false;
    run(1);
    EXPECT_EQ(state.connectionText, "Non connecté");
    EXPECT_EQ(state.timer1Interval, 0);
    EXPECT_EQ(state.lastConnectionPlan, "Soir");
    ASSERT_EQ(storedRecords(),
              std::vector<std::string>{"00:42:10" + kSep + "21:05:33" + kSep + "08/12/2026" + kSep + "Soir"});
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:42:10");
    EXPECT_EQ(opt("Dernc Soir", "avf"), "18:17:50");
    EXPECT_EQ(tmp("ouinon"), "1");

    // Idle ticks afterwards store nothing more.
    run(5);
    EXPECT_EQ(storedRecords().size(), 1u);
}

TEST_F(TickTest, FreePeriodEveryDayIsNotCountedBoundsIncluded) {
    savePlan("Nuit", "La Semaine/1/0/0/0/1/20/08:00:00/20:00:00", "00:00:00", "20:00:00");
    start();
    source.connected = true;
    at(19, 0, 0);
    tick();
    run(3600);  // to 20:00:00, still inside
    EXPECT_EQ(state.etatconnexion, "1");
    EXPECT_EQ(state.ouinon, "1");
    run(1);  // 20:00:01
    EXPECT_EQ(state.connectionTime, "20:00:01");
    run(3599);  // 21:00:00
    source.connected = false;
    run(1);
    ASSERT_EQ(storedRecords().size(), 1u);
    EXPECT_EQ(storedRecords()[0], "00:59:59" + kSep + "20:00:01" + kSep + "08/12/2026" + kSep + "Nuit");

    // A counted connection still running when the free period begins is closed at its first second.
    source.connected = true;
    at(7, 59, 0);
    tick();
    run(59);
    EXPECT_EQ(state.duree, "00:00:59");
    run(1);  // 08:00:00
    EXPECT_EQ(state.etatconnexion, "1");
    ASSERT_EQ(storedRecords().size(), 2u);
    EXPECT_EQ(storedRecords()[1], "00:00:59" + kSep + "07:59:00" + kSep + "08/12/2026" + kSep + "Nuit");
    EXPECT_EQ(opt("Dernc Nuit", "temps"), "01:00:58");
}

TEST_F(TickTest, FreePeriodVariants) {
    ASSERT_EQ(weekdayNumber(clock.date), 3);  // the fake clock's day is a Tuesday ("Mardi")
    struct Case {
        std::string day, from, to;
        TimeOfDay time;
        bool counted;
    };
    const Case cases[] = {
        {"Mardi", "08:00:00", "20:00:00", {12, 0, 0}, true},       // the excepted weekday is paid
        {"Lundi", "08:00:00", "20:00:00", {12, 0, 0}, false},      // another weekday stays free
        {"", "08:00:00", "20:00:00", {12, 0, 0}, false},           // no day chosen: free every day
        {"La Semaine", "00:30:00", "06:00:00", {1, 0, 0}, false},  // a free period after midnight
        {"La Semaine", "00:30:00", "06:00:00", {7, 0, 0}, true},
        {"La Semaine", "22:00:00", "08:00:00", {23, 0, 0}, true},  // start after end never applies
        {"La Semaine", "22:00:00", "08:00:00", {3, 0, 0}, true},
        {"La Semaine", "8:00:00", "20:00:00", {12, 0, 0}, true},   // no leading zero: above every time
        {"La Semaine", "00:00:00", "00:00:00", {0, 0, 0}, false},  // no free period: only midnight
        {"La Semaine", "00:00:00", "00:00:00", {0, 0, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.day + " " + c.from + "-" + c.to + " at " + timeText(c.time));
        state = MainState{};
        savePlan("P", c.day + "/1/0/0/0/1/20/" + c.from + "/" + c.to, "00:00:00", "20:00:00");
        start();
        source.connected = true;
        clock.time = c.time;
        tick();
        EXPECT_EQ(state.comptage, c.counted ? "1" : "2");
        EXPECT_EQ(state.etatconnexion, c.counted ? "2" : "1");
        source.connected = false;
        tick();
    }
}

TEST_F(TickTest, AllowanceRunsOutWarnsOnceThenPricesEachMinute) {
    savePlan("Soir", "/1/0,12/0,02/1,5/0/01/00:00:00/00:00:00", "00:59:55", "00:00:05", "1,5");
    start();
    source.connected = true;
    at(10, 0, 0);
    tick();
    EXPECT_EQ(state.lcd2, "00:00:05");
    EXPECT_EQ(state.amountDue, "1,5");  // not priced while allowance is left
    run(4);
    EXPECT_EQ(state.lcd2, "00:00:01");
    EXPECT_TRUE(dialogs.shown.empty());
    run(1);  // 10:00:05: the allowance is used up
    EXPECT_EQ(state.lcd2, "00:00:00");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Il vaudrait mieux arrêter, le forfait est dépassé.");
    EXPECT_EQ(dialogs.shown[0].title, "Oh");
    EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);
    EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::None);

    run(1);
    EXPECT_EQ(state.amountDue, "1,62");  // first minute 0,12 on top of the 1,5 owed
    run(2 * 60);                         // 10:02:06, priced from the length at 10:02:05
    EXPECT_EQ(state.amountDue, "1,66");
    EXPECT_EQ(state.lcd2, "00:00:00");
    EXPECT_EQ(state.lcd1, "01:02:01");

    source.connected = false;
    run(1);
    EXPECT_EQ(opt("Dernc Soir", "prix"), "1,66");
    EXPECT_EQ(opt("Dernc Soir", "avf"), "00:00:00");

    // A second connection of the same run is priced from the start and not warned again.
    source.connected = true;
    run(1);
    EXPECT_EQ(state.amountDue, "1,78");  // 1,66 + 0,12 for the new connection's first minute
    run(70);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(state.lcd2, "00:00:00");
}

TEST_F(TickTest, PlanWithoutAllowanceIsPricedFromTheFirstTickWithoutWarning) {
    savePlan("Libre", "/1/0,12/0,02/0/0/00/00:00:00/00:00:00", "00:00:00", "00:00:00");
    start();
    source.connected = true;
    at(9, 0, 0);
    tick();
    // The opening tick bills the first minute only, whatever the previous connection lasted.
    EXPECT_EQ(state.amountDue, "0,12");
    EXPECT_EQ(opt("Dernc Libre", "forfaitdep"), "1");
    run(61);
    EXPECT_EQ(state.amountDue, "0,14");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(TickTest, PricesThatAreNotNumbersCountAsZero) {
    savePlan("X", "/1/abc/x/oops/0/00/00:00:00/00:00:00", "00:00:00", "00:00:00", "zz");
    start();
    EXPECT_EQ(state.amountDue, "zz");  // shown as stored
    source.connected = true;
    at(9, 0, 0);
    tick();
    run(120);
    EXPECT_EQ(state.amountDue, "0");
    source.connected = false;
    run(1);
    EXPECT_EQ(opt("Dernc X", "prix"), "0");

    // An amount due that is not a number is never stored as such, even unpriced.
    savePlan("Y", "/1/0/0/oops/0/20/00:00:00/00:00:00", "00:00:00", "20:00:00", "5");
    state = MainState{};
    start();
    EXPECT_EQ(state.planName, "Y");
    state.amountDue = "oops";
    source.connected = true;
    run(10);
    source.connected = false;
    run(1);
    EXPECT_EQ(opt("Dernc Y", "prix"), "0");
}

// Boxes as the windows show them: one that waits runs the timers in its own event loop until it is
// answered; one that does not wait stays open while the program goes on.
class NestedLoopDialogs final : public Dialogs {
public:
    std::function<void()> whileOpen;
    int shownCount = 0;
    bool open = false;
    DialogAnswer show(const std::string&, const std::string&, DialogButtons, DialogIcon) override {
        ++shownCount;
        if (whileOpen)
            whileOpen();
        return DialogAnswer::Ok;
    }
    void showWithoutWaiting(const std::string&, const std::string&, DialogIcon) override {
        ++shownCount;
        open = true;
    }
};

TEST_F(TickTest, CountingGoesOnWhileTheWarningIsOpen) {
    NestedLoopDialogs boxes;
    Engine nested{state, Engine::Deps{clock, source, boxes, records, &tray, nullptr}, dir.path()};
    savePlan("Soir", "/1/0,1/0,1/0/0/01/00:00:00/00:00:00", "00:59:58", "00:00:02");
    records.load();
    nested.formLoad();
    int redraws = 0;
    nested.stateChanged.add([&] { ++redraws; });
    auto second = [&] {
        clock.advance(1);
        nested.timer2Tick();
        nested.timer1Tick();
    };
    // The user leaves the box open while the connection goes on for 34 seconds and then ends.
    boxes.whileOpen = [&] {
        EXPECT_GT(redraws, 0);  // the window was told before the box opened
        for (int i = 0; i < 34; ++i)
            second();
        EXPECT_EQ(tmp("tempspassé"), "00:00:36");
        source.connected = false;
        second();
    };
    source.connected = true;
    at(10, 0, 0);
    nested.timer2Tick();
    second();
    second();  // the allowance runs out here
    if (boxes.open)
        boxes.whileOpen();
    EXPECT_EQ(boxes.shownCount, 1);
    ASSERT_EQ(storedRecords(),
              std::vector<std::string>{"00:00:36" + kSep + "10:00:00" + kSep + "08/12/2026" + kSep + "Soir"});
    EXPECT_EQ(opt("Dernc Soir", "prix"), "0,1");  // the first minute, no whole minute yet
    EXPECT_EQ(opt("Dernc Soir", "temps"), "01:00:34");

    // A second connection of the run, still under the open box, is not warned again.
    source.connected = true;
    second();
    second();
    EXPECT_EQ(boxes.shownCount, 1);
    EXPECT_EQ(state.amountDue, "0,2");
}

TEST_F(TickTest, ConnectionAcrossMidnightWithoutFreePeriodGivesTwoRecords) {
    savePlan("P", kNoFree, "00:00:00", "20:00:00");
    start();
    source.connected = true;
    at(23, 59, 50);
    tick();
    run(10);  // 00:00:00 next day: not countable
    EXPECT_EQ(state.etatconnexion, "1");
    run(20);  // opens again at 00:00:01, counts to 00:00:20
    source.connected = false;
    run(1);
    std::vector<std::string> lines = storedRecords();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "00:00:09" + kSep + "23:59:50" + kSep + "08/12/2026" + kSep + "P");
    EXPECT_EQ(lines[1], "00:00:19" + kSep + "00:00:01" + kSep + "09/12/2026" + kSep + "P");
    EXPECT_EQ(opt("Dernc P", "temps"), "00:00:28");
}

TEST_F(TickTest, ConnectionAcrossMidnightWithFreePeriodIsOneRecord) {
    struct Order {
        const char* name;
        bool writerFirst;  // the crash-state write falls before the tick in the second 23:59:59
        int writesAtLast;  // crash-state writes in that second (0: none falls in it)
    };
    for (Order o : {Order{"tick first", false, 1}, Order{"writer first", true, 1},
                    Order{"two writes", true, 2}, Order{"no write", false, 0}}) {
        SCOPED_TRACE(o.name);
        state = MainState{};
        clock.date = Date{2026, 12, 8};
        savePlan("N", "La Semaine/1/0/0/0/1/20/08:00:00/20:00:00", "00:00:00", "20:00:00");
        ecrireini("nbdent", "n°", "0", option);
        ecrireini("Enregistrement", "1", "", option);
        start();
        source.connected = true;
        at(23, 50, 0);
        tick();
        run(598);  // 23:59:59 is the next second
        clock.advance(1);
        if (o.writerFirst) {
            for (int i = 0; i < o.writesAtLast; ++i)
                engine.timer1Tick();
            engine.timer2Tick();
        } else {
            engine.timer2Tick();
            for (int i = 0; i < o.writesAtLast; ++i)
                engine.timer1Tick();
        }
        EXPECT_EQ(state.duree, "00:09:59");
        clock.advance(1);
        engine.timer2Tick();
        EXPECT_EQ(state.duree, "00:10:00");
        run(600);  // 00:10:00
        EXPECT_EQ(state.duree, "00:20:00");
        source.connected = false;
        run(1);
        std::vector<std::string> lines = storedRecords();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "00:20:00" + kSep + "23:50:00" + kSep + "08/12/2026" + kSep + "N");
    }
}

TEST_F(TickTest, ClockSetBackKeepsCountingFromTheShownLength) {
    savePlan("P", kNoFree, "00:00:00", "20:00:00");
    start();
    source.connected = true;
    at(15, 0, 0);
    tick();
    run(100);
    EXPECT_EQ(state.duree, "00:01:40");
    at(14, 0, 0);
    tick();
    EXPECT_EQ(state.duree, "00:01:40");
    run(20);
    EXPECT_EQ(state.duree, "00:02:00");
    EXPECT_EQ(state.lcd2, "19:58:00");

    // Set forward an hour (the change to summer time): the connection still lasts what elapsed.
    source.connected = false;
    run(1);
    source.connected = true;
    at(1, 59, 55);
    tick();
    run(5);
    at(3, 0, 0);
    run(5);
    source.connected = false;
    run(1);
    ASSERT_EQ(storedRecords().size(), 2u);
    EXPECT_EQ(storedRecords()[1], "00:00:10" + kSep + "01:59:55" + kSep + "08/12/2026" + kSep + "P");
    EXPECT_EQ(opt("Dernc P", "temps"), "00:02:10");
}

TEST_F(TickTest, ConnectionNameSelectsItsPlan) {
    savePlan("Mobile", "/1/0/0/0/0/10/00:00:00/00:00:00", "02:00:00", "08:00:00");
    savePlan("Maison", kNoFree, "00:00:00", "20:00:00");
    start();
    EXPECT_EQ(state.planName, "Maison");
    source.connected = true;
    source.name = "Mobile";
    at(12, 0, 0);
    tick();
    EXPECT_EQ(state.planName, "Mobile");
    EXPECT_EQ(state.temps, "10");
    run(30);
    EXPECT_EQ(state.lcd1, "02:00:30");
    EXPECT_EQ(tmp("tempstotal"), "02:00:30");
    EXPECT_EQ(opt("Typeconex", "Forfait"), "Mobile");
    ASSERT_FALSE(tray.tips.empty());
    EXPECT_EQ(tray.tips.back(), "TT: 02:00:29 | T: 00:00:29 | TR: 07:59:31");
}

TEST_F(TickTest, PlanWithoutTotalsIsNeverCountedAgainst) {
    savePlan("Maison", kNoFree, "01:00:00", "19:00:00");
    ecrireini("Forfaits", "Vide", kNoFree, option);  // saved, but its totals were never written
    start();
    source.connected = true;
    at(12, 0, 0);
    tick();
    run(10);
    // A connection whose name is no saved plan (a phone's hotspot) is counted under the plan in use.
    source.name = "Inconnu";
    run(10);
    EXPECT_EQ(state.planName, "Maison");
    EXPECT_EQ(state.lcd1, "01:00:20");
    source.connected = false;
    run(1);
    source.connected = true;  // and so is the next connection
    run(5);
    EXPECT_EQ(state.planName, "Maison");
    EXPECT_EQ(state.duree, "00:00:04");

    // A saved plan without totals is selected but not counted against; the last figures stay.
    source.name = "Vide";
    run(10);
    EXPECT_EQ(state.planName, "Vide");
    EXPECT_EQ(state.lcd1, "");
    EXPECT_EQ(opt("Dernc Vide", "temps"), "");
    EXPECT_EQ(tmp("tempstotal"), "01:00:24");
    EXPECT_EQ(opt("Typeconex", "Forfait"), "Maison");
    EXPECT_EQ(storedRecords().size(), 1u);

    // Nothing is counted until a plan with totals is selected again; the open connection then goes on.
    source.name = "";
    engine.selectPlan("Maison");
    run(2);
    EXPECT_EQ(state.duree, "00:00:16");
    EXPECT_EQ(state.lcd1, "01:00:36");
    source.connected = false;
    run(1);
    EXPECT_EQ(storedRecords().size(), 2u);
    EXPECT_EQ(opt("Dernc Maison", "temps"), "01:00:36");
    // Whatever plan a new connection's name brings, the state label tells the connection.
    EXPECT_EQ(state.connectionText, "Non connecté");
    source.name = "Vide";
    source.connected = true;
    run(1);
    EXPECT_EQ(state.connectionText, "Connecté");
    source.connected = false;
    source.name = "";
    run(1);

    // First start: no plan at all, the tick does nothing.
    TempDir empty;
    StartedProgram first(empty.path(), clock, source, dialogs);
    source.connected = true;
    int calls = source.connectedCalls;
    first.engine.timer2Tick();
    EXPECT_EQ(source.connectedCalls, calls);
    EXPECT_EQ(first.state.comptage, "");
    EXPECT_EQ(lireini("plantage", "ouinon", empty.file("tempo.ini")), "1");
}

TEST_F(TickTest, UpdateCheckRunsWhenACountedConnectionOpens) {
    savePlan("P", kNoFree, "00:00:00", "20:00:00");
    ecrireini("Typeconex", "Version", "323", option);
    start();
    source.connected = true;
    at(12, 0, 0);
    run(5);
    EXPECT_EQ(update.opened, std::vector<int>{323});
    source.connected = false;
    run(1);
    source.connected = true;
    run(1);
    EXPECT_EQ(update.opened, (std::vector<int>{323, 323}));
}

}  // namespace
}  // namespace vq::test
