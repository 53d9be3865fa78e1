// The crash state: the open connection's figures in "tempo.ini", and their restore at start-up.
#include <chrono>
#include <string>
#include <vector>

#include "core/ini_store.h"
#include "core/numbers.h"
#include "engine/counting.h"
#include "engine/engine.h"
#include "engine/tempo_file.h"

namespace vq {
namespace {

// The figures of an open connection change every second. Each rewrite is in place at once for a
// start after a crash; waiting for the disk on every one of them would cost most of the program's
// processor time while it counts, so they reach the disk at least this often, and a power loss
// takes away at most this much more of the connection than a crash does. Five seconds is well
// within the time the system itself keeps written data in memory (thirty seconds by default on
// Linux) and a small part of any connection. Changes of the flag are always flushed at once.
constexpr std::chrono::seconds kFiguresFlushedEvery{5};

}  // namespace

void Engine::timer1Tick() {
    MainState& s = m_state;
    if (s.timer1Interval == 0 || s.etatconnexion != "2")
        return;
    // A plan without totals is selected: the last figures written stay the ones to restore.
    if (s.lcd1.empty() || s.lcd2.empty())
        return;
    if (timeText(m_deps.clock.now()) == "23:59:59" && !(m_deps.clock.today() == m_carriedOn))
        carryMidnight();
    writeCrashState(false);
}

void Engine::writeCrashState(bool withOpenFlag) {
    MainState& s = m_state;
    // The plan name first: the restore files the figures under it.
    written(ecrireini(option::kSettingsSection, option::kPlanInUseKey, s.planName, s.cheminoption),
            "the plan in use", s.cheminoption);

    const CrashFigures figures{s.duree, s.lcd1, s.lcd2, s.connectionDate, s.connectionTime, s.amountDue};
    if (withOpenFlag) {
        // Opening or closing: what a restore must find even after a power loss.
        written(tempo::writeFlag(s.chemintempo, ConnectionFlag::Counting, &figures), "the crash state",
                s.chemintempo);
    } else {
        written(tempo::writeFigures(s.chemintempo, figures, kFiguresFlushedEvery), "the crash state",
                s.chemintempo);
    }
}

namespace {

std::string trimmedBlanks(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// True when `stored` records the connection `line` describes: same length, start time, date and
// plan (a program killed and started again within one second may count a second connection that
// starts in the same second, but not one of the same length as well).
bool sameConnection(const std::string& stored, const std::string& line) {
    std::vector<std::string> a = splitRecordLine(stored);
    std::vector<std::string> b = splitRecordLine(line);
    return a.size() >= 4 && b.size() >= 4 && a[0] == b[0] && a[1] == b[1] && a[2] == b[2] &&
           trimmedBlanks(a[3]) == trimmedBlanks(b[3]);
}

}  // namespace

// Turns the connection a crash (or an update, EndedForUpdate, only ever written while a connection is
// counted) interrupted into a record and the plan's totals, as its closing would have. A connection
// already recorded is left alone: the closing (or an earlier restore) stored its totals and its
// record and was cut short before the flag went back to NoneOpen.
void Engine::restoreInterruptedConnection() {
    MainState& s = m_state;
    CrashFigures f = tempo::readFigures(s.chemintempo);
    // Figures that are not durations cannot be a connection; storing them would spoil the totals.
    if (!isDurationText(f.length) || !isDurationText(f.monthTotal) || !isDurationText(f.allowanceLeft))
        return;

    setPlanName(lireini(option::kSettingsSection, option::kPlanInUseKey, s.cheminoption));
    // The record goes after the ones already stored, whether or not the window has listed them yet.
    m_deps.records.load();
    std::string line = makeRecordLine(f.length, f.startTime, f.date, s.planName);
    const std::vector<std::string>& stored = m_deps.records.lines();
    for (auto it = stored.rbegin(); it != stored.rend(); ++it) {
        if (sameConnection(*it, line))
            return;
    }
    s.lastConnectionPlan = s.planName;
    m_closing = ClosedConnection{s.planName, std::move(line), std::move(f.monthTotal),
                                 std::move(f.allowanceLeft), numberTextOrZero(f.amountDue)};
    storeClosedConnection();
}

}  // namespace vq
