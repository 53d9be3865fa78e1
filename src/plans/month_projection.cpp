#include "plans/month_projection.h"

#include <algorithm>

namespace vq {
namespace {

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
    constexpr std::int64_t kDay = 86400;
    const std::int64_t length = daysBetween(month.start, month.end) * kDay;
    const std::int64_t elapsed = std::clamp<std::int64_t>(
        daysBetween(month.start, today) * kDay + now.hour * 3600 + now.minute * 60 + now.second, 0, length);
    Projection p;
    const std::int64_t used = std::max<std::int64_t>(soFar.usedSeconds, 0);
    p.usedSeconds = elapsed > 0 ? used * length / elapsed : used;
    const std::int64_t overrunNow = std::max<std::int64_t>(used - soFar.allowanceSeconds, 0);
    p.overrunSeconds = std::max<std::int64_t>(p.usedSeconds - soFar.allowanceSeconds, 0);
    const std::int64_t minutesToCome = (p.overrunSeconds - overrunNow) / 60;
    p.amountDue = soFar.amountDue + soFar.minutePrice * static_cast<double>(minutesToCome);
    return p;
}

}  // namespace vq
