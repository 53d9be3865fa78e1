#include "engine/month_status.h"

#include <cmath>
#include <vector>

#include "core/duration.h"
#include "core/ini_store.h"
#include "core/numbers.h"
#include "engine/counting.h"
#include "plans/plan_settings.h"

namespace vq {
namespace {

std::int64_t secondsOrZero(const std::string& duration) {
    return durationSeconds(duration).value_or(0);
}

}  // namespace

std::string currentPlan(const std::string& dataFolder) {
    return lireini("Typeconex", "Forfait", dataFolder + "/option.ini");
}

std::optional<MonthStatus> readMonthStatus(const std::string& dataFolder, const std::string& plan,
                                           const Clock& clock) {
    const std::string option = resolveIniPath(dataFolder + "/option.ini");
    const std::string tempo = resolveIniPath(dataFolder + "/tempo.ini");
    const std::string record = lireini(kPlansSection, plan, option);
    const std::string section = totalsSection(plan);
    std::string used = lireini(section, "temps", option);
    std::string left = lireini(section, "avf", option);
    std::string amount = lireini(section, "prix", option);
    if (plan.empty() || (record.empty() && used.empty() && left.empty()))
        return std::nullopt;

    MonthStatus s;
    s.plan = plan;
    // The crash-state writer stores the plan's name before the figures, flag "2" while it counts
    // ("3" when an update ends the program mid-connection: the next start stores the connection).
    const std::string flag = lireini("plantage", "ouinon", tempo);
    if ((flag == "2" || flag == "3") && currentPlan(dataFolder) == plan) {
        const std::string total = lireini("plantage", "tempstotal", tempo);
        const std::string rest = lireini("plantage", "tempsrestant", tempo);
        if (isDurationText(total) && isDurationText(rest)) {
            s.counting = true;
            used = total;
            left = rest;
            amount = lireini("plantage", "prix", tempo);
        }
    }
    const std::vector<std::string> terms = planRecordFields(record);
    const auto term = [&terms](std::size_t i) { return i < terms.size() ? terms[i] : std::string(); };
    const std::optional<long long> startDay = parseWhole(term(1));
    const double allowanceHours = std::floor(numberOrZero(term(6)));

    s.usedSeconds = secondsOrZero(used);
    s.allowanceLeftSeconds = secondsOrZero(left);
    s.allowanceSeconds = allowanceHours > 0 ? static_cast<std::int64_t>(allowanceHours) * 3600 : 0;
    s.amountDue = numberOrZero(amount);
    const Date today = clock.today();
    s.month =
        billingMonth(today, startDay && *startDay >= 1 && *startDay <= 31 ? static_cast<int>(*startDay) : 1);
    s.projection = projectMonth({s.usedSeconds, s.allowanceSeconds, s.amountDue, numberOrZero(term(3))},
                                s.month, today, clock.now());
    return s;
}

}  // namespace vq
