#pragma once
// The stored form of a plan: the repairs a save makes to the typed values, the plan record made
// from the main window's fields, and the names under which a plan can be stored at all.

#include <optional>
#include <string>
#include <string_view>

#include "plans/main_state.h"

namespace vq {

// The allowance as saved: "" becomes "00"; a text other than "00" that reads as a number below 10,
// or not as a number at all, gets a "0" in front ("5" -> "05", "0" -> "00", "05" -> "005").
std::string normaliseAllowance(std::string_view hours);
// The month start day as saved: more than 31, empty or not a number becomes "1"; the rest stays.
std::string repairMonthStartDay(std::string_view day);

// The plan record of the main window's fields: day box, month start day, first-minute price, price
// per minute, amount due, free period flag ("1" or "0"), allowance, free period start and end.
std::string planRecord(const MainState& state);

// Why `name` cannot be stored as a plan (a French message for the user), or nothing when it can.
std::optional<std::string> planNameRefusal(std::string_view name);

}  // namespace vq
