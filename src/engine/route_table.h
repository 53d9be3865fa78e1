#pragma once
// The connected test where no network manager answers: a default route on an interface that is up,
// read from the kernel's routing tables (/proc/net/route, /proc/net/ipv6_route) and /sys/class/net.

#include <string>
#include <string_view>
#include <vector>

#include "engine/connection_source.h"

namespace vq {

// The interfaces that carry a usable default route in the text of /proc/net/route and of
// /proc/net/ipv6_route (either may be empty), each named once, in the order found.
std::vector<std::string> defaultRouteInterfaces(std::string_view ipv4Table, std::string_view ipv6Table);

// True when /sys/class/net/<if>/flags (hexadecimal) has the interface up and its operstate says it
// can carry traffic ("up", or "unknown" for links that report no state, such as point-to-point ones).
bool interfaceUp(std::string_view flagsText, std::string_view operstateText);

// Connected when a default route leads through an interface that is up; it knows no connection names
// and no profiles.
class RouteConnectionSource final : public ConnectionSource {
public:
    explicit RouteConnectionSource(std::string procRoot = "/proc", std::string sysRoot = "/sys");
    bool isConnected() override;
    std::string activeConnectionName() override { return {}; }
    std::vector<std::string> profileNames() override { return {}; }

private:
    std::string m_procRoot;
    std::string m_sysRoot;
};

}  // namespace vq
