#include <gtest/gtest.h>

#include "engine/engine.h"
#include "plans/day_progress.h"
#include "support/engine_fixture.h"

namespace vq::test {
namespace {

class StartUpTest : public EngineTest {};

TEST_F(StartUpTest, LoadsTheLastPlanAndArmsTheTick) {
    savePlan("Maison", "Lundi/5/0,12/0,02/9/1/20/08:00:00/20:00:00", "12:30:00", "07:30:00", "1,25");
    ecrireini("Typeconex", "Version", "321", option);
    std::vector<std::string> order;
    engine.hooks().lireskin = [&] { order.push_back("skin"); };
    engine.hooks().repsup = [&] { order.push_back("repsup " + state.planName + " " + state.lcd1); };
    clock.time = TimeOfDay{9, 15, 0};
    start();

    EXPECT_EQ(order, (std::vector<std::string>{"skin", "repsup Maison 12:30:00"}));
    EXPECT_EQ(state.cheminoption, option);
    EXPECT_EQ(state.chemintempo, tempo);
    EXPECT_EQ(state.versioninstallee, 321);
    EXPECT_EQ(state.payingDay, "Lundi");
    EXPECT_EQ(state.monthStartDay, "5");
    EXPECT_EQ(state.firstMinutePrice, "0,12");
    EXPECT_EQ(state.minutePrice, "0,02");
    EXPECT_EQ(state.freePeriod, 1);
    EXPECT_EQ(state.temps, "20");
    EXPECT_EQ(state.temps2, "20");
    EXPECT_EQ(state.freeStart, "08:00:00");
    EXPECT_EQ(state.freeEnd, "20:00:00");
    EXPECT_EQ(state.lcd1, "12:30:00");
    EXPECT_EQ(state.tmpstotal, "12:30:00");
    EXPECT_EQ(state.lcd2, "07:30:00");
    EXPECT_EQ(state.amountDue, "1,25");  // the stored amount, not the record's field
    EXPECT_EQ(state.connectionTime, "09:15:00");
    EXPECT_EQ(state.connectionDate, "08/12/2026");
    EXPECT_EQ(state.timer2Interval, 900);
    EXPECT_EQ(state.timer1Interval, 0);
    EXPECT_EQ(state.ouinon, "1");
    EXPECT_EQ(state.etatconnexion, "1");
    EXPECT_EQ(tmp("ouinon"), "1");
    EXPECT_EQ(opt("Typeconex", "Date"), "08/12/2026 09:15:00");  // date and time of this start
    ASSERT_EQ(tray.tips.size(), 1u);
    EXPECT_EQ(tray.tips[0], "TT: 12:30:00 | T: 00:00:00 | TR: 07:30:00");
}

TEST_F(StartUpTest, ShortRecordsUsedUpPlansAndOddVersions) {
    // Six fields: the allowance and the free period keep what they held.
    ecrireini("Forfaits", "Court", "Mardi/3/1/2/3/1", option);
    ecrireini("Dernc Court", "temps", "01:00:00", option);
    ecrireini("Dernc Court", "avf", "04:00:00", option);
    ecrireini("Dernc Court", "forfaitdep", "1", option);
    ecrireini("Typeconex", "Forfait", "Court", option);
    ecrireini("Typeconex", "Version", "abc", option);
    state.temps = "42";
    state.freeStart = "01:02:03";
    start();
    EXPECT_EQ(state.payingDay, "Mardi");
    EXPECT_EQ(state.freePeriod, 1);
    EXPECT_EQ(state.temps, "42");
    EXPECT_EQ(state.freeStart, "01:02:03");
    EXPECT_EQ(state.freeEnd, "00:00:00");
    EXPECT_EQ(state.lcd2, "00:00:00");  // used-up plan without allowance, whatever "avf" holds
    EXPECT_EQ(state.versioninstallee, 0);

    for (std::string version : {"", "0", "70000", "-1"}) {
        ecrireini("Typeconex", "Version", version, option);
        EXPECT_EQ(restart()->state.versioninstallee, version == "-1" ? -1 : 0) << version;
    }
}

TEST_F(StartUpTest, AtMostElevenProfilesInTheirOrder) {
    for (int i = 1; i <= 12; ++i)
        source.profiles.push_back("Profil " + std::to_string(i));
    start();
    ASSERT_EQ(state.profiles.size(), 11u);
    EXPECT_EQ(state.profiles.front(), "Profil 1");
    EXPECT_EQ(state.profiles.back(), "Profil 11");
}

TEST_F(StartUpTest, PlanBoxReloadsOnlyWhenItsTextChanges) {
    savePlan("A", "/1/0/0/0/0/20/00:00:00/00:00:00", "12:30:00", "03:00:00");
    savePlan("B", "Jeudi/2/0,5/0,1/7/0/10/00:00:00/00:00:00", "01:00:00", "09:00:00");
    start();
    EXPECT_EQ(state.planName, "B");
    state.lcd1 = "shown";
    engine.setPlanName("B");
    EXPECT_EQ(state.lcd1, "shown");

    engine.setPlanName("A");
    EXPECT_EQ(state.lcd1, "12:30:00");
    EXPECT_EQ(state.lcd2, "03:00:00");
    EXPECT_EQ(state.temps2, "20");
    EXPECT_EQ(state.amountDue, "0");  // the record's field, unlike at start-up

    // Typing a new name: the fields stay, the totals show empty.
    engine.setPlanName("A2");
    EXPECT_EQ(state.temps, "20");
    EXPECT_EQ(state.lcd1, "");
    EXPECT_EQ(state.lcd2, "");

    // The record editor's side of the main window.
    MainWindowPort& port = engine;
    int redraws = 0;
    engine.stateChanged.add([&] { ++redraws; });
    port.selectPlan("B");
    EXPECT_EQ(port.planName(), "B");
    EXPECT_EQ(port.allowanceHours(), "10");
    EXPECT_EQ(port.firstMinutePrice(), "0,5");
    EXPECT_EQ(port.minutePrice(), "0,1");
    port.setMonthTotal("02:00:00");
    port.setLcd2("08:00:00");
    port.setAmountDue("1,5");
    EXPECT_EQ(state.tmpstotal, "02:00:00");
    EXPECT_EQ(port.lcd1(), "02:00:00");
    EXPECT_EQ(port.lcd2(), "08:00:00");
    EXPECT_EQ(state.amountDue, "1,5");
    EXPECT_EQ(redraws, 4);
}

TEST(DayProgressTest, WeekdayOfTheDayBox) {
    int day = 5;
    recojour("Dimanche", day);
    EXPECT_EQ(day, 1);
    recojour("Samedi", day);
    EXPECT_EQ(day, 7);
    recojour("Lundi", day);
    EXPECT_EQ(day, 2);
    recojour("La Semaine", day);
    EXPECT_EQ(day, 2);
    recojour("lundi", day);  // exact comparison
    EXPECT_EQ(day, 2);
    recojour("", day);
    EXPECT_EQ(day, 0);
}

TEST(DayProgressTest, ProgressBarFromAllowanceAndMonthTotal) {
    float max = 100, value = 0;
    progressbar("20", "07:45:10", max, value);
    EXPECT_EQ(max, 20);
    EXPECT_EQ(value, 7);
    progressbar("20", "03:00:00", max, value);
    progressbar("20", "21:10:00", max, value);  // beyond the allowance: a full bar
    EXPECT_EQ(value, 20);
    progressbar("20", "20:00:01", max, value);
    EXPECT_EQ(value, 20);
    progressbar("00", "05:00:00", max, value);
    EXPECT_EQ(max, 20);
    EXPECT_EQ(value, 20);
    progressbar("150", "123:00:00", max, value);  // three hour digits
    EXPECT_EQ(max, 150);
    EXPECT_EQ(value, 123);
    progressbar("100", "120:30:00", max, value);
    EXPECT_EQ(value, 100);
    progressbar("abc", "", max, value);  // unreadable: both kept
    EXPECT_EQ(max, 100);
    EXPECT_EQ(value, 100);
    progressbar("10", "05:00:00", max, value);  // a lower maximum never leaves the value above it
    EXPECT_EQ(max, 10);
    EXPECT_EQ(value, 5);
    progressbar("5", "", max, value);
    EXPECT_LE(value, max);
}

}  // namespace
}  // namespace vq::test
