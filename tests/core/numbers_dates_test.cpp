#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string_view>

#include "core/dates.h"
#include "core/numbers.h"
#include "core/price.h"
#include "core/utf8.h"

namespace vq {
namespace {

TEST(Numbers, ReadsEitherSeparatorAndNothingElse) {
    EXPECT_DOUBLE_EQ(*parseDecimal("3,5"), 3.5);
    EXPECT_DOUBLE_EQ(*parseDecimal("3.5"), 3.5);
    EXPECT_DOUBLE_EQ(*parseDecimal(" -0,02\t"), -0.02);
    EXPECT_DOUBLE_EQ(*parseDecimal("20"), 20.0);
    EXPECT_DOUBLE_EQ(*parseDecimal(",5"), 0.5);
    for (const char* bad : {"", " ", ",", "-", "abc", "3,5,1", "3.5.1", "1e5", "3 5", "0x10", "inf", "nan"})
        EXPECT_FALSE(parseDecimal(bad).has_value()) << bad;

    EXPECT_EQ(*parseWhole(" 42 "), 42);
    EXPECT_EQ(*parseWhole("-7"), -7);
    EXPECT_EQ(*parseWhole("+3"), 3);
    EXPECT_EQ(*parseWhole("9999"), 9999);
    for (const char* bad : {"", "-", "4.0", "4,0", "x", "1 2", "9999999999999999999999"})
        EXPECT_FALSE(parseWhole(bad).has_value()) << bad;
}

TEST(Numbers, WritesWithoutFixedDecimalsOrBinaryNoise) {
    EXPECT_EQ(formatDecimal(0.12 + 0.02 * 30, ','), "0,72");
    EXPECT_EQ(formatDecimal(0.1 + 0.2, ','), "0,3");
    EXPECT_EQ(formatDecimal(1.5, '.'), "1.5");
    EXPECT_EQ(formatDecimal(20, ','), "20");
    EXPECT_EQ(formatDecimal(-0.0, ','), "0");
    EXPECT_EQ(formatDecimal(1234.56, ','), "1234,56");
    // What is written reads back as the same number.
    for (double v : {0.72, 12.345, 1e-3, 98765.4321})
        EXPECT_DOUBLE_EQ(*parseDecimal(formatDecimal(v, ',')), v);
}

// The first minute once, every whole minute of the length at the minute price, seconds free; a price
// that is not a number counts as 0.
TEST(Numbers, ConnectionPrice) {
    EXPECT_EQ(formatDecimal(connectionPrice("00:30:00", "0,12", "0,02"), ','), "0,72");
    EXPECT_EQ(formatDecimal(connectionPrice("01:05:59", "0,12", "0,02"), ','), "1,42");
    EXPECT_EQ(formatDecimal(connectionPrice("120:30:00", "0,12", "0.02"), ','), "144,72");
    EXPECT_EQ(formatDecimal(connectionPrice("00:10:00", "abc", "0,02"), ','), "0,2");
    EXPECT_EQ(formatDecimal(connectionPrice("00:10:00", "0,12", ""), ','), "0,12");
    EXPECT_EQ(numberOrZero("x1"), 0.0);
    EXPECT_EQ(numberTextOrZero("3,5"), "3,5");
    EXPECT_EQ(numberTextOrZero("3,5€"), "0");
}

// Counting and cutting never split a character; checking refuses what is not UTF-8.
TEST(Utf8, CountsCutsAndChecks) {
    const std::string text = "Été à 5€";  // É, t, é, blank, à, blank, 5, €: 8 characters in 13 bytes
    EXPECT_EQ(utf8::characterCount(text), 8u);
    EXPECT_EQ(utf8::firstCharacters(text, 3), "Été");
    EXPECT_EQ(utf8::firstCharacters(text, 20), text);
    EXPECT_EQ(utf8::firstBytes(text, 2), "É");
    EXPECT_EQ(utf8::firstBytes(text, 4), "Ét");  // "é" would need a fifth byte
    EXPECT_EQ(utf8::firstBytes(text, 12), "Été à 5");
    EXPECT_EQ(utf8::firstBytes(text, 13), text);
    EXPECT_TRUE(utf8::isValid(text));
    for (std::string_view bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\x80"})
        EXPECT_FALSE(utf8::isValid(bad)) << bad.size();
    std::string built;
    for (char32_t cp : {U'A', U'é', U'€', U'😀'})
        utf8::append(built, cp);
    EXPECT_EQ(built, "Aé€😀");
}

// Qt sets the C library's locale from the user's; on a French system its decimal mark is ",".
TEST(Numbers, TheCLibrarysLocaleChangesNothing) {
    const char* french = nullptr;
    for (const char* name : {"fr_FR.UTF-8", "fr_FR.utf8", "French_France.1252"}) {
        if (std::setlocale(LC_ALL, name)) {
            french = name;
            break;
        }
    }
#ifdef _WIN32
    if (!french)
        GTEST_SKIP() << "no French locale here";
#else
    ASSERT_NE(french, nullptr) << "the fr_FR.UTF-8 locale is missing (scripts/setup.sh makes it)";
#endif
    EXPECT_DOUBLE_EQ(parseDecimal("0,5").value_or(-1), 0.5);
    EXPECT_DOUBLE_EQ(parseDecimal("1.25").value_or(-1), 1.25);
    EXPECT_EQ(formatDecimal(1.75, ','), "1,75");
    EXPECT_EQ(formatDecimal(1.75, '.'), "1.75");
    EXPECT_EQ(formatDecimal(0.12 + 0.02 * 30, ','), "0,72");
    std::setlocale(LC_ALL, "C");
}

// The separator numbers are written with: the user's locale's, and "," under C or POSIX (the
// program speaks French). The build runs this test under French and under C.UTF-8.
TEST(Numbers, WrittenSeparatorFollowsTheUsersLocale) {
    const char* env = std::getenv("LC_ALL");
    const std::string_view lc = env ? env : "";
    if (lc.rfind("fr_", 0) == 0 || lc == "C" || lc == "POSIX" || lc.rfind("C.", 0) == 0)
        EXPECT_EQ(userDecimalSeparator(), ',');
    else if (lc.rfind("en_", 0) == 0)
        EXPECT_EQ(userDecimalSeparator(), '.');
    else
        GTEST_SKIP() << "LC_ALL=" << lc;
}

TEST(Dates, TextsArePadded) {
    EXPECT_EQ(dateText(Date{2026, 12, 8}), "08/12/2026");
    EXPECT_EQ(timeText(TimeOfDay{7, 5, 9}), "07:05:09");
    EXPECT_EQ(dateTimeText(Date{2027, 1, 3}, TimeOfDay{23, 59, 59}), "03/01/2027 23:59:59");
}

TEST(Dates, ParsesDayMonthYearAndRejectsImpossibleDates) {
    EXPECT_EQ(parseDateText("08/12/2026"), (Date{2026, 12, 8}));
    EXPECT_EQ(parseDateText("8/2/2024"), (Date{2024, 2, 8}));
    EXPECT_EQ(parseDateText("29/02/2024 13:00:00"), (Date{2024, 2, 29}));
    for (const char* bad : {"", "29/02/2026", "31/04/2026", "00/01/2026", "01/13/2026", "2026-12-08",
                            "08/12/26", "aa/bb/cccc", "08/12"})
        EXPECT_FALSE(parseDateText(bad).has_value()) << bad;
}

TEST(Dates, CalendarArithmeticAndWeekdays) {
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(2026, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2026, 4), 30);

    EXPECT_EQ(addDays(Date{2024, 2, 28}, 1), (Date{2024, 2, 29}));
    EXPECT_EQ(addDays(Date{2026, 2, 28}, 1), (Date{2026, 3, 1}));
    EXPECT_EQ(addDays(Date{2026, 12, 31}, 1), (Date{2027, 1, 1}));
    EXPECT_EQ(addDays(Date{2027, 1, 1}, -1), (Date{2026, 12, 31}));
    EXPECT_EQ(daysBetween(Date{2026, 12, 8}, Date{2027, 3, 1}), 83);
    EXPECT_EQ(daysBetween(Date{2027, 3, 1}, Date{2026, 12, 8}), -83);
    EXPECT_EQ(daysSinceEpoch(Date{2026, 12, 8}), 20795);

    // Sunday = 1 ... Saturday = 7.
    EXPECT_EQ(weekdayNumber(Date{1970, 1, 1}), 5);   // Thursday
    EXPECT_EQ(weekdayNumber(Date{2026, 12, 8}), 3);  // Tuesday
    EXPECT_EQ(weekdayNumber(Date{2027, 1, 3}), 1);   // Sunday
    EXPECT_EQ(weekdayNumber(Date{1999, 12, 31}), 6);
    EXPECT_EQ(weekdayNumber(Date{1969, 12, 31}), 4);  // before the epoch too

    // Days and dates convert both ways over four centuries, one weekday after the other.
    int weekday = weekdayNumber(dateFromDays(-60000));
    for (long z = -60000; z <= 90000; ++z) {
        Date d = dateFromDays(z);
        ASSERT_TRUE(isValidDate(d)) << z;
        ASSERT_EQ(daysSinceEpoch(d), z);
        ASSERT_EQ(weekdayNumber(d), weekday);
        weekday = weekday % 7 + 1;
    }
}

}  // namespace
}  // namespace vq
