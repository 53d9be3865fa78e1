#pragma once
// The port through which the updater starts the update installer.

#include <string>
#include <vector>

namespace vq {

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts `program` with `arguments`, detached from this process; false when it could not start.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace vq
