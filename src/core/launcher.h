#pragma once
// The port through which logic starts another program (the program anew after a skin change, the
// update installer) without waiting for it.

#include <string>
#include <vector>

namespace vq {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts `program` with `arguments`, detached from this process; false when it could not start.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace vq
