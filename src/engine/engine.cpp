#include "engine/engine.h"

#include <optional>
#include <utility>

#include "core/ini_store.h"
#include "core/numbers.h"
#include "core/utf8.h"
#include "engine/counting.h"
#include "engine/tempo_file.h"
#include "plans/day_progress.h"

namespace vq {
namespace {

constexpr std::size_t kMaxProfiles = 11;

}  // namespace

Engine::Engine(MainState& state, Deps deps, std::string dataFolder)
    : m_state(state), m_deps(deps), m_dataFolder(std::move(dataFolder)) {}

void Engine::notify() {
    stateChanged();
}

void Engine::formLoad() {
    MainState& s = m_state;
    s.sansquestion = 0;
    s.cheminoption = option::filePath(m_dataFolder);
    s.chemintempo = tempo::filePath(m_dataFolder);

    // The version is a 16-bit number; anything else leaves the update check off.
    std::optional<long long> version =
        parseWhole(lireini(option::kSettingsSection, option::kVersionKey, s.cheminoption));
    if (version && *version >= -32768 && *version <= 32767)
        s.versioninstallee = static_cast<int>(*version);

    readProfiles();

    if (m_hooks.lireskin)
        m_hooks.lireskin();

    if (tempo::leftOpen(tempo::readFlag(s.chemintempo)))
        restoreInterruptedConnection();
    // A restored connection not stored yet keeps its flag, so that a crash restores it again.
    if (!m_closing)
        written(tempo::writeFlag(s.chemintempo, ConnectionFlag::NoneOpen), "the connection flag",
                s.chemintempo);

    s.connectionDate = dateText(m_deps.clock.today());
    s.connectionTime = timeText(m_deps.clock.now());

    setPlanName(lireini(option::kSettingsSection, option::kPlanInUseKey, s.cheminoption));
    loadPlanRecord();
    s.temps2 = s.temps;
    s.tmpstotal = lireini(plansSection(), option::kMonthTotalKey, s.cheminoption);
    s.lcd1 = s.tmpstotal;
    setPlanName(lireini(option::kSettingsSection, option::kPlanInUseKey, s.cheminoption));

    if (m_hooks.repsup)
        m_hooks.repsup();

    if (lireini(plansSection(), option::kUsedUpKey, s.cheminoption) == "1")
        s.lcd2 = "00:00:00";
    else
        s.lcd2 = lireini(plansSection(), option::kAllowanceLeftKey, s.cheminoption);
    s.ouinon = "1";
    s.etatconnexion = "1";
    s.prixavant = lireini(plansSection(), option::kAmountDueKey, s.cheminoption);
    s.amountDue = s.prixavant;
    written(ecrireini(option::kSettingsSection, option::kLastStartKey,
                      dateTimeText(m_deps.clock.today(), m_deps.clock.now()), s.cheminoption),
            "the start date", s.cheminoption);

    s.timer2Interval = 900;
    s.timer1Interval = 0;
    if (m_deps.tray)
        m_deps.tray->setTip(trayTipText());
    notify();
}

void Engine::readProfiles() {
    MainState& s = m_state;
    s.profiles.clear();
    for (std::string& name : m_deps.source.profileNames()) {
        if (s.profiles.size() == kMaxProfiles)
            break;
        s.profiles.push_back(std::move(name));
    }
}

void Engine::profilesChanged() {
    readProfiles();
    notify();
}

// Fills the plan fields from the plan record, field by field; fields the record lacks stay as they are.
void Engine::loadPlanRecord() {
    MainState& s = m_state;
    std::string record = lireini(option::kPlansSection, s.planName, s.cheminoption);
    if (record.empty())
        return;
    std::vector<std::string> f = option::splitPlanRecord(record);
    std::string* targets[] = {&s.payingDay, &s.monthStartDay, &s.firstMinutePrice, &s.minutePrice,
                              &s.amountDue};
    for (std::size_t i = 0; i <= option::kAmountDueField && i < f.size(); ++i)
        *targets[i] = f[i];
    if (!isDayBoxText(s.payingDay))
        s.payingDay.clear();  // the day box shows one of its days or nothing
    if (f.size() > option::kFreePeriodField) {
        // A free-period flag that is not a whole number is skipped like any failing step.
        std::optional<long long> check = parseWhole(f[option::kFreePeriodField]);
        if (check && *check >= -32768 && *check <= 32767)
            s.freePeriod = static_cast<int>(*check);
    }
    if (f.size() > option::kAllowanceField)
        s.temps = f[option::kAllowanceField];
    if (f.size() > option::kFreeStartField)
        s.freeStart = f[option::kFreeStartField];
    if (f.size() > option::kFreeEndField)
        s.freeEnd = f[option::kFreeEndField];
}

void Engine::setPlanName(const std::string& name) {
    if (name == m_state.planName)
        return;
    m_state.planName = name;
    connectClick();
}

void Engine::connectClick() {
    MainState& s = m_state;
    loadPlanRecord();
    s.tmpstotal = lireini(plansSection(), option::kMonthTotalKey, s.cheminoption);
    s.lcd1 = s.tmpstotal;
    s.lcd2 = lireini(plansSection(), option::kAllowanceLeftKey, s.cheminoption);
    s.temps2 = s.temps;
}

bool Engine::written(bool ok, const char* what, const std::string& file) {
    const bool wasFailing = m_failingWrites.count(what) != 0;
    if (ok && wasFailing) {
        m_failingWrites.erase(what);
        m_deps.log.info(Log::Topic::Store, std::string("Wrote ") + what + " to " + file + " again");
    } else if (!ok && !wasFailing) {
        m_failingWrites.insert(what);
        m_deps.log.warning(Log::Topic::Store, std::string("Could not write ") + what + " to " + file +
                                                  " (full disk or folder not writable)");
    }
    return ok;
}

std::string Engine::trayTipText() const {
    // The notification area keeps 63 characters of a tip.
    std::string tip = "TT: " + m_state.lcd1 + " | T: " + m_state.duree + " | TR: " + m_state.lcd2;
    tip.resize(utf8::firstBytes(tip, 63).size());
    return tip;
}

std::string Engine::planName() const {
    return m_state.planName;
}

void Engine::selectPlan(const std::string& name) {
    setPlanName(name);
    notify();
}

std::string Engine::allowanceHours() const {
    return m_state.temps;
}

std::string Engine::lcd1() const {
    return m_state.lcd1;
}

std::string Engine::lcd2() const {
    return m_state.lcd2;
}

void Engine::setMonthTotal(const std::string& total) {
    m_state.tmpstotal = total;
    m_state.lcd1 = total;
    notify();
}

void Engine::setLcd2(const std::string& value) {
    m_state.lcd2 = value;
    notify();
}

std::string Engine::firstMinutePrice() const {
    return m_state.firstMinutePrice;
}

std::string Engine::minutePrice() const {
    return m_state.minutePrice;
}

void Engine::setAmountDue(const std::string& amount) {
    m_state.amountDue = amount;
    notify();
}

}  // namespace vq
