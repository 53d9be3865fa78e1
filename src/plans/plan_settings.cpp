#include "plans/plan_settings.h"

#include "core/ini_store.h"
#include "core/numbers.h"
#include "core/utf8.h"
#include "records/option_file.h"
#include "records/record_store.h"

namespace vq {

std::string normaliseAllowance(std::string_view hours) {
    if (hours.empty())
        return "00";
    if (hours == "00")
        return std::string(hours);
    std::optional<double> n = parseDecimal(hours);
    if (!n || *n < 10)
        return "0" + std::string(hours);
    return std::string(hours);
}

std::string repairMonthStartDay(std::string_view day) {
    std::optional<double> n = parseDecimal(day);
    if (!n || *n > 31)
        return "1";
    return std::string(day);
}

std::string planRecord(const MainState& s) {
    return option::joinPlanRecord({s.payingDay, s.monthStartDay, s.firstMinutePrice, s.minutePrice,
                                   s.amountDue, s.freePeriod == 1 ? "1" : "0", s.temps, s.freeStart,
                                   s.freeEnd});
}

std::optional<std::string> planNameRefusal(std::string_view name) {
    if (name.empty())
        return "Indiquez le nom du forfait avant de l'enregistrer.";
    if (utf8::characterCount(name) > kMaxPlanNameChars)
        return kPlanNameTooLongMessage;
    // A plan name ends every connection record, so it must not hold the record's field separator;
    // it is also a key of the plans section and part of the name of its totals' section.
    if (name.find(kFieldSeparator) != std::string_view::npos ||
        !iniNamesStorable(option::kPlansSection, name) ||
        !iniNamesStorable(option::totalsSection(name), option::kMonthTotalKey))
        return "Le nom « " + std::string(name) +
               " » ne peut pas servir de nom de forfait : choisissez un autre nom.";
    return std::nullopt;
}

}  // namespace vq
