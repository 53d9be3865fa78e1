#pragma once
// The Launcher port over QProcess: starts a program detached, without arguments.

#include "skins/launcher.h"

namespace vq {

class ProcessLauncher final : public Launcher {
public:
    bool start(const std::string& path) override;
};

}  // namespace vq
