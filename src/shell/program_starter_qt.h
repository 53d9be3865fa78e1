#pragma once
// Starts programs detached from this one, in their own folder.

#include "shell/program_starter.h"

namespace vq {

class QtProgramStarter final : public ProgramStarter {
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace vq
