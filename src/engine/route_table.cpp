#include "engine/route_table.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <utility>

namespace vq {
namespace {

constexpr unsigned kRouteUp = 0x0001;      // RTF_UP
constexpr unsigned kRouteReject = 0x0200;  // RTF_REJECT
constexpr unsigned kIfUp = 0x1;            // IFF_UP

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool hexValue(std::string_view text, unsigned long& value) {
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)
        text.remove_prefix(2);
    if (text.empty())
        return false;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && p == text.data() + text.size();
}

bool allZero(std::string_view hex) {
    return !hex.empty() && std::all_of(hex.begin(), hex.end(), [](char c) { return c == '0'; });
}

template <typename F>
void forEachLine(std::string_view text, F f) {
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        f(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

void addOnce(std::vector<std::string>& names, std::string_view name) {
    if (name == "lo" || std::find(names.begin(), names.end(), name) != names.end())
        return;
    names.emplace_back(name);
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

std::vector<std::string> defaultRouteInterfaces(std::string_view ipv4Table, std::string_view ipv6Table) {
    std::vector<std::string> names;
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...; the first line is a header.
    forEachLine(ipv4Table, [&](std::string_view line) {
        std::vector<std::string_view> w = words(line);
        unsigned long flags = 0;
        if (w.size() < 8 || !hexValue(w[3], flags))
            return;
        if (allZero(w[1]) && allZero(w[7]) && (flags & kRouteUp) && !(flags & kRouteReject))
            addOnce(names, w[0]);
    });
    // Destination, its prefix length, source, its prefix length, next hop, metric, use, refcount,
    // flags, interface.
    forEachLine(ipv6Table, [&](std::string_view line) {
        std::vector<std::string_view> w = words(line);
        unsigned long flags = 0;
        if (w.size() < 10 || !hexValue(w[8], flags))
            return;
        if (allZero(w[0]) && allZero(w[1]) && (flags & kRouteUp) && !(flags & kRouteReject))
            addOnce(names, w[9]);
    });
    return names;
}

bool interfaceUp(std::string_view flagsText, std::string_view operstateText) {
    auto trim = [](std::string_view s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.remove_suffix(1);
        return s;
    };
    unsigned long flags = 0;
    std::string_view state = trim(operstateText);
    return hexValue(trim(flagsText), flags) && (flags & kIfUp) && (state == "up" || state == "unknown");
}

RouteConnectionSource::RouteConnectionSource(std::string procRoot, std::string sysRoot)
    : m_procRoot(std::move(procRoot)), m_sysRoot(std::move(sysRoot)) {}

bool RouteConnectionSource::isConnected() {
    std::vector<std::string> names = defaultRouteInterfaces(readWhole(m_procRoot + "/net/route"),
                                                            readWhole(m_procRoot + "/net/ipv6_route"));
    for (const std::string& name : names) {
        // An interface name never holds a slash; a table that says otherwise is not trusted.
        if (name.find('/') != std::string::npos || name == "..")
            continue;
        std::string dev = m_sysRoot + "/class/net/" + name;
        if (interfaceUp(readWhole(dev + "/flags"), readWhole(dev + "/operstate")))
            return true;
    }
    return false;
}

}  // namespace vq
