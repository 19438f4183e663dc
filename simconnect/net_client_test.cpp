// The client over a scripted socket: what it sends, byte for byte, and what
// it makes of what arrives. The real socket meets the stand-in simulator in
// the end-to-end tests.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "simconnect/simconnect.h"
#include "simconnect/socket.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// The other end of the socket.
struct Peer {
  Bytes incoming = {};           // waiting for the client
  size_t chunk = 1 << 20;        // the most one read brings
  bool goes = false;             // closes once `incoming` has been read
  size_t sendLimit = 1 << 20;    // bytes taken before sending fails
  bool closeInside = false;      // the dispatch procedure closes the connection
  size_t room = 0;               // at the first read
  std::string connectedTo = "";  // family, address, port, and whether Nagle is off
  Bytes sent = {};
  int closes = 0;
} peer;

std::vector<size_t> received;  // sizes of the messages handed on; 0 for one not whole

HANDLE handle = nullptr;

void SIMCONNECT_CALL Record(SIMCONNECT_RECV* data, DWORD size, void*) {
  received.push_back(data->dwSize == size ? size : 0);
  if (peer.closeInside) SimConnect_Close(handle);
}

}  // namespace

namespace net {

ConnectResult Connect(Family family, const std::string& address, uint16_t port, int, Socket* s) {
  peer.connectedTo = (family == Family::kIpv6 ? "v6 " : "v4 ") + address + ":";
  peer.connectedTo += std::to_string(port);
  *s = 7;
  if (port == 1) return ConnectResult::kUnreachable;  // and one starting "bad" is no address
  return address.find("bad") ? ConnectResult::kConnected : ConnectResult::kBadAddress;
}
void DisableNagle(Socket) { peer.connectedTo += " nodelay"; }
long ReceiveSome(Socket, void* into, size_t room) {
  if (peer.room == 0) peer.room = room;
  size_t count = std::min({room, peer.chunk, peer.incoming.size()});
  if (count == 0) return peer.goes ? kClosed : kWouldBlock;
  memcpy(into, peer.incoming.data(), count);
  peer.incoming.erase(peer.incoming.begin(), peer.incoming.begin() + static_cast<long>(count));
  return static_cast<long>(count);
}
bool SendAll(Socket, const void* bytes, size_t count, int) {
  auto from = static_cast<const uint8_t*>(bytes);
  peer.sent.insert(peer.sent.end(), from, from + count);
  return peer.sent.size() <= peer.sendLimit;
}
void CloseSocket(Socket) { ++peer.closes; }

}  // namespace net

namespace {

struct Field {
  size_t at;
  DWORD value;
  std::string text = "";  // a string field when not empty
};

// `size` bytes: the DWORDs and strings given, zeros elsewhere.
Bytes Fields(size_t size, std::vector<Field> fields) {
  Bytes bytes(size, 0);
  for (const Field& f : fields) {
    for (int i = 0; i < 4 && f.text.empty(); ++i) bytes[f.at + i] = uint8_t(f.value >> 8 * i);
    memcpy(&bytes[f.at], f.text.data(), f.text.size());
  }
  return bytes;
}

// A client packet, byte for byte.
Bytes Packet(DWORD size, DWORD function, DWORD sendId, std::vector<Field> fields) {
  fields.insert(fields.begin(), {{0, size}, {4, 4}, {8, 0xF0000000u | function}, {12, sendId}});
  return Fields(size, fields);
}

// Server messages of the given sizes and kinds, one after the other; a size
// below 12 still gets a whole header.
Bytes Messages(std::vector<std::pair<DWORD, DWORD>> list) {
  Bytes all;
  for (auto [size, kind] : list) {
    Bytes message = Fields(std::max<DWORD>(size, 12), {{0, size}, {4, 4}, {8, kind}});
    all.insert(all.end(), message.begin(), message.end());
  }
  return all;
}

// Closes what the last case left open and starts afresh; opens with `index`,
// by default the one that needs no SimConnect.cfg.
HRESULT Open(DWORD index = 0xFFFFFFFFu, Peer fresh = Peer()) {
  if (handle) SimConnect_Close(handle);
  peer = fresh;
  received.clear();
  return SimConnect_Open(&handle, "Test", nullptr, 0, nullptr, index);
}

// Calls go out whole, byte for byte, under rising send IDs.
TEST(NetClientTest, CallsGoOutByteForByte) {
  ASSERT_EQ(Open(), S_OK);
  SimConnect_AddToDataDefinition(handle, 7, "ZULU MONTH OF YEAR", "Number",
                                 SIMCONNECT_DATATYPE_FLOAT64, 0.5f, SIMCONNECT_UNUSED);
  SimConnect_SubscribeToSystemEvent(handle, 9, "SimStart");
  SimConnect_RequestDataOnSimObjectType(handle, 1, 2, 3, SIMCONNECT_SIMOBJECT_TYPE_BOAT);
  SimConnect_AICreateSimulatedObject(handle, std::string(300, 'x').c_str(),
                                     {1.0, -2.5, 100.0, 0.5, -1.0, 90.0, 1, 0xFFFFFFFFu}, 12);
  SimConnect_AIRemoveObject(handle, 0x05060708u, 13);
  Bytes expected;
  // clang-format off
  for (const Bytes& packet : {
      Packet(296, 0x01, 1, {{16, 0, "Test"}, {276, 0x46535800u}, {280, 10}, {288, 61259}}),
      Packet(544, 0x0C, 2, {{16, 7}, {20, 0, "ZULU MONTH OF YEAR"}, {276, 0, "Number"}, {532, 4},
                            {536, 0x3F000000u}, {540, 0xFFFFFFFFu}}),
      Packet(276, 0x17, 3, {{16, 9}, {20, 0, "SimStart"}}),
      Packet(32, 0x0F, 4, {{16, 1}, {20, 2}, {24, 3}, {28, 4}}),
      Packet(332, 0x2A, 5, {{16, 0, std::string(255, 'x')},  // cut to leave its zero
                            {276, 0x3FF00000u}, {284, 0xC0040000u}, {292, 0x40590000u},
                            {300, 0x3FE00000u}, {308, 0xBFF00000u}, {316, 0x40568000u},
                            {320, 1}, {324, 0xFFFFFFFFu}, {328, 12}}),
      Packet(24, 0x2C, 6, {{16, 0x05060708u}, {20, 13}})}) {
    expected.insert(expected.end(), packet.begin(), packet.end());
  }
  // clang-format on
  EXPECT_EQ(peer.sent, expected);
  // The last send ID, as exceptions name it; asking sends nothing.
  DWORD last = 0;
  EXPECT_EQ(SimConnect_GetLastSentPacketID(handle, &last), S_OK);
  EXPECT_EQ(last, 6u);
  EXPECT_EQ(peer.sent.size(), expected.size());
  EXPECT_EQ(SimConnect_GetLastSentPacketID(nullptr, &last), E_FAIL);
}

// Messages pass whole however the reads cut them; those too short for their
// kind are skipped. A size below 12 or above the limit, the peer going or a
// failed send loses the connection, as in the simulator's own library: what
// came before is handed on, no QUIT is made up, the socket is closed and
// every later call fails.
TEST(NetClientTest, WhatArrivesAndWhenTheConnectionIsLost) {
  const struct {
    Peer peer;
    std::vector<size_t> sizes;  // of the messages handed on; then 0 when lost, 1 when not
  } cases[] = {
      // clang-format off
      {{Messages({{48, 9}, {20, 12}, {308, 2}, {12, 3}}), 7}, {48, 20, 308, 12, 1}},
      {{Messages({{23, 1}, {24, 1}, {307, 2}, {308, 2}, {23, 4}, {24, 4}, {47, 8}, {48, 8},
                  {47, 9}, {48, 9}, {19, 12}, {20, 12}})}, {24, 308, 24, 48, 48, 20, 1}},
      {{Messages({{12, 3}, {11, 1}, {12, 3}})}, {12, 0}},
      {{Messages({{65536, 2}, {65537, 2}})}, {65536, 0}},  // the limit: 65536 by default
      {{Messages({{24, 4}, {20, 12}}), 30, true}, {24, 20, 0}},
      {{Messages({{24, 4}}), 1 << 20, false, 296}, {0}},
      {{Messages({{24, 4}, {24, 4}}), 1 << 20, false, 1 << 20, true}, {24, 0}},  // closed inside
      // clang-format on
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Open(0xFFFFFFFFu, c.peer), S_OK);
    EXPECT_EQ(SimConnect_AIRemoveObject(handle, 1, 2), c.peer.sendLimit < 320 ? E_FAIL : S_OK);
    HRESULT result = S_OK;
    for (int i = 0; i < 1000; ++i) result = SimConnect_CallDispatch(handle, Record, nullptr);
    received.push_back(result == E_FAIL ? 0 : 1);
    EXPECT_EQ(received, c.sizes);
    EXPECT_EQ(peer.closes, 1 - received.back());
  }
}

// SimConnect.cfg, read the way the simulator's library reads it, says where to
// connect; a mistake is one line on standard error naming the line and the fix.
std::string C(const char* complaint) {
  return "SimConnect.cfg: " + std::string(complaint) + "\n failed";
}

TEST(NetClientTest, ConnectsWhereSimConnectCfgSays) {
  char folder[] = "/tmp/simconnect_test.XXXXXX";
  ASSERT_EQ(chdir(mkdtemp(folder)), 0);
  const std::string S = "[SimConnect]\n";
  const struct {
    std::string text;
    std::string expected;  // where it connected and the buffer size, or the complaint
    DWORD index = 0;
  } cases[] = {
      // clang-format off
      {"[simconnect]\nProtocol=Ipv4\nAddress=127.0.0.1\nPort=500\nMaxReceiveSize=16777216\nDisableNagle=0", "v4 127.0.0.1:500 max 16777216"},
      {"; by hand\r\n" + S + "Port = 65535 ; top\r\nDisableNagle=1\r\n", "v4 :65535 nodelay max 65536"},
      {"[simconnect.0]\nprotocol=IPV6\naddress=::1\nmaxreceivesize=308", "v6 ::1:500 max 308"},
      {S + "Port=1\n[SimConnect.2]\nPort=2\n[SimConnect.1]\nPort=3\n", "v4 :3 max 65536", 1},
      {"\xEF\xBB\xBF[Other]\nName=x\n[SimConnect.1]\nPort=99999\n" + S + "Port=2", "v4 :2 max 65536"},
      {S + "Port=1", "v4 :1 failed"},
      {S + "Address=bad.example", C("Address \"bad.example\" is not an IPv4 address; give one such as 127.0.0.1.")},
      {S + "Protocol=Ipv6\nAddress=bad::1", C("Address \"bad::1\" is not an IPv6 address; give one such as ::1.")},
      {S + "Port=65536", C("line 2: Port \"65536\" must be a number from 1 to 65535.")},
      {S + "Port=0", C("line 2: Port \"0\" must be a number from 1 to 65535.")},
      {S + "Protocol=Pipe", C("line 2: Protocol \"Pipe\" is not supported; use Ipv4 or Ipv6.")},
      {S + "Address=", C("line 2: Address is empty; give an IP address such as 127.0.0.1.")},
      {S + "MaxReceiveSize=307", C("line 2: MaxReceiveSize \"307\" must be a number from 308 to 16777216.")},
      {S + "MaxReceiveSize=16777217", C("line 2: MaxReceiveSize \"16777217\" must be a number from 308 to 16777216.")},
      {S + "DisableNagle=2", C("line 2: DisableNagle \"2\" must be 0 or 1.")},
      {S + "Prot=Ipv4", C("line 2: unknown key \"Prot\"; the keys are Protocol, Address, Port, MaxReceiveSize, DisableNagle.")},
      {S + "Port=1\nport=2", C("line 3: \"port\" is given twice; keep only one.")},
      {S + "\n=x", C("line 3: \"=x\" is not a Key=Value line.")},
      {S + "\x01\x02\xff" + std::string(40, '0'), C("line 2: \"???0000000000000000000000000000000000000...\" is not a Key=Value line.")},
      {"[SimConnect\nPort=1", C("line 1: a section header must end with ']'.")},
      {"Port=500\n" + S, C("line 1: a key before any section; put it under [SimConnect].")},
      {S + "[SimConnect.0]", C("line 2: a second section for configuration 0; keep only one.")},
      {"[SimConnect.1]\nPort=1", C("no [SimConnect] section; add one.")},
      {S + "Port=1", C("no [SimConnect.3] section; add one."), 3},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::ofstream("SimConnect.cfg") << c.text;
    testing::internal::CaptureStderr();
    HRESULT result = Open(c.index);
    std::string said = testing::internal::GetCapturedStderr();
    SimConnect_CallDispatch(handle, Record, nullptr);
    if (said.empty()) said = peer.connectedTo;
    EXPECT_EQ(said + (result < 0 ? " failed" : " max " + std::to_string(peer.room)), c.expected)
        << c.text;
  }
  std::filesystem::remove_all(folder);
  EXPECT_EQ(SimConnect_CallDispatch(nullptr, Record, nullptr), E_FAIL);
}

}  // namespace
