#include <gtest/gtest.h>

#include "adapters/posix/AddressAndPort.h"

// "[ADDR:]PORT" of --serve-nmea, --serve-nmea udp:// and --serve-http.

namespace {

using baromon::platform::AddressAndPort;
using baromon::platform::HostPart;
using baromon::platform::splitWhere;

std::string parts(const std::string& where, HostPart hostPart = HostPart::Optional, int lowestPort = 1) {
  const auto split = splitWhere(where, hostPart, lowestPort);
  return split ? "<" + split->host + "> <" + split->port + ">" : "refused";
}

TEST(SplitWhere, APortAloneAnAddressAndAPortAndIpv6InBrackets) {
  EXPECT_EQ(parts("10111"), "<> <10111>");
  EXPECT_EQ(parts("127.0.0.1:8080"), "<127.0.0.1> <8080>");
  EXPECT_EQ(parts("boat.local:1"), "<boat.local> <1>");
  EXPECT_EQ(parts("[::1]:10111"), "<::1> <10111>");
  EXPECT_EQ(parts("[::]:65535"), "<::> <65535>");
  EXPECT_EQ(parts("[fe80::1%eth0]:80"), "<fe80::1%eth0> <80>");
  // Without brackets the port is what follows the last colon.
  EXPECT_EQ(parts("::1:8080"), "<::1> <8080>");
}

TEST(SplitWhere, BracketsWithoutAPortOrWithNothingInsideAreRefused) {
  for (const char* where : {"[::1]", "[::1]:", "[::1]8080", "[::1:8080", "[]:8080", "[]"}) {
    EXPECT_EQ(parts(where), "refused") << where;
  }
}

TEST(SplitWhere, EmptyAndBadPortsAreRefused) {
  for (const char* where : {"", ":", "host:", "8o80", "host:80a", "host: 80", "+80", "-1", "host:-80",
                            "123456", "host:000080", "99999", "18446744073709551617"}) {
    EXPECT_EQ(parts(where), "refused") << where;
  }
}

TEST(SplitWhere, PortLimitsZeroOnlyWhenAskedAndNeverPast65535) {
  EXPECT_EQ(parts("0"), "refused");
  EXPECT_EQ(parts("host:0"), "refused");
  EXPECT_EQ(parts("0", HostPart::Optional, 0), "<> <0>");
  EXPECT_EQ(parts("[::1]:0", HostPart::Optional, 0), "<::1> <0>");
  EXPECT_EQ(parts("65535", HostPart::Optional, 0), "<> <65535>");
  EXPECT_EQ(parts("65536"), "refused");
  EXPECT_EQ(parts("65536", HostPart::Optional, 0), "refused");
  EXPECT_EQ(parts("host:65536"), "refused");
  EXPECT_EQ(parts("00001"), "<> <00001>");
}

TEST(SplitWhere, AnAddressRequiredIsNeverLeftOut) {
  EXPECT_EQ(parts("10111", HostPart::Required), "refused");
  EXPECT_EQ(parts(":10111", HostPart::Required), "refused");
  EXPECT_EQ(parts("[]:10111", HostPart::Required), "refused");
  EXPECT_EQ(parts("192.168.1.255:10111", HostPart::Required), "<192.168.1.255> <10111>");
  EXPECT_EQ(parts("[ff02::1]:10111", HostPart::Required), "<ff02::1> <10111>");
}

} // namespace
