#include "shell/exits.h"

#include "core/ini_store.h"

namespace vq {

bool writeExitState(const MainState& state) {
    const bool flagWritten = ecrireini("plantage", "ouinon", "1", state.chemintempo);
    const bool planWritten = ecrireini("Typeconex", "Forfait", state.planName, state.cheminoption);
    return flagWritten && planWritten;
}

}  // namespace vq
