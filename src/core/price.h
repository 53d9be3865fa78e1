#pragma once
// The price of one connection, as the counting tick and the record editing both bill it.

#include <string_view>

namespace vq {

// The first-minute price once, then every whole minute of `duration` (seconds are not billed) at the
// price per minute. Hours and minutes are read as durationHours and durationMinutes read them; a
// price that is not a number counts as 0.
double connectionPrice(std::string_view duration, std::string_view firstMinutePrice,
                       std::string_view minutePrice);

}  // namespace vq
