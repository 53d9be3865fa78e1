#pragma once
// The port through which logic reads the date and the time, and measures elapsed time; tests use a
// fake clock.

#include <cstdint>

#include "core/dates.h"

namespace vq {

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date today() const = 0;
    virtual TimeOfDay now() const = 0;
    // Milliseconds on a clock that only moves forward, at the pace of elapsed time, whatever is done
    // to the date and time (set by hand, summer time): what lengths are measured on.
    virtual std::int64_t elapsedMs() const = 0;
};

// The machine's local date and time.
class SystemClock final : public Clock {
public:
    Date today() const override;
    TimeOfDay now() const override;
    std::int64_t elapsedMs() const override;
};

}  // namespace vq
