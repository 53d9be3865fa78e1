#pragma once
// The counter engine: start-up, the 900 ms tick, the crash-state writer and the plan selection, all
// acting on the main window's state. Windows call these routines and then show the state.

#include <functional>
#include <optional>
#include <set>
#include <string>

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/listeners.h"
#include "core/log.h"
#include "engine/connection_source.h"
#include "engine/ports.h"
#include "plans/main_state.h"
#include "records/main_window_port.h"
#include "records/option_file.h"
#include "records/record_store.h"

namespace vq {

class Engine final : public MainWindowPort {
public:
    struct Deps {
        Clock& clock;
        ConnectionSource& source;
        Dialogs& dialogs;
        RecordStore& records;
        TrayTip* tray = nullptr;        // may be null (no notification area yet)
        UpdateCheck* update = nullptr;  // may be null (no updater)
        Log& log = Log::none();         // failed writes, which no window shows
    };
    // Steps of start-up that other subsystems provide; an empty function does nothing.
    struct Hooks {
        std::function<void()> lireskin;  // skin loading
        std::function<void()> repsup;    // start-of-month check
    };

    Engine(MainState& state, Deps deps, std::string dataFolder);

    MainState& state() { return m_state; }
    Hooks& hooks() { return m_hooks; }
    // Called whenever the engine changed the state, before any box it shows, so windows can redraw
    // and the notification icon and the allowance alerts follow.
    Listeners stateChanged;

    void formLoad();                            // start-up
    void timer2Tick();                          // the tick; never runs inside itself
    void timer1Tick();                          // the crash-state writer
    void setPlanName(const std::string& name);  // plan box text changed (no-op when unchanged)
    void connectClick();                        // loads the plan named in the plan box
    // The connection source has a new list of profiles: the plan box list follows it.
    void profilesChanged();
    // True while a connection that ended waits for its record and totals to be stored (the disk was
    // full or the folder unwritable); every tick tries again, and no new connection opens meanwhile.
    bool closedConnectionPending() const { return m_closing.has_value(); }

    // MainWindowPort, for the record editor.
    std::string planName() const override;
    void selectPlan(const std::string& name) override;
    std::string allowanceHours() const override;
    std::string lcd1() const override;
    std::string lcd2() const override;
    void setMonthTotal(const std::string& total) override;
    void setLcd2(const std::string& value) override;
    std::string firstMinutePrice() const override;
    std::string minutePrice() const override;
    void setAmountDue(const std::string& amount) override;

private:
    std::string plansSection() const { return option::totalsSection(m_state.planName); }
    void notify();
    void loadPlanRecord();
    void readProfiles();
    void restoreInterruptedConnection();
    bool countable(const std::string& t) const;
    void openConnection(const std::string& t);
    void closeConnection();
    bool storeClosedConnection();
    void price();
    void count();
    void allowanceStep();
    void warn();
    void carryMidnight();
    std::string connectionLength();
    void writeCrashState(bool withOpenFlag);
    std::string trayTipText() const;
    // Reports a write that failed, once until that write succeeds again; a write that succeeds
    // after failing is reported too. Returns `ok`.
    bool written(bool ok, const char* what, const std::string& file);

    MainState& m_state;
    Deps m_deps;
    Hooks m_hooks;
    std::string m_dataFolder;
    bool m_inTick = false;
    // The ended connection being stored: its record with its totals, then the state flag.
    struct ClosedConnection {
        std::string plan, line, total, left, amount;
        bool recordAdded = false;
        bool totalsAlone = false;
    };
    std::optional<ClosedConnection> m_closing;
    // The length of a connection is measured on the elapsed-time clock from this instant, on top of
    // `decalage`: a clock set forward or back, or the change to summer time, neither adds nor takes
    // away time. The wall clock gives only the start time, the date and the countable test.
    std::int64_t m_measuredFrom = 0;
    // The day whose midnight was last carried, so that the carry happens once per midnight.
    Date m_carriedOn;
    // The writes (as named to the log) whose last attempt failed.
    std::set<std::string> m_failingWrites;
};

}  // namespace vq
