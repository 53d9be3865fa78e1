#pragma once
// Small checks on the texts the counter works with: durations it can trust.

#include <string_view>

namespace vq {

// True for "hh:mm:ss" or "hhh:mm:ss" with digits only and minutes and seconds up to 59.
bool isDurationText(std::string_view d);
// Compares two duration texts by value (negative, zero, positive); both must be duration texts.
int compareDurations(std::string_view a, std::string_view b);

}  // namespace vq
