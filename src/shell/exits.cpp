#include "shell/exits.h"

#include <cstdio>
#include <cstdlib>

#include "core/ini_store.h"
#include "engine/tempo_file.h"
#include "records/option_file.h"

namespace vq {

bool writeExitState(const MainState& state, bool endedConnectionUnstored) {
    if (endedConnectionUnstored)
        return false;
    const bool flagWritten = tempo::writeFlag(state.chemintempo, ConnectionFlag::NoneOpen);
    const bool planWritten =
        ecrireini(option::kSettingsSection, option::kPlanInUseKey, state.planName, state.cheminoption);
    return flagWritten && planWritten;
}

void endProgramNow() {
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace vq
