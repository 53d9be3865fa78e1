#pragma once
// Calendar dates and clock times as the program writes them: "dd/MM/yyyy" and "HH:mm:ss".

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace vq {

struct Date {
    int year = 1970;
    int month = 1;
    int day = 1;
    auto operator<=>(const Date&) const = default;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    auto operator<=>(const TimeOfDay&) const = default;
};

std::string dateText(Date d);                   // "dd/MM/yyyy"
std::string timeText(TimeOfDay t);              // "HH:mm:ss"
std::string dateTimeText(Date d, TimeOfDay t);  // "dd/MM/yyyy HH:mm:ss"
// Reads "d/M/yyyy" (an optional time after a blank is ignored); nothing for anything else or an
// impossible date.
std::optional<Date> parseDateText(std::string_view text);
// Reads "HH:mm:ss" (two digits each, a time of day); nothing for anything else.
std::optional<TimeOfDay> parseTimeText(std::string_view text);

bool isValidDate(Date d);
int daysInMonth(int year, int month);
long daysSinceEpoch(Date d);  // days since 1970-01-01
Date dateFromDays(long days);
Date addDays(Date d, long n);
long daysBetween(Date from, Date to);  // to - from, in calendar days
int weekdayNumber(Date d);             // Sunday = 1 ... Saturday = 7

}  // namespace vq
