#include "engine/month_status.h"

#include <cmath>
#include <utility>
#include <vector>

#include "core/duration.h"
#include "core/ini_store.h"
#include "core/numbers.h"
#include "engine/counting.h"
#include "engine/tempo_file.h"
#include "records/option_file.h"

namespace vq {
namespace {

std::int64_t secondsOrZero(const std::string& duration) {
    return durationSeconds(duration).value_or(0);
}

}  // namespace

std::string currentPlan(const std::string& dataFolder) {
    return lireini(option::kSettingsSection, option::kPlanInUseKey, option::filePath(dataFolder));
}

std::optional<MonthStatus> readMonthStatus(const std::string& dataFolder, const std::string& plan,
                                           const Clock& clock) {
    const std::string optionPath = resolveIniPath(option::filePath(dataFolder));
    const std::string tempoPath = resolveIniPath(tempo::filePath(dataFolder));
    const std::string record = lireini(option::kPlansSection, plan, optionPath);
    const std::string section = option::totalsSection(plan);
    std::string used = lireini(section, option::kMonthTotalKey, optionPath);
    std::string left = lireini(section, option::kAllowanceLeftKey, optionPath);
    std::string amount = lireini(section, option::kAmountDueKey, optionPath);
    if (plan.empty() || (record.empty() && used.empty() && left.empty()))
        return std::nullopt;

    MonthStatus s;
    s.plan = plan;
    // The crash-state writer stores the plan's name before the figures, flag Counting while it counts
    // (EndedForUpdate when an update ends the program mid-connection: the next start stores it).
    if (tempo::leftOpen(tempo::readFlag(tempoPath)) && currentPlan(dataFolder) == plan) {
        CrashFigures f = tempo::readFigures(tempoPath);
        if (isDurationText(f.monthTotal) && isDurationText(f.allowanceLeft)) {
            s.counting = true;
            used = std::move(f.monthTotal);
            left = std::move(f.allowanceLeft);
            amount = std::move(f.amountDue);
        }
    }
    const std::vector<std::string> terms = option::splitPlanRecord(record);
    const auto term = [&terms](std::size_t i) { return i < terms.size() ? terms[i] : std::string(); };
    const std::optional<long long> startDay = parseWhole(term(option::kMonthStartDayField));
    const double allowanceHours = std::floor(numberOrZero(term(option::kAllowanceField)));

    s.usedSeconds = secondsOrZero(used);
    s.allowanceLeftSeconds = secondsOrZero(left);
    s.allowanceSeconds = allowanceHours > 0 ? static_cast<std::int64_t>(allowanceHours) * 3600 : 0;
    s.amountDue = numberOrZero(amount);
    const Date today = clock.today();
    s.month =
        billingMonth(today, startDay && *startDay >= 1 && *startDay <= 31 ? static_cast<int>(*startDay) : 1);
    s.projection = projectMonth(
        {s.usedSeconds, s.allowanceSeconds, s.amountDue, numberOrZero(term(option::kMinutePriceField))},
        s.month, today, clock.now());
    return s;
}

}  // namespace vq
