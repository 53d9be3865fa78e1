#include "shell/exits.h"

#include <cstdio>
#include <cstdlib>

#include "core/ini_store.h"

namespace vq {

bool writeExitState(const MainState& state, bool endedConnectionUnstored) {
    if (endedConnectionUnstored)
        return false;
    const bool flagWritten = ecrireini("plantage", "ouinon", "1", state.chemintempo);
    const bool planWritten = ecrireini("Typeconex", "Forfait", state.planName, state.cheminoption);
    return flagWritten && planWritten;
}

void endProgramNow() {
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace vq
