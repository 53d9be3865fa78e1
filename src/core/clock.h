#pragma once
// The port through which logic reads the date and the time; tests use a fake clock.

#include "core/dates.h"

namespace vq {

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date today() const = 0;
    virtual TimeOfDay now() const = 0;
};

// The machine's local date and time.
class SystemClock final : public Clock {
public:
    Date today() const override;
    TimeOfDay now() const override;
};

}  // namespace vq
