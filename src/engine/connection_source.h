#pragma once
// The port that tells the engine whether the machine is connected and through which connection.

#include <string>
#include <vector>

namespace vq {

class ConnectionSource {
public:
    virtual ~ConnectionSource() = default;
    // True while a connection with a default route is up.
    virtual bool isConnected() = 0;
    // The name of the active connection when it is billed by time or volume, else "".
    virtual std::string activeConnectionName() = 0;
    // The names of the saved connection profiles that may be plans, at most eleven, in order.
    virtual std::vector<std::string> profileNames() = 0;
};

}  // namespace vq
