#pragma once
// Small checks on the texts the counter works with: durations it can trust and plan records.

#include <string>
#include <string_view>
#include <vector>

namespace vq {

// True for "hh:mm:ss" or "hhh:mm:ss" with digits only and minutes and seconds up to 59.
bool isDurationText(std::string_view d);
// Compares two duration texts by value (negative, zero, positive); both must be duration texts.
int compareDurations(std::string_view a, std::string_view b);
// The fields of a plan record ("/1/0/0,02/..."), split at each "/"; the first is what comes before
// the first "/".
std::vector<std::string> planRecordFields(const std::string& record);

}  // namespace vq
