#include "plans/month_projection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vq {
namespace {

void expectMonth(Date today, int startDay, Date start, Date end) {
    BillingMonth m = billingMonth(today, startDay);
    EXPECT_EQ(m.start, start) << dateText(today) << " from day " << startDay;
    EXPECT_EQ(m.end, end) << dateText(today) << " from day " << startDay;
}

TEST(MonthProjection, BillingMonthFollowsTheStartDay) {
    expectMonth({2026, 12, 10}, 5, {2026, 12, 5}, {2027, 1, 5});
    expectMonth({2026, 12, 5}, 5, {2026, 12, 5}, {2027, 1, 5});
    // Before its start day the month is the one that began in the calendar month before.
    expectMonth({2026, 12, 4}, 5, {2026, 11, 5}, {2026, 12, 5});
    expectMonth({2027, 1, 3}, 5, {2026, 12, 5}, {2027, 1, 5});
    // A start day past a short month's end starts that month on its last day.
    expectMonth({2027, 3, 1}, 31, {2027, 2, 28}, {2027, 3, 31});
    expectMonth({2028, 2, 29}, 30, {2028, 2, 29}, {2028, 3, 30});
    expectMonth({2026, 4, 29}, 31, {2026, 3, 31}, {2026, 4, 30});
    // Nothing sensible counts as the 1st.
    expectMonth({2026, 12, 10}, 0, {2026, 12, 1}, {2027, 1, 1});
    expectMonth({2026, 12, 10}, 45, {2026, 12, 1}, {2027, 1, 1});
}

TEST(MonthProjection, ProjectsThePaceToTheMonthsEnd) {
    const BillingMonth december{{2026, 12, 1}, {2027, 1, 1}};
    // Ten days of 31 gone, 10 hours used of 20: 31 hours at the end, 11 of them billed at 0,02 a minute.
    Projection p = projectMonth({36000, 72000, 0, 0.02}, december, {2026, 12, 11}, {0, 0, 0});
    EXPECT_EQ(p.usedSeconds, 111600);
    EXPECT_EQ(p.overrunSeconds, 39600);
    EXPECT_DOUBLE_EQ(p.amountDue, 13.2);

    // Already beyond the allowance: only the overrun still to come is added to what is due.
    p = projectMonth({90000, 72000, 1.5, 0.02}, december, {2026, 12, 11}, {0, 0, 0});
    EXPECT_EQ(p.usedSeconds, 279000);
    EXPECT_EQ(p.overrunSeconds, 207000);
    EXPECT_DOUBLE_EQ(p.amountDue, 1.5 + 3150 * 0.02);

    // Half a day into the month, no allowance: every projected minute is overrun.
    p = projectMonth({3600, 0, 0, 0.01}, december, {2026, 12, 1}, {12, 0, 0});
    EXPECT_EQ(p.usedSeconds, 223200);
    EXPECT_EQ(p.overrunSeconds, 223200);
    EXPECT_DOUBLE_EQ(p.amountDue, 3660 * 0.01);

    // At the very start nothing is extrapolated; within the allowance nothing more is due.
    p = projectMonth({600, 72000, 0.5, 0.02}, december, {2026, 12, 1}, {0, 0, 0});
    EXPECT_EQ(p.usedSeconds, 600);
    EXPECT_EQ(p.overrunSeconds, 0);
    EXPECT_DOUBLE_EQ(p.amountDue, 0.5);
}

std::string line(const char* length, const char* start, const char* date, const char* plan) {
    return std::string(length) + "     |     " + start + "     |     " + date + "     |     " + plan;
}

TEST(MonthProjection, ChartGivesEachDayOfTheBillingMonthItsTime) {
    const std::vector<std::string> lines{
        line("02:00:00", "10:00:00", "04/12/2026", "Maison"),  // the month before
        line("01:00:00", "23:30:00", "06/12/2026", "Maison"),  // across midnight
        line("00:20:00", "09:00:00", "07/12/2026", "Bureau"),
        "00:10:00     |     broken",
        line("00:45:00", "8:00", "08/12/2026", "Maison"),  // unreadable start time
        line("00:15:00", "18:00:00", "08/12/2026", "Maison"),
        line("00:30:00", "23:45:00", "04/01/2027", "Maison"),  // its second half is next month's
    };
    std::vector<CountedConnection> connections = planConnections(lines, "Maison");
    ASSERT_EQ(connections.size(), 4u);
    connections.push_back({{2026, 12, 10}, {11, 0, 0}, 600});  // the one being counted
    MonthTerms terms;
    terms.startDay = 5;
    MonthChart c = monthChart(connections, terms, {2026, 12, 10}, {11, 10, 0});
    EXPECT_EQ(c.month.start, (Date{2026, 12, 5}));
    ASSERT_EQ(c.daySeconds.size(), 31u);
    EXPECT_EQ(c.todayIndex, 5);
    EXPECT_EQ(c.daySeconds[1], 1800);
    EXPECT_EQ(c.daySeconds[2], 1800);
    EXPECT_EQ(c.daySeconds[3], 900);
    EXPECT_EQ(c.daySeconds[5], 600);
    EXPECT_EQ(c.daySeconds[30], 900);
    EXPECT_EQ(c.cumulative, (std::vector<std::int64_t>{0, 1800, 3600, 4500, 4500, 5100}));
    EXPECT_EQ(c.usedSeconds, 6000);

    // Before its start day the chart shows the month that began in the calendar month before.
    c = monthChart(connections, terms, {2026, 12, 4}, {12, 0, 0});
    EXPECT_EQ(c.month.start, (Date{2026, 11, 5}));
    ASSERT_EQ(c.daySeconds.size(), 30u);
    EXPECT_EQ(c.todayIndex, 29);
    EXPECT_EQ(c.daySeconds[29], 7200);
    EXPECT_EQ(c.usedSeconds, 7200);
}

TEST(MonthProjection, ChartProjectsOnCountedTimeOnly) {
    const std::vector<CountedConnection> tenHours{{{2026, 12, 2}, {20, 0, 0}, 36000}};
    CountedDays days;  // one for every chart: a changed free period must not reuse its counts
    MonthTerms terms;
    terms.allowanceSeconds = 72000;
    terms.minutePrice = 0.02;
    // Free from 08:00:00 to 20:00:00 every day: 43199 counted seconds a day, 28800 of them gone by noon.
    terms.freePeriod = {"08:00:00", "20:00:00", "La Semaine", 0};
    MonthChart c = monthChart(tenHours, terms, {2026, 12, 11}, {12, 0, 0}, &days);
    EXPECT_EQ(c.projection.usedSeconds, 104624);
    EXPECT_EQ(c.projection.overrunSeconds, 32624);
    EXPECT_DOUBLE_EQ(c.projection.amountDue, 543 * 0.02);
    // Fridays pay all day: four of them in the month, one gone and today's morning.
    terms.freePeriod = {"08:00:00", "20:00:00", "Vendredi", 6};
    c = monthChart(tenHours, terms, {2026, 12, 11}, {12, 0, 0}, &days);
    EXPECT_EQ(c.projection.usedSeconds, 104999);

    // No allowance and no free period: every minute to come is billed on top of what is due.
    terms = MonthTerms{};
    terms.minutePrice = 0.01;
    terms.amountDue = 0.5;
    c = monthChart({{{2026, 12, 1}, {10, 0, 0}, 3600}}, terms, {2026, 12, 2}, {0, 0, 0}, &days);
    EXPECT_EQ(c.projection.usedSeconds, 111600);
    EXPECT_EQ(c.projection.overrunSeconds, 111600);
    EXPECT_DOUBLE_EQ(c.projection.amountDue, 0.5 + 1800 * 0.01);
}

}  // namespace
}  // namespace vq
