#include "simconnect/config.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

using config::ClientConfig;
using config::Protocol;

struct Good {
  const char* text;
  DWORD index;
  Protocol protocol;
  const char* address;
  uint16_t port;
  DWORD maxReceiveSize;
  bool disableNagle;
};

TEST(ConfigTest, ReadsTheSectionOfTheIndex) {
  const Good cases[] = {
      {"[SimConnect]\nProtocol=Ipv4\nAddress=127.0.0.1\nPort=500\n", 0, Protocol::kIpv4,
       "127.0.0.1", 500, 65536, false},
      {"; made by hand\r\n[SimConnect]\r\nPort = 5111 ; the stand-in\r\nDisableNagle=1\r\n", 0,
       Protocol::kIpv4, "", 5111, 65536, true},
      {"[simconnect.0]\nprotocol=IPV6\naddress=::1\nmaxreceivesize=4096", 0, Protocol::kIpv6, "::1",
       500, 4096, false},
      {"[SimConnect]\nPort=1\n[SimConnect.2]\nPort=2\n[SimConnect.1]\nPort=3\n", 1, Protocol::kIpv4,
       "", 3, 65536, false},
      {"\xEF\xBB\xBF[Other]\nName=x\n[SimConnect]\n", 0, Protocol::kIpv4, "", 500, 65536, false},
  };
  for (const Good& c : cases) {
    SCOPED_TRACE(c.text);
    ClientConfig got;
    std::string error;
    ASSERT_TRUE(config::ParseClientConfig(c.text, c.index, &got, &error)) << error;
    EXPECT_EQ(got.protocol, c.protocol);
    EXPECT_EQ(got.address, c.address);
    EXPECT_EQ(got.port, c.port);
    EXPECT_EQ(got.maxReceiveSize, c.maxReceiveSize);
    EXPECT_EQ(got.disableNagle, c.disableNagle);
  }
}

TEST(ConfigTest, MistakesNameTheLineAndTheFix) {
  const struct {
    const char* text;
    DWORD index;
    const char* error;
  } cases[] = {
      {"[SimConnect]\nPort=70000\n", 0, "line 2: Port \"70000\" must be a number from 1 to 65535."},
      {"[SimConnect]\nPort=0\n", 0, "line 2: Port \"0\" must be"},
      {"[SimConnect]\nPort=-5\n", 0, "line 2: Port \"-5\" must be"},
      {"[SimConnect]\nPort=\n", 0, "line 2: Port \"\" must be"},
      {"[SimConnect]\nProtocol=Pipe\n", 0, "line 2: Protocol \"Pipe\" is not supported; use Ipv4"},
      {"[SimConnect]\nAddress=\n", 0, "line 2: Address is empty"},
      {"[SimConnect]\nMaxReceiveSize=100\n", 0, "line 2: MaxReceiveSize \"100\" must be"},
      {"[SimConnect]\nDisableNagle=yes\n", 0, "line 2: DisableNagle \"yes\" must be 0 or 1."},
      {"[SimConnect]\nProt=Ipv4\n", 0, "line 2: unknown key \"Prot\"; the keys are"},
      {"[SimConnect]\nPort=1\nport=2\n", 0, "line 3: \"port\" is given twice"},
      {"[SimConnect]\n\ngarbage here\n", 0, "line 3: \"garbage here\" is not a Key=Value line."},
      {"[SimConnect]\n\x01\x02\xff\n", 0, "line 2: \"???\" is not a Key=Value line."},
      {"[SimConnect\nPort=1\n", 0, "line 1: a section header must end with ']'."},
      {"Port=500\n[SimConnect]\n", 0, "line 1: a key before any section"},
      {"[SimConnect]\n[SimConnect.0]\n", 0, "line 2: a second section for configuration 0"},
      {"[SimConnect.1]\nPort=1\n", 0, "no [SimConnect] section; add one."},
      {"[SimConnect]\nPort=1\n", 3, "no [SimConnect.3] section; add one."},
      {"", 0, "no [SimConnect] section"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ClientConfig got;
    std::string error;
    EXPECT_FALSE(config::ParseClientConfig(c.text, c.index, &got, &error));
    EXPECT_EQ(error.compare(0, strlen(c.error), c.error), 0) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

// Only the section in use must be right; the others need only be lines.
TEST(ConfigTest, OtherSectionsAreNotJudged) {
  ClientConfig got;
  std::string error;
  EXPECT_TRUE(config::ParseClientConfig("[SimConnect.1]\nPort=99999\n[SimConnect]\nPort=2\n", 0,
                                        &got, &error))
      << error;
  EXPECT_EQ(got.port, 2);
}

TEST(ConfigTest, MissingFileGivesTheDefaults) {
  ClientConfig got;
  got.port = 1;
  std::string error;
  ASSERT_TRUE(config::LoadClientConfig("/nonexistent/SimConnect.cfg", 0, &got, &error));
  EXPECT_EQ(got.port, 500);
  EXPECT_EQ(got.address, "");
  EXPECT_EQ(got.protocol, Protocol::kIpv4);
}

}  // namespace
