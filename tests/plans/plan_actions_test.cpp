#include "plans/plan_actions.h"

#include <gtest/gtest.h>

#include "core/ini_store.h"
#include "plans/plan_settings.h"
#include "records/record_store.h"
#include "support/fakes.h"

namespace vq {
namespace {

using test::FakeClock;
using test::FakeDialogs;
using test::TempDir;

const char* const kSaved = "Les paramètres ont été sauvé";
const char* const kQuestion =
    "Vous commencez un nouveau mois de forfait, voulez vous supprimer toute les informations concernant le "
    "dernier mois ?";

class PlanActionsTest : public ::testing::Test {
protected:
    PlanActionsTest() : option(dir.file("option.ini")), store(option), actions(state, store, dialogs, clock) {
        state.cheminoption = option;
    }
    ~PlanActionsTest() override { setIniWriteFailureForTesting(false); }

    void addRecord(const std::string& plan) {
        ASSERT_TRUE(store.append(makeRecordLine("00:10:00", "10:00:00", "01/12/2026", plan)));
    }
    std::string ini(const std::string& section, const std::string& key) {
        return lireini(section, key, option);
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (const auto& s : dialogs.shown)
            t.push_back(s.title);
        return t;
    }

    TempDir dir;
    std::string option;
    MainState state;
    RecordStore store;
    FakeDialogs dialogs;
    FakeClock clock;
    PlanActions actions;
};

TEST(PlanSettings, AllowanceAndMonthStartRepairs) {
    EXPECT_EQ(normaliseAllowance(""), "00");
    EXPECT_EQ(normaliseAllowance("5"), "05");
    EXPECT_EQ(normaliseAllowance("0"), "00");
    EXPECT_EQ(normaliseAllowance("05"), "005");
    EXPECT_EQ(normaliseAllowance("00"), "00");
    EXPECT_EQ(normaliseAllowance("12"), "12");
    EXPECT_EQ(normaliseAllowance("150"), "150");
    EXPECT_EQ(normaliseAllowance("abc"), "0abc");

    EXPECT_EQ(repairMonthStartDay("45"), "1");
    EXPECT_EQ(repairMonthStartDay(""), "1");
    EXPECT_EQ(repairMonthStartDay("x"), "1");
    EXPECT_EQ(repairMonthStartDay("0"), "0");
    EXPECT_EQ(repairMonthStartDay("31"), "31");
    EXPECT_EQ(repairMonthStartDay("05"), "05");
}

TEST(PlanSettings, NamesThatCannotBePlans) {
    EXPECT_FALSE(planNameRefusal("Maison"));
    EXPECT_FALSE(planNameRefusal("Box / fibre"));
    EXPECT_TRUE(planNameRefusal(""));
    EXPECT_TRUE(planNameRefusal("a     |     b"));
    EXPECT_TRUE(planNameRefusal("a\nb"));
}

TEST_F(PlanActionsTest, SaveWritesTheRecordResetsTotalsAndRemovesOnlyThisPlansRecords) {
    addRecord("Maison");
    addRecord("Bureau");
    addRecord("Maison");
    ASSERT_TRUE(ecrireini("Dernc Bureau", "temps", "03:00:00", option));
    ASSERT_TRUE(ecrireini("Dernc Maison", "temps", "07:00:00", option));
    state.planName = "Maison";
    state.temps2 = "20";
    state.monthStartDay = "5";
    state.firstMinutePrice = "0,12";
    state.minutePrice = "0,02";
    state.payingDay = "Lundi";  // dropped: no free period
    state.freeStart = "08:00:00";
    state.lcd1 = "07:00:00";

    EXPECT_TRUE(actions.savePlan());

    EXPECT_EQ(ini("Forfaits", "Maison"), "/5/0,12/0,02/0/0/20/00:00:00/00:00:00");
    EXPECT_NE(test::readFile(option).find("Maison=/5/0,12/0,02/0/0/20/00:00:00/00:00:00"), std::string::npos);
    EXPECT_EQ(ini("Dernc Maison", "temps"), "00:00:00");
    EXPECT_EQ(ini("Dernc Maison", "avf"), "20:00:00");
    EXPECT_EQ(ini("Dernc Maison", "forfaitdep"), "2");
    EXPECT_EQ(ini("Dernc Maison", "prix"), "0");
    EXPECT_EQ(ini("Dernc Bureau", "temps"), "03:00:00");
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(splitRecordLine(store.lines()[0])[3], "Bureau");

    EXPECT_EQ(state.lcd1, "00:00:00");
    EXPECT_EQ(state.lcd2, "20:00:00");
    EXPECT_EQ(state.temps, "20");
    EXPECT_EQ(state.payingDay, "");
    EXPECT_EQ(state.freeStart, "00:00:00");
    EXPECT_EQ(state.sansquestion, 0);
    // No deletion question or report, only the save's own message.
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kSaved);
    EXPECT_EQ(dialogs.shown[0].title, "Sauver");
    EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);

    // A later use of the delete button asks again.
    dialogs.answers = {DialogAnswer::No};
    EXPECT_FALSE(actions.deletefun());
    EXPECT_EQ(dialogs.shown.back().title, "Supression");
}

TEST_F(PlanActionsTest, SaveRepairsTypedValuesAndKeepsAFreePeriod) {
    state.planName = "Soir";
    state.temps2 = "7";
    state.monthStartDay = "45";
    state.freePeriod = 1;
    state.payingDay = "Dimanche";
    state.freeStart = "20:00:00";
    state.freeEnd = "23:00:00";
    ASSERT_TRUE(actions.savePlan());
    EXPECT_EQ(ini("Forfaits", "Soir"), "Dimanche/1/0/0/0/1/07/20:00:00/23:00:00");
    EXPECT_EQ(ini("Dernc Soir", "avf"), "07:00:00");
    EXPECT_EQ(state.temps2, "7");  // the visible box keeps what was typed

    state.temps2 = "";
    state.monthStartDay = "";
    ASSERT_TRUE(actions.savePlan());
    EXPECT_EQ(ini("Forfaits", "Soir"), "Dimanche/1/0/0/0/1/00/20:00:00/23:00:00");
    EXPECT_EQ(ini("Dernc Soir", "avf"), "00:00:00");
    EXPECT_EQ(state.lcd2, "00:00:00");
}

TEST_F(PlanActionsTest, FailedSaveSaysSoAndKeepsEverything) {
    addRecord("Maison");
    state.planName = "Maison";
    state.temps2 = "5";
    state.monthStartDay = "45";
    state.lcd1 = "03:00:00";
    state.lcd2 = "02:00:00";
    setIniWriteFailureForTesting(true);

    EXPECT_FALSE(actions.savePlan());

    setIniWriteFailureForTesting(false);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text, kSaved);
    EXPECT_NE(dialogs.shown[0].text.find("pas pu être enregistré"), std::string::npos);
    EXPECT_EQ(ini("Forfaits", "Maison"), "");
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(state.lcd1, "03:00:00");
    EXPECT_EQ(state.lcd2, "02:00:00");
    EXPECT_EQ(state.monthStartDay, "45");
    EXPECT_EQ(state.sansquestion, 0);
}

TEST_F(PlanActionsTest, UnstorableNamesAreRefusedBeforeAnythingIsWritten) {
    addRecord("");
    for (std::string name :
         {std::string(), std::string("a     |     b"), std::string("[x]\nFoo"), std::string(195, 'n')}) {
        dialogs.shown.clear();
        state.planName = name;
        EXPECT_FALSE(actions.savePlan()) << name;
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_NE(dialogs.shown[0].text, kSaved);
    }
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(test::readFile(option).find("Forfaits"), std::string::npos);
}

TEST_F(PlanActionsTest, DeleteButtonAsksClearsAndReports) {
    addRecord("A");
    addRecord("B");
    ASSERT_TRUE(ecrireini("Dernc A", "temps", "05:00:00", option));
    ASSERT_TRUE(ecrireini("Dernc A", "prix", "3,5", option));
    ASSERT_TRUE(ecrireini("Dernc B", "prix", "1,2", option));
    state.planName = "A";
    state.temps = "10";
    state.lcd1 = "05:00:00";
    state.amountDue = "3,5";

    dialogs.answers = {DialogAnswer::No};
    actions.command9Click();
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(ini("Dernc A", "temps"), "05:00:00");
    EXPECT_EQ(state.lcd1, "05:00:00");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Souhaitez vous  vraiment supprimer les enregistrements ?");

    dialogs.answers = {DialogAnswer::Yes};
    actions.command9Click();
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(splitRecordLine(store.lines()[0])[3], "B");
    EXPECT_EQ(ini("Dernc A", "temps"), "00:00:00");
    EXPECT_EQ(ini("Dernc A", "avf"), "10:00:00");
    EXPECT_EQ(ini("Dernc A", "prix"), "0");
    EXPECT_EQ(ini("Dernc A", "forfaitdep"), "2");
    EXPECT_EQ(ini("Dernc B", "prix"), "1,2");
    EXPECT_EQ(state.lcd1, "00:00:00");
    EXPECT_EQ(state.lcd2, "10:00:00");
    EXPECT_EQ(state.amountDue, "0");
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[2].text, "Tout a été supprimé");
    EXPECT_EQ(dialogs.shown[2].title, "Suppression");
}

TEST_F(PlanActionsTest, FailedDeletionIsNotReportedAsDone) {
    addRecord("A");
    state.planName = "A";
    state.lcd1 = "05:00:00";
    setIniWriteFailureForTesting(true);
    EXPECT_FALSE(actions.deletefun());
    setIniWriteFailureForTesting(false);
    EXPECT_EQ(state.lcd1, "05:00:00");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].text, "Tout a été supprimé");
}

// repsup over the calendar: `last` is the previous start, `now` this one.
struct RepsupCase {
    const char* last;
    Date today;
    TimeOfDay time;
    const char* startDay;
    std::size_t questions;
};

TEST_F(PlanActionsTest, MonthStartQuestionCountsCalendarDays) {
    const RepsupCase cases[] = {
        {"04/12/2026 10:00:00", {2026, 12, 6}, {9, 0, 0}, "5", 1},
        {"03/03/2026 10:00:00", {2026, 5, 10}, {9, 0, 0}, "5", 3},  // 5 March, 5 April, 5 May
        {"06/03/2026 10:00:00", {2026, 5, 10}, {9, 0, 0}, "5", 2},
        {"03/03/2026 10:00:00", {2026, 5, 10}, {9, 0, 0}, "05", 0},
        {"04/12/2026 23:59:00", {2026, 12, 5}, {0, 1, 0}, "5", 1},
        {"05/12/2026 08:00:00", {2026, 12, 5}, {23, 0, 0}, "5", 0},  // same day
        {"10/12/2026 08:00:00", {2026, 12, 4}, {9, 0, 0}, "5", 0},   // clock set back
        {"01/04/2026", {2026, 5, 2}, {9, 0, 0}, "31", 0},            // April has 30 days
        {"01/01/2026", {2026, 12, 31}, {9, 0, 0}, "0", 0},
        {"", {2026, 12, 6}, {9, 0, 0}, "5", 0},
        {"hier", {2026, 12, 6}, {9, 0, 0}, "5", 0},
        {"01/01/1990 00:00:00", {2026, 12, 6}, {9, 0, 0}, "5", PlanActions::kMaxMonthStartQuestions},
    };
    for (const RepsupCase& c : cases) {
        ASSERT_TRUE(ecrireini("Typeconex", "Date", c.last, option));
        clock.date = c.today;
        clock.time = c.time;
        state.monthStartDay = c.startDay;
        dialogs.shown.clear();
        dialogs.answers = std::deque<DialogAnswer>(100, DialogAnswer::No);
        actions.repsup();
        EXPECT_EQ(dialogs.shown.size(), c.questions) << c.last << " start day " << c.startDay;
        for (const auto& s : dialogs.shown) {
            EXPECT_EQ(s.text, kQuestion);
            EXPECT_EQ(s.title, "Début du mois");
        }
    }
}

TEST_F(PlanActionsTest, YesToEachMonthStartClearsEachTimeWithItsOwnConfirmation) {
    addRecord("Maison");
    state.planName = "Maison";
    state.temps = "20";
    state.monthStartDay = "5";
    // The date as start-up writes it; two month starts (5 April, 5 May) have passed since.
    ASSERT_TRUE(ecrireini("Typeconex", "Date", dateTimeText({2026, 3, 6}, {10, 0, 0}), option));
    clock.date = {2026, 5, 10};
    dialogs.answers = {DialogAnswer::Yes, DialogAnswer::Yes, DialogAnswer::Yes, DialogAnswer::Yes};
    actions.repsup();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Début du mois", "Supression", "Suppression",
                                                  "Début du mois", "Supression", "Suppression"}));
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(ini("Dernc Maison", "avf"), "20:00:00");
}

}  // namespace
}  // namespace vq
