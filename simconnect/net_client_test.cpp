// The client against a tiny listener on 127.0.0.1, run from a scratch folder
// that holds the SimConnect.cfg under test.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "simconnect/simconnect.h"

namespace {

typedef std::vector<uint8_t> Bytes;
std::vector<Bytes> received;

void SIMCONNECT_CALL Record(SIMCONNECT_RECV* data, DWORD size, void* closeFromInside) {
  EXPECT_EQ(size, data->dwSize);
  received.emplace_back(reinterpret_cast<uint8_t*>(data), reinterpret_cast<uint8_t*>(data) + size);
  if (closeFromInside) SimConnect_Close(closeFromInside);
}

// Messages of the given sizes and kinds, one after the other; a size below 12
// still gets a whole header.
Bytes Messages(std::vector<std::pair<DWORD, DWORD>> sizeAndKind) {
  Bytes all;
  for (const auto& m : sizeAndKind) {
    Bytes bytes(m.first < 12 ? 12 : m.first, 0);
    DWORD header[3] = {m.first, 4, m.second};
    memcpy(bytes.data(), header, 12);
    all.insert(all.end(), bytes.begin(), bytes.end());
  }
  return all;
}

struct Field {
  size_t at;
  DWORD value;
  std::string text = "";  // a string field when not empty
};

// A client packet, byte for byte: the header, the fields given, zeros elsewhere.
Bytes Packet(DWORD size, DWORD function, DWORD sendId, std::vector<Field> fields) {
  Bytes bytes(size, 0);
  fields.insert(fields.begin(), {{0, size}, {4, 4}, {8, 0xF0000000u | function}, {12, sendId}});
  for (const Field& f : fields) {
    for (int i = 0; i < 4 && f.text.empty(); ++i) bytes[f.at + i] = uint8_t(f.value >> 8 * i);
    memcpy(&bytes[f.at], f.text.data(), f.text.size());
  }
  return bytes;
}

class NetClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/simconnect_test.XXXXXX";
    folder_ = mkdtemp(pattern);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    socklen_t length = sizeof address;
    listen(listener_, 4);  // on a free port of every address
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = std::to_string(ntohs(address.sin_port));
  }
  void TearDown() override {
    Hangup();
    close(listener_);
    unlink("SimConnect.cfg");
    rmdir(folder_.c_str());
  }
  HRESULT Open(const std::string& config) {
    FILE* file = fopen("SimConnect.cfg", "w");
    fputs(config.c_str(), file);
    fclose(file);
    return SimConnect_Open(&handle_, "Test", nullptr, 0, nullptr, 0);
  }
  // Opens a connection to the listener and takes it on the server side.
  void Connect(const std::string& extra = "") {
    ASSERT_EQ(Open("[SimConnect]\nPort=" + port_ + "\n" + extra), S_OK);
    server_ = accept(listener_, nullptr, nullptr);
    timeval wait = {5, 0};
    setsockopt(server_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ASSERT_EQ(Read(296),
              Packet(296, 0x01, 1, {{16, 0, "Test"}, {276, 0x46535800u}, {280, 10}, {288, 61259}}));
  }
  void Hangup() {
    if (handle_) SimConnect_Close(handle_);
    if (server_ >= 0) close(server_);
    handle_ = nullptr;
    server_ = -1;
    received.clear();
  }
  // `count` bytes from the client, or fewer when it hangs up or 5 s pass.
  Bytes Read(size_t count) {
    Bytes bytes(count);
    bytes.resize(std::max<ssize_t>(recv(server_, bytes.data(), count, MSG_WAITALL), 0));
    return bytes;
  }
  void Send(const Bytes& b) { ASSERT_EQ(write(server_, b.data(), b.size()), ssize_t(b.size())); }
  // Dispatches until `count` messages are in or a call fails, for at most about 2 s.
  HRESULT DispatchUntil(size_t count, void* closeFromInside = nullptr) {
    HRESULT result = S_OK;
    for (int i = 0; i < 2000 && result == S_OK && received.size() < count; ++i, usleep(1000)) {
      result = SimConnect_CallDispatch(handle_, Record, closeFromInside);
    }
    return result;
  }

  int listener_ = -1, server_ = -1;
  std::string folder_, port_;
  HANDLE handle_ = nullptr;
};

// Calls go out whole, byte for byte, under rising send IDs.
TEST_F(NetClientTest, CallsGoOutByteForByte) {
  Connect();
  SIMCONNECT_DATA_INITPOSITION at = {1.0, -2.5, 100.0, 0.5, -1.0, 90.0, 1, 0xFFFFFFFFu};
  SimConnect_AddToDataDefinition(handle_, 7, "ZULU MONTH OF YEAR", "Number",
                                 SIMCONNECT_DATATYPE_FLOAT64, 0.5f, SIMCONNECT_UNUSED);
  SimConnect_SubscribeToSystemEvent(handle_, 9, "SimStart");
  SimConnect_RequestDataOnSimObjectType(handle_, 1, 2, 3, SIMCONNECT_SIMOBJECT_TYPE_BOAT);
  SimConnect_AICreateSimulatedObject(handle_, std::string(300, 'x').c_str(), at, 12);
  SimConnect_AIRemoveObject(handle_, 0x05060708u, 13);
  EXPECT_EQ(SimConnect_AddToDataDefinition(handle_, 0, "PLANE LATITUDE", nullptr,
                                           SIMCONNECT_DATATYPE_FLOAT64, 0, 0),
            S_OK);
  // clang-format off
  for (const Bytes& packet : {
      Packet(544, 0x0C, 2, {{16, 7}, {20, 0, "ZULU MONTH OF YEAR"}, {276, 0, "Number"}, {532, 4},
                            {536, 0x3F000000u}, {540, 0xFFFFFFFFu}}),
      Packet(276, 0x17, 3, {{16, 9}, {20, 0, "SimStart"}}),
      Packet(32, 0x0F, 4, {{16, 1}, {20, 2}, {24, 3}, {28, 4}}),
      Packet(332, 0x2A, 5, {{16, 0, std::string(255, 'x')},  // cut to leave its zero
                            {276, 0x3FF00000u}, {284, 0xC0040000u}, {292, 0x40590000u},
                            {300, 0x3FE00000u}, {308, 0xBFF00000u}, {316, 0x40568000u},
                            {320, 1}, {324, 0xFFFFFFFFu}, {328, 12}}),
      Packet(24, 0x2C, 6, {{16, 0x05060708u}, {20, 13}}),
      Packet(544, 0x0C, 7, {{20, 0, "PLANE LATITUDE"}, {532, 4}})}) {  // no units: zeros
    EXPECT_EQ(Read(packet.size()), packet);
  }
  // clang-format on
}

// With MaxReceiveSize=308, messages pass whole through a buffer that holds one
// largest message; those too short for their kind are skipped. A size below
// 12 or above the limit, or the peer going, loses the connection, as in the
// simulator's own library: what came before is handed on, no QUIT is made
// up, the client hangs up and every later call fails.
TEST_F(NetClientTest, StreamsAreCutIntoMessages) {
  const struct {
    Bytes stream;
    bool peerGoes;
    std::vector<size_t> sizes;  // of the messages handed on; a last 0: lost
  } cases[] = {
      // clang-format off
      {Messages({{48, 9}, {20, 12}, {308, 2}, {12, 3}}), false, {48, 20, 308, 12}},
      {Messages({{23, 1}, {24, 1}, {307, 2}, {308, 2}, {23, 4}, {24, 4}, {47, 8}, {48, 8},
                 {47, 9}, {48, 9}, {19, 12}, {20, 12}}), false, {24, 308, 24, 48, 48, 20}},
      {Messages({{12, 3}, {11, 1}}), false, {12, 0}},
      {Messages({{12, 3}, {309, 2}}), false, {12, 0}},
      {Messages({{24, 4}, {20, 12}}), true, {24, 20, 0}},
      // clang-format on
  };
  for (const auto& c : cases) {
    Connect("MaxReceiveSize=308\n");
    Send(c.stream);
    if (c.peerGoes) shutdown(server_, SHUT_WR);
    bool lost = c.sizes.back() == 0;
    EXPECT_EQ(DispatchUntil(lost ? 99 : c.sizes.size()), lost ? E_FAIL : S_OK);
    std::vector<size_t> sizes;
    for (const Bytes& m : received) sizes.push_back(m.size());
    if (lost) {
      EXPECT_EQ(SimConnect_CallDispatch(handle_, Record, nullptr), E_FAIL);
      EXPECT_EQ(SimConnect_AIRemoveObject(handle_, 1, 2), E_FAIL);
      sizes.push_back(Read(1).size());  // 0: the client has hung up
    }
    EXPECT_EQ(sizes, c.sizes);
    Hangup();
  }
}

TEST_F(NetClientTest, CloseFromInsideTheDispatchIsSafe) {
  Connect();
  Send(Messages({{24, 4}, {24, 4}}));
  EXPECT_EQ(DispatchUntil(1, handle_), S_OK);
  handle_ = nullptr;
  EXPECT_EQ(received.size(), 1u);
}

TEST_F(NetClientTest, UnreachableOrMisconfiguredGivesEFail) {
  const std::pair<std::string, std::string> cases[] = {
      {"[SimConnect]\nPort=1\n", ""},  // nothing listens there
      {"[SimConnect]\nPort=http\n",
       "SimConnect.cfg: line 2: Port \"http\" must be a number from 1 to 65535.\n"},
      {"[SimConnect]\nAddress=sim.example\n",
       "SimConnect.cfg: Address \"sim.example\" is not an IPv4 address; give one such as "
       "127.0.0.1.\n"},
      {"[SimConnect]\nProtocol=Ipv6\nAddress=1.2.3.4\n",
       "SimConnect.cfg: Address \"1.2.3.4\" is not an IPv6 address; give one such as ::1.\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(Open(c.first), E_FAIL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.second);
    EXPECT_EQ(handle_, nullptr);
  }
  EXPECT_EQ(SimConnect_CallDispatch(nullptr, Record, nullptr), E_FAIL);
}

}  // namespace
