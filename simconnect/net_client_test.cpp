// The client against a tiny listener on 127.0.0.1, run from a scratch folder
// that holds the SimConnect.cfg under test.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "simconnect/simconnect.h"
#include "simconnect/socket.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// A listening socket on a free loopback port.
int Listen(int backlog, uint16_t* port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
  EXPECT_EQ(listen(fd, backlog), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

// Reads exactly `count` bytes, or fewer when the peer closes or 5 s pass.
Bytes ReadBytes(int fd, size_t count) {
  Bytes bytes(count);
  size_t got = 0;
  pollfd entry = {fd, POLLIN, 0};
  for (ssize_t n = 1; got < count && n > 0 && poll(&entry, 1, 5000) > 0; got += n > 0 ? n : 0) {
    n = read(fd, bytes.data() + got, count - got);
  }
  bytes.resize(got);
  return bytes;
}

DWORD Dword(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | DWORD{at[3]} << 24; }

Bytes Message(DWORD size, DWORD id) {
  Bytes bytes(size, 0);
  DWORD header[3] = {size, 4, id};
  memcpy(bytes.data(), header, size < 12 ? size : 12);
  return bytes;
}

struct Received {
  std::vector<Bytes> messages;
  HANDLE closeFromInside = nullptr;
};

void SIMCONNECT_CALL Record(SIMCONNECT_RECV* data, DWORD size, void* context) {
  Received* received = static_cast<Received*>(context);
  EXPECT_EQ(size, data->dwSize);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data);
  received->messages.emplace_back(bytes, bytes + size);
  if (received->closeFromInside) SimConnect_Close(received->closeFromInside);
}

class NetClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/simconnect_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    listener_ = Listen(4, &port_);
  }
  void TearDown() override {
    Hangup();
    close(listener_);
    unlink("SimConnect.cfg");
    EXPECT_EQ(chdir(previous_), 0);
    rmdir(folder_.c_str());
  }
  void WriteConfig(const std::string& text) {
    FILE* file = fopen("SimConnect.cfg", "w");
    fputs(text.c_str(), file);
    fclose(file);
  }
  // Opens a connection to the listener and takes it on the server side.
  void Connect(const std::string& extra = "") {
    WriteConfig("[SimConnect]\nAddress=127.0.0.1\nPort=" + std::to_string(port_) + "\n" + extra);
    ASSERT_EQ(SimConnect_Open(&handle_, "Test", nullptr, 0, nullptr, 0), S_OK);
    server_ = accept(listener_, nullptr, nullptr);
    ASSERT_EQ(ReadBytes(server_, 296).size(), 296u);
  }
  void Hangup() {
    if (handle_) SimConnect_Close(handle_);
    if (server_ >= 0) close(server_);
    handle_ = nullptr;
    server_ = -1;
    received_.messages.clear();
  }
  void Send(const Bytes& bytes) {
    ASSERT_EQ(write(server_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Dispatches until `count` messages are in or a call fails, for at most about 2 s.
  HRESULT DispatchUntil(size_t count) {
    HRESULT result = S_OK;
    for (int i = 0; i < 2000 && result == S_OK && received_.messages.size() < count; ++i) {
      result = SimConnect_CallDispatch(handle_, Record, &received_);
      usleep(1000);
    }
    return result;
  }

  std::string folder_;
  char previous_[4096];
  int listener_ = -1, server_ = -1;
  uint16_t port_ = 0;
  HANDLE handle_ = nullptr;
  Received received_;
};

TEST_F(NetClientTest, CallsArriveWholeWithRisingSendIds) {
  Connect();
  SimConnect_AddToDataDefinition(handle_, 0, "ZULU MONTH OF YEAR", "Number",
                                 SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
  SimConnect_SubscribeToSystemEvent(handle_, 0, "SimStart");
  SimConnect_RequestDataOnSimObjectType(handle_, 1, 1, 0, SIMCONNECT_SIMOBJECT_TYPE_USER);
  SimConnect_AICreateSimulatedObject(handle_, "Tree", SIMCONNECT_DATA_INITPOSITION(), 2);
  EXPECT_EQ(SimConnect_AIRemoveObject(handle_, 5, 2), S_OK);
  const DWORD sizes[] = {544, 276, 32, 332, 24}, functions[] = {0x0C, 0x17, 0x0F, 0x2A, 0x2C};
  for (int i = 0; i < 5; ++i) {
    Bytes packet = ReadBytes(server_, sizes[i]);
    ASSERT_EQ(packet.size(), sizes[i]);
    EXPECT_EQ(Dword(packet.data() + 8), 0xF0000000u | functions[i]);
    EXPECT_EQ(Dword(packet.data() + 12), static_cast<DWORD>(i + 2));  // Open was 1
  }
}

TEST_F(NetClientTest, MessagesArriveUnchangedAcrossSplitAndMergedWrites) {
  Connect();
  Bytes open = Message(308, 2), event = Message(24, 4), month = Message(48, 9);
  month[40] = 12;
  Bytes both = open;
  both.insert(both.end(), event.begin(), event.end());
  Send(both);
  Send(Bytes(month.begin(), month.begin() + 30));
  DispatchUntil(2);
  Send(Bytes(month.begin() + 30, month.end()));
  DispatchUntil(3);
  EXPECT_EQ(received_.messages, (std::vector<Bytes>{open, event, month}));
}

// Like the simulator's own library: what arrived before the loss is handed on,
// then every call fails and delivers nothing; no QUIT is made up.
TEST_F(NetClientTest, ALostConnectionFailsEveryDispatchFromThenOn) {
  const Bytes text = {'H', 'E', 'L', 'L', 'O', ' ', 'W', 'O', 'R', 'L', 'D', '!'};
  const struct {
    Bytes sent;
    bool peerCloses;
    size_t handedOn;
  } cases[] = {{Message(20, 12), true, 1}, {Message(12, 3), true, 1},   {Bytes(), true, 0},
               {text, false, 0},           {Message(309, 2), false, 0}, {Message(8, 4), false, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.sent));
    Connect("MaxReceiveSize=308\n");
    Send(c.sent);
    if (c.peerCloses) close(server_);
    EXPECT_EQ(DispatchUntil(2), E_FAIL);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(SimConnect_CallDispatch(handle_, Record, &received_), E_FAIL);
    EXPECT_EQ(received_.messages.size(), c.handedOn);
    if (c.handedOn) {
      EXPECT_EQ(received_.messages[0], c.sent);
    }
    EXPECT_EQ(SimConnect_AIRemoveObject(handle_, 1, 2), E_FAIL);
    if (c.peerCloses) {
      server_ = -1;
    } else {
      EXPECT_EQ(ReadBytes(server_, 1).size(), 0u);  // the client hung up
    }
    Hangup();
  }
}

TEST_F(NetClientTest, FailedSendFailsTheNextDispatch) {
  Connect();
  close(server_);
  server_ = -1;
  HRESULT result = S_OK;
  for (int i = 0; i < 100 && result == S_OK; ++i, usleep(1000)) {
    result = SimConnect_AIRemoveObject(handle_, 0, 2);
  }
  EXPECT_EQ(result, E_FAIL);
  EXPECT_EQ(SimConnect_CallDispatch(handle_, Record, &received_), E_FAIL);
  EXPECT_TRUE(received_.messages.empty());
}

TEST_F(NetClientTest, CloseFromInsideTheDispatchIsSafe) {
  Connect();
  Send(Message(24, 4));
  Send(Message(24, 4));
  received_.closeFromInside = handle_;
  EXPECT_EQ(DispatchUntil(1), S_OK);
  handle_ = nullptr;
  EXPECT_EQ(received_.messages.size(), 1u);
}

TEST_F(NetClientTest, UnreachableOrMisconfiguredGivesEFail) {
  uint16_t closedPort;
  close(Listen(1, &closedPort));
  const struct {
    std::string config;
    const char* complaint;  // the line on standard error, or ""
  } cases[] = {
      {"[SimConnect]\nPort=" + std::to_string(closedPort) + "\n", ""},
      {"[SimConnect]\nPort=http\n",
       "SimConnect.cfg: line 2: Port \"http\" must be a number from 1 to 65535.\n"},
      {"[SimConnect]\nAddress=sim.example\n",
       "SimConnect.cfg: Address \"sim.example\" is not an IPv4 address; give one such as "
       "127.0.0.1.\n"},
      {"[SimConnect]\nProtocol=Ipv6\nAddress=1.2.3.4\n",
       "SimConnect.cfg: Address \"1.2.3.4\" is not an IPv6 address; give one such as ::1.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    WriteConfig(c.config);
    testing::internal::CaptureStderr();
    EXPECT_EQ(SimConnect_Open(&handle_, "Test", nullptr, 0, nullptr, 0), E_FAIL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.complaint);
    EXPECT_EQ(handle_, nullptr);
  }
  EXPECT_EQ(SimConnect_CallDispatch(nullptr, Record, &received_), E_FAIL);
}

// A listener whose queue is full drops new connection attempts unanswered.
TEST(SocketTest, ConnectGivesUpAfterItsTimeout) {
  uint16_t port;
  int listener = Listen(0, &port);
  std::vector<net::Socket> queued;
  net::ConnectResult result = net::ConnectResult::kConnected;
  for (int i = 0; i < 8 && result == net::ConnectResult::kConnected; ++i) {
    net::Socket socket;
    result = net::Connect(net::Family::kIpv4, "127.0.0.1", port, 200, &socket);
    if (result == net::ConnectResult::kConnected) queued.push_back(socket);
  }
  EXPECT_EQ(result, net::ConnectResult::kUnreachable);
  for (net::Socket socket : queued) net::CloseSocket(socket);
  close(listener);
}

}  // namespace
