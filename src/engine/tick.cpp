// The 900 ms tick: detects the connection, opens, counts, prices and closes counted connections.
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/duration.h"
#include "core/ini_store.h"
#include "core/numbers.h"
#include "core/price.h"
#include "engine/counting.h"
#include "engine/engine.h"
#include "engine/tempo_file.h"
#include "plans/day_progress.h"

namespace vq {
namespace {

const char* const kWarning = "Il vaudrait mieux arrêter, le forfait est dépassé.";

}  // namespace

void Engine::timer2Tick() {
    // A box that waits, shown from a tick, would run a nested event loop in which the timer fires again.
    if (m_inTick)
        return;
    m_inTick = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_inTick};

    MainState& s = m_state;
    // A connection that ended but could not be stored is stored first; until it is, nothing opens.
    const bool hadClosing = m_closing.has_value();
    const bool blocked = hadClosing && !storeClosedConnection();
    // Nothing to count against before a plan with totals is shown.
    if (s.lcd1.empty() || s.lcd2.empty()) {
        if (hadClosing)
            notify();
        return;
    }
    progressbar(s.temps, s.lcd1, s.progressMax, s.progressValue);
    recojour(s.payingDay, s.jourpayant);
    s.forfaitavant = s.planName;

    const std::string t = timeText(m_deps.clock.now());
    bool counting = false;
    if (m_deps.source.isConnected()) {
        s.nomconnexion = m_deps.source.activeConnectionName();
        // A connection selects a plan only when a plan of its name is saved; any other billed
        // connection (a phone's hotspot) is counted under the plan in use.
        if (!s.nomconnexion.empty() &&
            !lireini(option::kPlansSection, s.nomconnexion, s.cheminoption).empty())
            setPlanName(s.nomconnexion);
        if (m_deps.tray)
            m_deps.tray->setTip(trayTipText());
        if (s.planName.empty())
            setPlanName(s.forfaitavant);
        // The connection selected a plan that has no totals yet: there is nothing to count against,
        // and computing with its empty totals would store nonsense.
        if (s.lcd1.empty() || s.lcd2.empty()) {
            s.connectionText = "Connecté";
            notify();
            return;
        }
        counting = countable(t) && !blocked;
    }

    if (counting) {
        s.comptage = "1";
        bool opened = s.etatconnexion == "1";
        if (opened)
            openConnection(t);
        s.timer1Interval = 930;
        s.ouinon = "2";
        price();
        if (opened) {
            // The figures go to the state file with the flag, so that a crash before the first
            // crash-state write cannot record the previous connection again.
            writeCrashState(true);
        } else {
            written(tempo::writeFlag(s.chemintempo, ConnectionFlag::Counting), "the connection flag",
                    s.chemintempo);
        }
    } else {
        closeConnection();
    }

    s.connectionText = m_deps.source.isConnected() ? "Connecté" : "Non connecté";
    if (s.comptage == "1")
        count();
    notify();
}

bool Engine::countable(const std::string& t) const {
    const MainState& s = m_state;
    return vq::countable({s.freeStart, s.freeEnd, s.payingDay, s.jourpayant},
                         weekdayNumber(m_deps.clock.today()), t);
}

void Engine::openConnection(const std::string& t) {
    MainState& s = m_state;
    s.heuredebut = t;
    s.etatconnexion = "2";
    s.connectionDate = dateText(m_deps.clock.today());
    s.connectionTime = t;
    s.decalage = "00:00:00";
    m_measuredFrom = m_deps.clock.elapsedMs();
    // The new connection has no length yet; pricing must not use the previous one's.
    s.duree = s.label1_0 = s.label7 = "00:00:00";
    if (s.versioninstallee != 0 && m_deps.update)
        m_deps.update->connectionOpened(s.versioninstallee);
}

void Engine::price() {
    MainState& s = m_state;
    if (s.lcd2 != "00:00:00" && s.temps != "00")
        return;
    s.prixavant = lireini(plansSection(), option::kAmountDueKey, s.cheminoption);
    // What earlier connections of the month owe, plus this one at the length the last tick showed.
    s.amountDue = formatDecimal(connectionPrice(s.duree, s.firstMinutePrice, s.minutePrice) +
                                numberOrZero(s.prixavant));
}

void Engine::closeConnection() {
    MainState& s = m_state;
    s.timer1Interval = 0;
    s.comptage = "2";
    s.etatconnexion = "1";
    if (s.ouinon != "2" || m_closing)
        return;
    s.lastConnectionPlan = s.planName;
    // The final figures go to the state file, flag still Counting: until the record and the totals are
    // stored, a crash makes the next start store exactly what this closing stores.
    writeCrashState(true);
    m_closing = ClosedConnection{s.planName,
                                 makeRecordLine(s.label1_0, s.connectionTime, s.connectionDate, s.planName),
                                 s.lcd1, s.lcd2, numberTextOrZero(s.amountDue)};
    storeClosedConnection();
}

// Stores the ended connection: its record and its totals in one replacement of the file, then the
// flag NoneOpen. False while they cannot be written yet (the store keeps them and writes them later).
bool Engine::storeClosedConnection() {
    MainState& s = m_state;
    ClosedConnection& c = *m_closing;
    const std::string section = option::totalsSection(c.plan);
    const IniValues totals{{section, option::kMonthTotalKey, c.total},
                           {section, option::kAllowanceLeftKey, c.left},
                           {section, option::kAmountDueKey, c.amount}};
    if (!c.recordAdded) {
        c.recordAdded = true;
        const bool stored = m_deps.records.append(c.line, totals);
        // A line the store refuses (a full store) leaves nothing behind: the totals go on their own.
        c.totalsAlone = !stored && m_deps.records.flush();
    }
    if (c.totalsAlone) {
        IniBatch batch(s.cheminoption);
        for (const IniValue& v : totals)
            batch.set(v.section, v.key, v.value);
        if (!written(batch.commit(), "the ended connection's totals", s.cheminoption))
            return false;
        c.totalsAlone = false;
    }
    if (!written(m_deps.records.flush(), "the ended connection's record and totals", s.cheminoption))
        return false;
    m_closing.reset();
    s.ouinon = "1";
    // A flag left at Counting is harmless now: the restore finds the record and stores nothing twice.
    written(tempo::writeFlag(s.chemintempo, ConnectionFlag::NoneOpen), "the connection flag", s.chemintempo);
    return true;
}

// At 23:59:59 the length so far becomes `decalage` and the connection is measured from midnight on,
// as the crash state has always carried it; the length itself does not change.
void Engine::carryMidnight() {
    MainState& s = m_state;
    s.decalage = connectionLength();
    s.heuredebut = "00:00:00";
    m_measuredFrom = m_deps.clock.elapsedMs();
    m_carriedOn = m_deps.clock.today();
}

std::string Engine::connectionLength() {
    const std::int64_t seconds =
        std::max<std::int64_t>(0, (m_deps.clock.elapsedMs() - m_measuredFrom) / 1000);
    return ajoutemps(durationFromSeconds(seconds), m_state.decalage);
}

void Engine::count() {
    MainState& s = m_state;
    s.label1_0 = connectionLength();
    s.label7 = s.label1_0;
    s.duree = s.label1_0;
    std::string storedTotal = lireini(plansSection(), option::kMonthTotalKey, s.cheminoption);
    if (isDurationText(storedTotal)) {
        s.tmpstotal = ajoutemps(s.duree, storedTotal);
        s.lcd1 = s.tmpstotal;
    }
    allowanceStep();
}

void Engine::allowanceStep() {
    MainState& s = m_state;
    bool usedUp = s.lcd2 == "00:00:00";
    double hours = numberOrZero(s.temps);
    if (usedUp && hours > 0) {
        if (s.avertissement == 0)
            warn();
        return;  // stays at 00:00:00
    }
    if (usedUp && hours == 0) {
        IniBatch flag(s.cheminoption);
        flag.set(plansSection(), option::kUsedUpKey, "1");
        written(flag.commit(), "the used-up allowance flag", s.cheminoption);
    } else {
        std::string allowance = lireini(plansSection(), option::kAllowanceLeftKey, s.cheminoption);
        if (isDurationText(allowance)) {
            // A length beyond the allowance (a tick that missed the exact second) leaves nothing.
            s.lcd2 = compareDurations(s.duree, allowance) >= 0 ? "00:00:00" : Enlevetps(allowance, s.duree);
        }
    }
    if (s.lcd2 == "00:00:00" && hours > 0 && s.avertissement == 0)
        warn();
}

// The warning never holds the tick: while the user reads it the connection goes on being counted,
// priced, written to the crash state and closed when it ends.
void Engine::warn() {
    m_state.avertissement = 1;
    notify();
    m_deps.dialogs.showWithoutWaiting(kWarning, "Oh", DialogIcon::None);
}

}  // namespace vq
