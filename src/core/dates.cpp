#include "core/dates.h"

#include <cstdio>

#include "core/numbers.h"

namespace vq {

std::string dateText(Date d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day, d.month, d.year);
    return buf;
}

std::string timeText(TimeOfDay t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

std::string dateTimeText(Date d, TimeOfDay t) {
    return dateText(d) + " " + timeText(t);
}

std::optional<Date> parseDateText(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    std::size_t blank = text.find(' ');
    std::string_view datePart = text.substr(0, blank);
    std::size_t a = datePart.find('/');
    if (a == std::string_view::npos)
        return std::nullopt;
    std::size_t b = datePart.find('/', a + 1);
    if (b == std::string_view::npos)
        return std::nullopt;
    auto day = parseWhole(datePart.substr(0, a));
    auto month = parseWhole(datePart.substr(a + 1, b - a - 1));
    std::string_view yearText = datePart.substr(b + 1);
    auto year = parseWhole(yearText);
    if (!day || !month || !year || yearText.size() != 4 || *year < 1)
        return std::nullopt;
    Date d{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
    if (!isValidDate(d))
        return std::nullopt;
    return d;
}

namespace {

int twoDigits(std::string_view s) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9')
        return -1;
    return (s[0] - '0') * 10 + (s[1] - '0');
}

}  // namespace

std::optional<TimeOfDay> parseTimeText(std::string_view t) {
    if (t.size() != 8 || t[2] != ':' || t[5] != ':')
        return std::nullopt;
    TimeOfDay time{twoDigits(t.substr(0, 2)), twoDigits(t.substr(3, 2)), twoDigits(t.substr(6, 2))};
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
        time.second > 59)
        return std::nullopt;
    return time;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool isValidDate(Date d) {
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= daysInMonth(d.year, d.month);
}

// Days from civil date and back (proleptic Gregorian calendar).
long daysSinceEpoch(Date d) {
    long y = d.year - (d.month <= 2 ? 1 : 0);
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long mp = (d.month + 9) % 12;
    long doy = (153 * mp + 2) / 5 + d.day - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date dateFromDays(long z) {
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = yoe + era * 400;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    long d = doy - (153 * mp + 2) / 5 + 1;
    long m = mp < 10 ? mp + 3 : mp - 9;
    return Date{static_cast<int>(y + (m <= 2 ? 1 : 0)), static_cast<int>(m), static_cast<int>(d)};
}

Date addDays(Date d, long n) {
    return dateFromDays(daysSinceEpoch(d) + n);
}

long daysBetween(Date from, Date to) {
    return daysSinceEpoch(to) - daysSinceEpoch(from);
}

int weekdayNumber(Date d) {
    // 1970-01-01 was a Thursday (5 when Sunday is 1).
    long z = daysSinceEpoch(d);
    long w = (z % 7 + 7) % 7;  // 0 = Thursday
    return static_cast<int>((w + 4) % 7) + 1;
}

}  // namespace vq
