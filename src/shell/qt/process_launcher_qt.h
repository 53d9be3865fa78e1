#pragma once
// The Launcher port over QProcess: starts an executable file detached, in its own folder.

#include "core/launcher.h"

namespace vq {

class ProcessLauncher final : public Launcher {
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace vq
