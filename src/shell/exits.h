#pragma once
// The state the program leaves behind when the user quits: no counted connection is left open and
// the plan in use is the one the next start selects.

#include <string>

#include "plans/main_state.h"

namespace vq {

// Writes the flag "no connection open" to the state file, then the plan box text as the plan in use
// to "option.ini".
// A connection being counted is dropped, not recorded. Returns false when a write failed (the other
// one is still attempted). When a connection that already ended could not be stored yet (a full
// disk), nothing is written: the state file still describes it, so the next start stores it.
bool writeExitState(const MainState& state, bool endedConnectionUnstored = false);

// Ends the process at once: no event handler, timer or destructor runs after this (the stored files
// are already complete on disk), and the desktop drops the notification icon with the process.
[[noreturn]] void endProgramNow();

}  // namespace vq
