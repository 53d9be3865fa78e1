#pragma once
// Where a plan's month is going: the billing month a day belongs to (from the plan's month start
// day), and the month's time and amount due at its end if the pace so far goes on.

#include <cstdint>

#include "core/dates.h"

namespace vq {

// From `start` (its first day) up to `end` (excluded): the next month starts on `end`.
struct BillingMonth {
    Date start;
    Date end;
};

// The billing month holding `today` for a month that starts on `startDay`. A day before the start
// day belongs to the month that began in the calendar month before; a start day past the end of a
// short month (31 in April) starts that month on its last day; a start day outside 1 to 31 counts
// as 1.
BillingMonth billingMonth(Date today, int startDay);

// A plan's terms and its figures so far this month.
struct MonthSoFar {
    std::int64_t usedSeconds = 0;
    std::int64_t allowanceSeconds = 0;  // 0: no allowance, every minute is billed
    double amountDue = 0;               // beyond the allowance, in euros
    double minutePrice = 0;             // each minute beyond the allowance
};

struct Projection {
    std::int64_t usedSeconds = 0;     // at the month's end
    std::int64_t overrunSeconds = 0;  // beyond the allowance at the month's end
    double amountDue = 0;             // at the month's end
};

// The month's end at the pace of the time elapsed since the month began (`today` at `now`): the time
// used grows in proportion, and each minute of overrun still to come costs the price per minute.
// The first-minute price of connections yet to come is not counted: their number is not known.
Projection projectMonth(const MonthSoFar& soFar, const BillingMonth& month, Date today, TimeOfDay now);

}  // namespace vq
