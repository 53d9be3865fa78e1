#include "plans/plan_actions.h"

#include <deque>

#include "core/dates.h"
#include "core/ini_store.h"
#include "plans/plan_settings.h"
#include "records/option_file.h"

namespace vq {
namespace {

constexpr const char* kZeroDuration = "00:00:00";

}  // namespace

PlanActions::PlanActions(MainState& state, RecordStore& records, Dialogs& dialogs, const Clock& clock)
    : m_state(state), m_records(records), m_dialogs(dialogs), m_clock(clock) {}

void PlanActions::notify() {
    if (stateChanged)
        stateChanged();
}

bool PlanActions::savePlan() {
    const std::string plan = m_state.planName;
    if (std::optional<std::string> refusal = planNameRefusal(plan)) {
        m_dialogs.show(*refusal, "Sauver", DialogButtons::Ok, DialogIcon::Exclamation);
        return false;
    }

    // The repairs are made on a copy: a save that cannot be stored leaves the panel as typed.
    MainState saved = m_state;
    saved.temps = normaliseAllowance(saved.temps2);
    if (saved.freePeriod == 0) {
        saved.payingDay.clear();
        saved.freeStart = kZeroDuration;
        saved.freeEnd = kZeroDuration;
    }
    saved.monthStartDay = repairMonthStartDay(saved.monthStartDay);
    const std::string record = planRecord(saved);
    const std::string allowanceLeft = saved.temps + ":00:00";
    const std::string totals = option::totalsSection(plan);

    bool stored = false;
    if (iniValueStorable(record) && iniValueStorable(allowanceLeft)) {
        // The record and the reset totals replace the file together, so a failure leaves neither.
        IniBatch batch(m_state.cheminoption);
        batch.set(option::kPlansSection, plan, record);
        batch.set(totals, option::kMonthTotalKey, kZeroDuration);
        batch.set(totals, option::kAllowanceLeftKey, allowanceLeft);
        batch.set(totals, option::kUsedUpKey, "2");
        batch.set(totals, option::kAmountDueKey, "0");
        stored = batch.commit();
    }
    if (!stored) {
        m_dialogs.show("Le forfait n'a pas pu être enregistré.", "Sauver", DialogButtons::Ok,
                       DialogIcon::Exclamation);
        return false;
    }

    m_state.temps = saved.temps;
    m_state.payingDay = saved.payingDay;
    m_state.freeStart = saved.freeStart;
    m_state.freeEnd = saved.freeEnd;
    m_state.monthStartDay = saved.monthStartDay;
    m_state.lcd1 = kZeroDuration;
    m_state.lcd2 = allowanceLeft;
    m_state.sansquestion = 1;
    notify();

    if (!deletefun()) {
        m_dialogs.show("Le forfait a été enregistré, mais ses connexions n'ont pas pu être supprimées.",
                       "Sauver", DialogButtons::Ok, DialogIcon::Exclamation);
        return true;
    }
    m_dialogs.show("Les paramètres ont été sauvé", "Sauver", DialogButtons::Ok, DialogIcon::None);
    return true;
}

bool PlanActions::resetTotals(const std::string& plan, const std::string& allowanceLeft) {
    const std::string totals = option::totalsSection(plan);
    // A name that cannot be a section never had totals stored under it: nothing to reset.
    if (!iniNamesStorable(totals, option::kMonthTotalKey))
        return true;
    if (!iniValueStorable(allowanceLeft))
        return false;
    IniBatch batch(m_state.cheminoption);
    batch.set(totals, option::kMonthTotalKey, kZeroDuration);
    batch.set(totals, option::kAllowanceLeftKey, allowanceLeft);
    batch.set(totals, option::kAmountDueKey, "0");
    batch.set(totals, option::kUsedUpKey, "2");
    return batch.commit();
}

bool PlanActions::deletefun() {
    const bool silent = m_state.sansquestion == 1;
    m_state.sansquestion = 0;
    if (!silent && m_dialogs.show("Souhaitez vous  vraiment supprimer les enregistrements ?", "Supression",
                                  DialogButtons::YesNo, DialogIcon::None) != DialogAnswer::Yes)
        return false;

    const std::string plan = m_state.planName;
    const std::string allowanceLeft = m_state.temps + ":00:00";
    const bool removed = m_records.retirer(plan);
    // Totals are reset only when the records are gone, so that they keep matching each other.
    const bool reset = removed && resetTotals(plan, allowanceLeft);
    if (reset) {
        m_state.lcd2 = allowanceLeft;
        m_state.lcd1 = kZeroDuration;
        m_state.amountDue = "0";
    }
    notify();

    if (!reset) {
        if (!silent)
            m_dialogs.show("Les connexions n'ont pas pu être supprimées.", "Suppression", DialogButtons::Ok,
                           DialogIcon::Exclamation);
        return false;
    }
    if (!silent)
        m_dialogs.show("Tout a été supprimé", "Suppression", DialogButtons::Ok, DialogIcon::None);
    return true;
}

void PlanActions::repsup() {
    std::optional<Date> last =
        parseDateText(lireini(option::kSettingsSection, option::kLastStartKey, m_state.cheminoption));
    if (!last)
        return;
    const long days = daysBetween(*last, m_clock.today());
    // The month start day is compared as text with the day of the month written without a leading
    // zero, so "05", "0" or "abc" never match.
    std::deque<Date> starts;
    for (long i = 1; i <= days; ++i) {
        Date day = addDays(*last, i);
        if (m_state.monthStartDay != std::to_string(day.day))
            continue;
        starts.push_back(day);
        // After a long absence (or a clock that was far behind) only the latest starts are asked about.
        if (static_cast<int>(starts.size()) > kMaxMonthStartQuestions)
            starts.pop_front();
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (m_dialogs.show("Vous commencez un nouveau mois de forfait, voulez vous supprimer toute les "
                           "informations concernant le dernier mois ?",
                           "Début du mois", DialogButtons::YesNo, DialogIcon::None) == DialogAnswer::Yes)
            deletefun();
    }
}

}  // namespace vq
