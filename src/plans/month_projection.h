#pragma once
// Where a plan's month is going: the billing month a day belongs to (from the plan's month start
// day), the month's time and amount due at its end if the pace so far goes on, and the month day by
// day as the statistics window draws it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "plans/day_progress.h"

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
// The same at the pace of `elapsedSeconds` of a month of `monthSeconds`.
Projection projectPace(const MonthSoFar& soFar, std::int64_t elapsedSeconds, std::int64_t monthSeconds);

// A counted connection: the day and clock time it began and its length.
struct CountedConnection {
    Date date;
    TimeOfDay start;
    std::int64_t seconds = 0;
};

// The connections of `plan` among record lines, in list order; lines that are not records or whose
// length, start time or date cannot be read are left out.
std::vector<CountedConnection> planConnections(const std::vector<std::string>& lines, std::string_view plan);

// What the month's figures depend on beside the connections.
struct MonthTerms {
    int startDay = 1;
    std::int64_t allowanceSeconds = 0;  // 0: no allowance
    double minutePrice = 0;
    double amountDue = 0;  // so far, as the counter priced it
    FreePeriod freePeriod;
};

struct MonthChart {
    BillingMonth month;
    // Connected time on each day of the month, the month's first day first; a connection that runs
    // past midnight gives each day its own part, and parts outside the month are left out.
    std::vector<std::int64_t> daySeconds;
    // The month's total at the end of each day, from the first day up to today.
    std::vector<std::int64_t> cumulative;
    int todayIndex = 0;
    std::int64_t usedSeconds = 0;
    std::int64_t allowanceSeconds = 0;
    double amountDue = 0;
    // At the pace of the counted time so far: the time of the free period, gone or to come, is not
    // counted.
    Projection projection;
};

// The seconds of a whole day that a free period leaves counted, by weekday, kept from one chart to
// the next while the free period stays the same (a window that redraws every few seconds).
class CountedDays {
public:
    std::int64_t wholeDay(const FreePeriod& free, int weekday);

private:
    std::string m_start, m_end, m_payingDay;
    int m_jourpayant = -1;
    std::int64_t m_seconds[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

MonthChart monthChart(const std::vector<CountedConnection>& connections, const MonthTerms& terms, Date today,
                      TimeOfDay now, CountedDays* days = nullptr);

}  // namespace vq
