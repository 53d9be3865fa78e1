#include "core/price.h"

#include "core/duration.h"
#include "core/numbers.h"

namespace vq {

double connectionPrice(std::string_view duration, std::string_view firstMinutePrice,
                       std::string_view minutePrice) {
    const double perMinute = numberOrZero(minutePrice);
    return numberOrZero(firstMinutePrice) + perMinute * 60 * durationHours(duration) +
           perMinute * durationMinutes(duration);
}

}  // namespace vq
