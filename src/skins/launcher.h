#pragma once
// The port through which logic starts another program without waiting for it.

#include <string>

namespace vq {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts the executable at `path` detached, in a normal window; false when it could not start.
    virtual bool start(const std::string& path) = 0;
};

}  // namespace vq
