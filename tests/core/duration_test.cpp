#include "core/duration.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "support/fakes.h"

namespace vq {
namespace {

std::string duration(int h, int m, int s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, m, s);
    return buf;
}

long seconds(const std::string& d) {
    return durationHours(d) * 3600L + durationMinutes(d) * 60L + std::stol(d.substr(d.size() - 2));
}

TEST(Duration, AddsFieldByFieldWithCarries) {
    const struct {
        const char *a, *b, *sum;
    } cases[] = {
        {"00:00:00", "00:00:00", "00:00:00"},   {"01:59:30", "00:00:45", "02:00:15"},
        {"99:59:59", "00:00:01", "100:00:00"},  {"100:00:00", "00:30:00", "100:30:00"},
        {"12:34:56", "123:45:04", "136:20:00"}, {"23:59:59", "00:00:01", "24:00:00"},
        {"00:00:59", "00:00:01", "00:01:00"},   {"00:00:29", "00:00:30", "00:00:59"},
        {"00:59:00", "00:01:00", "01:00:00"},   {"07:05:09", "00:00:00", "07:05:09"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ajoutemps(c.a, c.b), c.sum) << c.a << " + " << c.b;
        EXPECT_EQ(ajoutemps(c.b, c.a), c.sum) << c.b << " + " << c.a;
    }
    // A three-digit result is read back correctly as an operand.
    EXPECT_EQ(ajoutemps(ajoutemps("99:59:59", "00:00:01"), "00:59:59"), "100:59:59");
    // The empty totals of a plan never saved add nothing.
    EXPECT_EQ(ajoutemps("", "01:02:03"), "01:02:03");
}

TEST(Duration, SubtractsWithBorrows) {
    const struct {
        const char *a, *b, *difference;
    } cases[] = {
        {"10:00:00", "00:00:01", "09:59:59"},  {"00:40:00", "00:39:59", "00:00:01"},
        {"100:00:00", "00:00:01", "99:59:59"}, {"14:05:10", "13:59:50", "00:05:20"},
        {"05:00:00", "05:00:00", "00:00:00"},  {"136:20:00", "123:45:04", "12:34:56"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Enlevetps(c.a, c.b), c.difference) << c.a << " - " << c.b;
    // A negative difference means nothing, but never reads as "nothing left".
    EXPECT_NE(Enlevetps("00:30:00", "01:00:00"), "00:00:00");
    EXPECT_NE(Enlevetps("00:00:00", "00:00:01"), "00:00:00");
}

TEST(Duration, SubtractingUndoesAdding) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> hours(0, 450), sixty(0, 59);
    for (int i = 0; i < 2000; ++i) {
        std::string a = duration(hours(random), sixty(random), sixty(random));
        std::string b = duration(hours(random), sixty(random), sixty(random));
        std::string sum = ajoutemps(a, b);
        ASSERT_EQ(Enlevetps(sum, b), a) << a << " + " << b << " = " << sum;
        ASSERT_EQ(Enlevetps(sum, a), b) << a << " + " << b << " = " << sum;
        ASSERT_EQ(seconds(sum), seconds(a) + seconds(b)) << sum;
    }
}

TEST(Duration, FieldsOfTwoAndThreeDigitHours) {
    EXPECT_EQ(durationHours("07:05:09"), 7);
    EXPECT_EQ(durationMinutes("07:05:09"), 5);
    EXPECT_EQ(durationHours("136:20:00"), 136);
    EXPECT_EQ(durationMinutes("136:20:00"), 20);
    EXPECT_EQ(durationHours(""), 0);
    EXPECT_EQ(durationMinutes("ab:cd:ef"), 0);
}

TEST(Duration, VerifhorAcceptsTypedDurationsAndComplainsAboutOthers) {
    test::FakeDialogs dialogs;
    for (const char* good : {"23:20:12", "99:59:59", "00:00:00"}) {
        EXPECT_EQ(verifhor(good, dialogs), 1) << good;
        EXPECT_TRUE(isTypedDurationValid(good));
    }
    EXPECT_TRUE(dialogs.shown.empty());

    const char* bad[] = {"7:20:12",  "23-20-12", "23:60:00", "23:20:60", "100:00:00",
                         "ab:cd:ef", "",         "-1:20:12", " 1:20:12", "23:20:1x"};
    for (const char* x : bad) {
        dialogs.shown.clear();
        EXPECT_EQ(verifhor(x, dialogs), 0) << x;
        ASSERT_EQ(dialogs.shown.size(), 1u) << x;
        EXPECT_EQ(
            dialogs.shown[0].text,
            "Veuillez remplir correctement les champs de la forme : hh:mm:ss (ex: 23:20:12 pour 23 heures "
            "20 minutes et 12 secondes)");
        EXPECT_EQ(dialogs.shown[0].title, "Error");
        EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Stop);
        EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);
    }
}

}  // namespace
}  // namespace vq
