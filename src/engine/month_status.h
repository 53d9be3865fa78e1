#pragma once
// A plan's month as the counting program sees it, read from the data folder and never written: the
// plan's terms and stored totals, or, while a connection is being counted under it, the figures the
// crash-state writer keeps for that connection (the month total with the connection in it).

#include <cstdint>
#include <optional>
#include <string>

#include "core/clock.h"
#include "plans/month_projection.h"

namespace vq {

struct MonthStatus {
    std::string plan;
    bool counting = false;  // a connection is being counted under the plan
    std::int64_t usedSeconds = 0;
    std::int64_t allowanceSeconds = 0;  // 0: the plan has no allowance
    std::int64_t allowanceLeftSeconds = 0;
    double amountDue = 0;  // beyond the allowance, in euros
    BillingMonth month;
    Projection projection;
};

// The plan in use: the one the counting program last selected ("" when none).
std::string currentPlan(const std::string& dataFolder);

// The month of `plan` today; nothing when the data folder knows no such plan (neither its settings
// nor its totals).
std::optional<MonthStatus> readMonthStatus(const std::string& dataFolder, const std::string& plan,
                                           const Clock& clock);

}  // namespace vq
