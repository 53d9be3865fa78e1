#pragma once
// The main window's plan routines: saving the selected plan (the "Enregistrer ce forfait" button),
// clearing its records and totals (`deletefun`) and the start-of-month question (`repsup`).

#include <functional>
#include <string>

#include "core/clock.h"
#include "core/dialogs.h"
#include "plans/main_state.h"
#include "records/record_store.h"

namespace vq {

class PlanActions {
public:
    PlanActions(MainState& state, RecordStore& records, Dialogs& dialogs, const Clock& clock);

    // Called after the routines changed the state and before any box they show.
    std::function<void()> stateChanged;

    // Saves the plan named in the plan box and starts it afresh (its totals reset, its records
    // removed). Returns false, with the shown values untouched, when the plan could not be stored.
    bool savePlan();
    // Removes the selected plan's records and resets its totals, asking and reporting unless
    // `sansquestion` is 1 (which it then clears). Returns false when answered no or when a write failed.
    bool deletefun();
    // Asks once for every month start of the plan passed since the previous start ("Date").
    void repsup();
    // The delete button.
    void command9Click() { deletefun(); }

    // The most questions one start asks, however long the program was not started.
    static constexpr int kMaxMonthStartQuestions = 12;

private:
    void notify();
    bool resetTotals(const std::string& plan, const std::string& allowance);

    MainState& m_state;
    RecordStore& m_records;
    Dialogs& m_dialogs;
    const Clock& m_clock;
};

}  // namespace vq
