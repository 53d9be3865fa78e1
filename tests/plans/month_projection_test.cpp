#include "plans/month_projection.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vq
