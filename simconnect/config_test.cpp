#include "simconnect/config.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The configuration read, in short, or the error.
std::string Parse(const std::string& text, DWORD index) {
  config::ClientConfig c;
  std::string error;
  if (!config::ParseClientConfig(text, index, &c, &error)) return error;
  return (c.protocol == config::Protocol::kIpv6 ? "v6 [" : "v4 [") + c.address +
         "]:" + std::to_string(c.port) + " max " + std::to_string(c.maxReceiveSize) +
         (c.disableNagle ? " nodelay" : "");
}

TEST(ConfigTest, ReadsTheSectionOfTheIndexOrSaysWhatToFix) {
  const std::string S = "[SimConnect]\n";
  const struct {
    std::string text;
    const char* expected;
    DWORD index = 0;
  } cases[] = {
      {S + "Protocol=Ipv4\nAddress=127.0.0.1\nPort=500\n", "v4 [127.0.0.1]:500 max 65536"},
      {"; by hand\r\n" + S + "Port = 65535 ; top\r\nDisableNagle=1\r\n",
       "v4 []:65535 max 65536 nodelay"},
      {"[simconnect.0]\nprotocol=IPV6\naddress=::1\nmaxreceivesize=308", "v6 [::1]:500 max 308"},
      {"[simconnect]\nMaxReceiveSize=16777216\nDisableNagle=0", "v4 []:500 max 16777216"},
      {S + "Port=1\n[SimConnect.2]\nPort=2\n[SimConnect.1]\nPort=3\n", "v4 []:3 max 65536", 1},
      {"\xEF\xBB\xBF[Other]\nName=x\n[SimConnect.1]\nPort=99999\n" + S + "Port=1",
       "v4 []:1 max 65536"},
      {S + "Port=65536", "line 2: Port \"65536\" must be a number from 1 to 65535."},
      {S + "Port=0", "line 2: Port \"0\" must be a number from 1 to 65535."},
      {S + "Port=", "line 2: Port \"\" must be a number from 1 to 65535."},
      {S + "Protocol=Pipe", "line 2: Protocol \"Pipe\" is not supported; use Ipv4 or Ipv6."},
      {S + "Address=", "line 2: Address is empty; give an IP address such as 127.0.0.1."},
      {S + "MaxReceiveSize=307",
       "line 2: MaxReceiveSize \"307\" must be a number from 308 to 16777216."},
      {S + "MaxReceiveSize=16777217",
       "line 2: MaxReceiveSize \"16777217\" must be a number from 308 to 16777216."},
      {S + "DisableNagle=yes", "line 2: DisableNagle \"yes\" must be 0 or 1."},
      {S + "Prot=Ipv4",
       "line 2: unknown key \"Prot\"; the keys are Protocol, Address, Port, MaxReceiveSize, "
       "DisableNagle."},
      {S + "Port=1\nport=2", "line 3: \"port\" is given twice; keep only one."},
      {S + "\n=x", "line 3: \"=x\" is not a Key=Value line."},
      {S + "\x01\x02\xff" + std::string(40, '0'),
       "line 2: \"???0000000000000000000000000000000000000...\" is not a Key=Value line."},
      {"[SimConnect\nPort=1", "line 1: a section header must end with ']'."},
      {"Port=500\n" + S, "line 1: a key before any section; put it under [SimConnect]."},
      {S + "[SimConnect.0]", "line 2: a second section for configuration 0; keep only one."},
      {"[SimConnect.1]\nPort=1", "no [SimConnect] section; add one."},
      {S + "Port=1", "no [SimConnect.3] section; add one.", 3},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.text, c.index), c.expected) << c.text;
}

TEST(ConfigTest, MissingFileGivesTheDefaults) {
  config::ClientConfig got;
  got.port = 1;
  std::string error;
  ASSERT_TRUE(config::LoadClientConfig("/nonexistent/SimConnect.cfg", 0, &got, &error));
  EXPECT_EQ(got.port, 500);
}

}  // namespace
