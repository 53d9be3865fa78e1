#pragma once
// Durations and clock times as "hh:mm:ss" texts, added and subtracted field by field.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vq {

class Dialogs;

// a + b. Hours get a third digit from 100 on; a field that is not a number counts as 0.
std::string ajoutemps(std::string_view a, std::string_view b);
// a - b, for b not greater than a (the hours borrow like the minutes otherwise, never negative).
std::string Enlevetps(std::string_view a, std::string_view b);

// The hour field of a duration: three characters when the fourth is ":", else two; 0 if unreadable.
int durationHours(std::string_view d);
// The minute field (characters 4-5, or 5-6 for three-digit hours); 0 if unreadable.
int durationMinutes(std::string_view d);

// A number of seconds as a duration text, hours in two digits or more (negative counts as 0).
std::string durationFromSeconds(std::int64_t seconds);
// The seconds a duration text stands for: digits, ":", two-digit minutes and seconds up to 59, any
// number of hour digits; nothing for anything else (exports and sums that must not guess).
std::optional<std::int64_t> durationSeconds(std::string_view d);

// True when x is a duration a user may type: "hh:mm:ss", hours up to 99, minutes and seconds up to 59.
bool isTypedDurationValid(std::string_view x);
// The check of a typed duration: 1 when valid; else shows the "Error" message and returns 0.
int verifhor(std::string_view x, Dialogs& dialogs);

}  // namespace vq
