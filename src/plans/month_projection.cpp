#include "plans/month_projection.h"

#include <algorithm>
#include <optional>

#include "core/duration.h"
#include "records/record_store.h"

namespace vq {
namespace {

constexpr std::int64_t kDay = 86400;

Date monthStart(int year, int month, int startDay) {
    return Date{year, month, std::min(startDay, daysInMonth(year, month))};
}

Date monthAfter(Date d, int startDay) {
    return d.month == 12 ? monthStart(d.year + 1, 1, startDay) : monthStart(d.year, d.month + 1, startDay);
}

Date monthBefore(Date d, int startDay) {
    return d.month == 1 ? monthStart(d.year - 1, 12, startDay) : monthStart(d.year, d.month - 1, startDay);
}

}  // namespace

BillingMonth billingMonth(Date today, int startDay) {
    if (startDay < 1 || startDay > 31)
        startDay = 1;
    Date start = monthStart(today.year, today.month, startDay);
    if (today < start)
        start = monthBefore(start, startDay);
    return {start, monthAfter(start, startDay)};
}

Projection projectMonth(const MonthSoFar& soFar, const BillingMonth& month, Date today, TimeOfDay now) {
    const std::int64_t length = daysBetween(month.start, month.end) * kDay;
    const std::int64_t elapsed =
        daysBetween(month.start, today) * kDay + now.hour * 3600 + now.minute * 60 + now.second;
    return projectPace(soFar, elapsed, length);
}

Projection projectPace(const MonthSoFar& soFar, std::int64_t elapsedSeconds, std::int64_t monthSeconds) {
    const std::int64_t elapsed =
        std::clamp<std::int64_t>(elapsedSeconds, 0, std::max<std::int64_t>(monthSeconds, 0));
    Projection p;
    const std::int64_t used = std::max<std::int64_t>(soFar.usedSeconds, 0);
    p.usedSeconds = elapsed > 0 ? used * monthSeconds / elapsed : used;
    const std::int64_t overrunNow = std::max<std::int64_t>(used - soFar.allowanceSeconds, 0);
    p.overrunSeconds = std::max<std::int64_t>(p.usedSeconds - soFar.allowanceSeconds, 0);
    const std::int64_t minutesToCome = (p.overrunSeconds - overrunNow) / 60;
    p.amountDue = soFar.amountDue + soFar.minutePrice * static_cast<double>(minutesToCome);
    return p;
}

std::vector<CountedConnection> planConnections(const std::vector<std::string>& lines, std::string_view plan) {
    std::vector<CountedConnection> out;
    for (const std::string& line : lines) {
        const std::vector<std::string> fields = splitRecordLine(line);
        if (fields.size() < 4 || !samePlan(fields[3], plan))
            continue;
        const std::optional<std::int64_t> seconds = durationSeconds(fields[0]);
        const std::optional<TimeOfDay> start = parseTimeText(fields[1]);
        const std::optional<Date> date = parseDateText(fields[2]);
        if (seconds && start && date)
            out.push_back({*date, *start, *seconds});
    }
    return out;
}

namespace {

// Counts the seconds of a day, from midnight up to `upTo`, that the free period leaves counted.
std::int64_t countedSeconds(const FreePeriod& free, int weekday, std::int64_t upTo) {
    char t[] = "00:00:00";
    std::int64_t second = 0, n = 0;
    for (int h = 0; h < 24; ++h) {
        t[0] = static_cast<char>('0' + h / 10);
        t[1] = static_cast<char>('0' + h % 10);
        for (int m = 0; m < 60; ++m) {
            t[3] = static_cast<char>('0' + m / 10);
            t[4] = static_cast<char>('0' + m % 10);
            for (int sec = 0; sec < 60; ++sec, ++second) {
                if (second >= upTo)
                    return n;
                t[6] = static_cast<char>('0' + sec / 10);
                t[7] = static_cast<char>('0' + sec % 10);
                if (countable(free, weekday, std::string_view(t, 8)))
                    ++n;
            }
        }
    }
    return n;
}

}  // namespace

std::int64_t CountedDays::wholeDay(const FreePeriod& free, int weekday) {
    if (free.start != m_start || free.end != m_end || free.payingDay != m_payingDay ||
        free.jourpayant != m_jourpayant) {
        m_start = free.start;
        m_end = free.end;
        m_payingDay = free.payingDay;
        m_jourpayant = free.jourpayant;
        std::fill(std::begin(m_seconds), std::end(m_seconds), -1);
    }
    std::int64_t& n = m_seconds[std::clamp(weekday, 0, 7)];
    if (n < 0)
        n = countedSeconds(free, weekday, kDay);
    return n;
}

MonthChart monthChart(const std::vector<CountedConnection>& connections, const MonthTerms& terms, Date today,
                      TimeOfDay now, CountedDays* counted) {
    MonthChart c;
    c.month = billingMonth(today, terms.startDay);
    const long days = daysBetween(c.month.start, c.month.end);
    c.daySeconds.assign(static_cast<std::size_t>(days), 0);
    c.todayIndex = static_cast<int>(std::clamp<long>(daysBetween(c.month.start, today), 0, days - 1));
    c.allowanceSeconds = terms.allowanceSeconds;
    c.amountDue = terms.amountDue;

    for (const CountedConnection& k : connections) {
        long day = daysBetween(c.month.start, k.date);
        std::int64_t at = k.start.hour * 3600 + k.start.minute * 60 + k.start.second;
        std::int64_t left = std::max<std::int64_t>(k.seconds, 0);
        while (left > 0 && day < days) {
            const std::int64_t part = std::min(left, kDay - at);
            if (day >= 0)
                c.daySeconds[static_cast<std::size_t>(day)] += part;
            left -= part;
            at = 0;
            ++day;
        }
    }
    std::int64_t total = 0;
    for (std::size_t i = 0; i < c.daySeconds.size(); ++i) {
        total += c.daySeconds[i];
        if (static_cast<int>(i) <= c.todayIndex)
            c.cumulative.push_back(total);
    }
    c.usedSeconds = total;

    // The pace is measured on counted time: the month's seconds that the free period leaves, gone by
    // now and in all. A day's count depends on its weekday only.
    CountedDays own;
    CountedDays& byWeekday = counted ? *counted : own;
    std::int64_t elapsed = 0, length = 0;
    for (long i = 0; i < days; ++i) {
        const int weekday = weekdayNumber(addDays(c.month.start, i));
        const std::int64_t whole = byWeekday.wholeDay(terms.freePeriod, weekday);
        length += whole;
        if (i < c.todayIndex)
            elapsed += whole;
        else if (i == c.todayIndex)
            elapsed +=
                countedSeconds(terms.freePeriod, weekday, now.hour * 3600 + now.minute * 60 + now.second);
    }
    c.projection =
        projectPace({total, terms.allowanceSeconds, terms.amountDue, terms.minutePrice}, elapsed, length);
    return c;
}

}  // namespace vq
