#pragma once
// The port that tells the engine whether the machine is connected and through which connection.

#include <functional>
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

    // The one listener told when profileNames() has a new answer (a source that learns its profiles
    // after the start, or sees them change); setting another replaces it.
    void setProfilesListener(std::function<void()> listener);

protected:
    void profilesChanged() const;

private:
    std::function<void()> m_profilesListener;
};

}  // namespace vq
