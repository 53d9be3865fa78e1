#pragma once
// The stored form of a plan: the repairs a save makes to the typed values, the nine-field plan
// record of section "Forfaits", and the names under which a plan can be stored at all.

#include <optional>
#include <string>
#include <string_view>

#include "plans/main_state.h"

namespace vq {

inline constexpr const char* kPlansSection = "Forfaits";
inline constexpr const char* kTotalsPrefix = "Dernc ";

// The section holding a plan's running totals ("Dernc " followed by the name).
std::string totalsSection(std::string_view plan);

// The allowance as saved: "" becomes "00"; a text other than "00" that reads as a number below 10,
// or not as a number at all, gets a "0" in front ("5" -> "05", "0" -> "00", "05" -> "005").
std::string normaliseAllowance(std::string_view hours);
// The month start day as saved: more than 31, empty or not a number becomes "1"; the rest stays.
std::string repairMonthStartDay(std::string_view day);

// The plan record: day box, month start day, first-minute price, price per minute, amount due,
// free period flag, allowance, free period start and end, joined by "/" as the fields are.
std::string planRecord(const MainState& state);

// Why `name` cannot be stored as a plan (a French message for the user), or nothing when it can.
std::optional<std::string> planNameRefusal(std::string_view name);

}  // namespace vq
