#include "engine/route_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fakes.h"

namespace vq::test {
namespace {

const char* kIpv4 =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
    "wlan0\t0000A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n"
    "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"
    "eth0\t00000000\t0100A8C0\t0002\t0\t0\t100\t00000000\t0\t0\t0\n"  // not up
    "ppp0\t00000000\t00000000\t0003\t0\t0\t10\t00000000\t0\t0\t0\n";
const char* kIpv6 =
    "fe800000000000000000000000000000 40 00000000000000000000000000000000 00 "
    "00000000000000000000000000000000 00000100 00000001 00000000 00000001     eth0\n"
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n"  // reject route
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "fe800000000000000000000000000001 00000400 00000002 00000000 00000003    wwan0\n";

TEST(RouteTableTest, DefaultRoutesThatAreUp) {
    EXPECT_EQ(defaultRouteInterfaces(kIpv4, kIpv6), (std::vector<std::string>{"ppp0", "wwan0"}));
    EXPECT_TRUE(defaultRouteInterfaces("", "").empty());
    EXPECT_TRUE(defaultRouteInterfaces("garbage\n\n  \t\nIface Destination\n", "x y z\n").empty());

    EXPECT_TRUE(interfaceUp("0x1003\n", "up\n"));
    EXPECT_TRUE(interfaceUp("0x1091", "unknown"));  // point-to-point links report no state
    EXPECT_FALSE(interfaceUp("0x1002", "up"));      // administratively down
    EXPECT_FALSE(interfaceUp("0x1003", "down"));    // no carrier
    EXPECT_FALSE(interfaceUp("", ""));
}

TEST(RouteTableTest, ConnectedOnlyThroughAnInterfaceThatIsUp) {
    TempDir root;
    namespace fs = std::filesystem;
    fs::create_directories(root.file("proc/net"));
    fs::create_directories(root.file("sys/class/net/ppp0"));
    writeFile(root.file("proc/net/route"), kIpv4);
    writeFile(root.file("sys/class/net/ppp0/flags"), "0x1091\n");
    writeFile(root.file("sys/class/net/ppp0/operstate"), "down\n");
    RouteConnectionSource source(root.file("proc"), root.file("sys"));
    EXPECT_FALSE(source.isConnected());
    writeFile(root.file("sys/class/net/ppp0/operstate"), "unknown\n");
    EXPECT_TRUE(source.isConnected());
    EXPECT_EQ(source.activeConnectionName(), "");
    EXPECT_TRUE(source.profileNames().empty());

    RouteConnectionSource nothing(root.file("missing"), root.file("missing"));
    EXPECT_FALSE(nothing.isConnected());
}

}  // namespace
}  // namespace vq::test
