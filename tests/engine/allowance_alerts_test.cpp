#include "engine/allowance_alerts.h"

#include <gtest/gtest.h>

#include "core/ini_store.h"
#include "support/fakes.h"

namespace vq::test {
namespace {

class RecordingNotifications final : public DesktopNotifications {
public:
    std::vector<std::string> summaries, bodies;
    void show(const std::string& summary, const std::string& body) override {
        summaries.push_back(summary);
        bodies.push_back(body);
    }
};

class AllowanceAlertsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string option = dir.file("option.ini");
    FakeClock clock;  // 2026-12-08 12:00:00
    RecordingNotifications out;
    MainState state;

    void SetUp() override {
        state.planName = "Maison";
        state.temps = "10";
        state.monthStartDay = "5";
    }
    // The alerts of one run of the program, checked with the month total at `used`.
    std::vector<std::string> checkAt(AllowanceAlerts& alerts, const std::string& used) {
        state.lcd1 = used;
        out.summaries.clear();
        out.bodies.clear();
        alerts.check();
        return out.summaries;
    }
};

using Summaries = std::vector<std::string>;

TEST_F(AllowanceAlertsTest, EachThresholdOncePerPlanAndBillingMonthAcrossRuns) {
    writeFile(option, "[Alertes]\nProjection=0\n");
    {
        AllowanceAlerts alerts(state, clock, out, option);
        EXPECT_EQ(checkAt(alerts, "07:59:59"), Summaries{});
        EXPECT_EQ(checkAt(alerts, "08:00:00"), Summaries{"Forfait Maison : 80 % utilisés"});
        EXPECT_EQ(out.bodies[0], "Temps utilisé : 08:00:00 sur 10 h, temps restant : 02:00:00.");
        EXPECT_EQ(checkAt(alerts, "09:59:59"), Summaries{});
        EXPECT_EQ(checkAt(alerts, "10:00:01"), Summaries{"Forfait Maison : 100 % utilisés"});
        EXPECT_EQ(out.bodies[0], "Temps utilisé : 10:00:01 sur 10 h, temps restant : 00:00:00.");
        EXPECT_EQ(checkAt(alerts, "11:00:00"), Summaries{});
    }
    EXPECT_EQ(lireini("Notifications", "2026-12-05 Maison", option), "seuil1 seuil2");

    // The next run remembers them; another plan has its own; a plan without allowance has none.
    AllowanceAlerts alerts(state, clock, out, option);
    EXPECT_EQ(checkAt(alerts, "11:00:00"), Summaries{});
    state.planName = "Bureau";
    EXPECT_EQ(checkAt(alerts, "12:00:00"), Summaries{"Forfait Bureau : 100 % utilisés"});  // both at once
    state.planName = "Nomade";
    state.temps = "00";
    EXPECT_EQ(checkAt(alerts, "99:00:00"), Summaries{});
    EXPECT_EQ(lireini("Notifications", "2026-12-05 Nomade", option), "");

    // The plan's next month begins on the 5th: it is armed again.
    state.planName = "Maison";
    state.temps = "10";
    clock.date = {2027, 1, 5};
    EXPECT_EQ(checkAt(alerts, "08:30:00"), Summaries{"Forfait Maison : 80 % utilisés"});
}

TEST_F(AllowanceAlertsTest, ProjectionOnceFromTheSecondDayWhileTheAllowanceLasts) {
    state.monthStartDay = "1";
    clock.date = {2026, 12, 1};  // the month's first day: its pace is not heeded yet
    AllowanceAlerts alerts(state, clock, out, option);
    EXPECT_EQ(checkAt(alerts, "02:00:00"), Summaries{});
    clock.date = {2026, 12, 2};  // 1.5 days of 31: 00:29:00 leads to 09:59:20, 00:30:00 to 10:20:00
    EXPECT_EQ(checkAt(alerts, "00:29:00"), Summaries{});
    EXPECT_EQ(checkAt(alerts, "00:30:00"), Summaries{"Forfait Maison : dépassement prévu"});
    EXPECT_EQ(
        out.bodies[0],
        "Au rythme actuel, le temps du mois atteindra 10:20:00 le 31/12/2026, pour un forfait de 10 h.");
    EXPECT_EQ(checkAt(alerts, "01:00:00"), Summaries{});
    EXPECT_EQ(checkAt(alerts, "08:00:00"), Summaries{"Forfait Maison : 80 % utilisés"});

    // Turned off, or with the allowance used up already, it says nothing.
    writeFile(option, "[Alertes]\nProjection=0\n");
    clock.date = {2027, 1, 2};
    AllowanceAlerts off(state, clock, out, option);
    EXPECT_EQ(checkAt(off, "05:00:00"), Summaries{});
    writeFile(option, "");
    AllowanceAlerts usedUp(state, clock, out, option);
    EXPECT_EQ(checkAt(usedUp, "10:00:00"), Summaries{"Forfait Maison : 100 % utilisés"});
}

TEST(AlertSettings, ReadFromOptionIniWithBadValuesTakingTheDefaults) {
    TempDir dir;
    const std::string option = dir.file("option.ini");
    const auto read = [&](const std::string& keys) {
        writeFile(option, "[Alertes]\n" + keys);
        const AlertSettings s = readAlertSettings(option);
        return std::to_string(s.firstPercent) + "/" + std::to_string(s.secondPercent) + "/" +
               (s.projection ? "on" : "off");
    };
    EXPECT_EQ(read(""), "80/100/on");
    EXPECT_EQ(read("Seuil1=90\nSeuil2=95\nProjection=0\n"), "90/95/off");
    EXPECT_EQ(read("Seuil1=75\nProjection=1\n"), "75/100/on");
    EXPECT_EQ(read("Seuil1=abc\nSeuil2=150\nProjection=peut-être\n"), "80/100/on");
    EXPECT_EQ(read("Seuil1=0\nSeuil2=-5\n"), "80/100/on");
    EXPECT_EQ(read("Seuil1=9,5\nSeuil2=99\n"), "80/99/on");
    EXPECT_EQ(read("Seuil1=100\nSeuil2=50\n"), "80/100/on");  // out of order: both defaults
}

}  // namespace
}  // namespace vq::test
