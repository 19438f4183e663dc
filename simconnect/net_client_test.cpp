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
std::vector<uint8_t> ReadBytes(int fd, size_t count) {
  std::vector<uint8_t> bytes(count);
  size_t got = 0;
  pollfd entry = {fd, POLLIN, 0};
  while (got < count && poll(&entry, 1, 5000) > 0) {
    ssize_t n = read(fd, bytes.data() + got, count - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

DWORD Dword(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | DWORD{at[3]} << 24; }

std::vector<uint8_t> Message(DWORD size, DWORD id, DWORD first = 0) {
  std::vector<uint8_t> bytes(size, 0);
  DWORD fields[4] = {size, 4, id, first};
  memcpy(bytes.data(), fields, size < 16 ? 12 : 16);
  return bytes;
}

struct Received {
  std::vector<std::vector<uint8_t>> messages;
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
    if (handle_) SimConnect_Close(handle_);
    if (server_ >= 0) close(server_);
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
    ASSERT_GE(server_, 0);
    ASSERT_EQ(ReadBytes(server_, 296).size(), 296u);
  }
  void Send(const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(write(server_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Dispatches until `count` messages are in, or for at most about 2 s.
  void DispatchUntil(size_t count) {
    for (int i = 0; i < 2000 && received_.messages.size() < count; ++i) {
      SimConnect_CallDispatch(handle_, Record, &received_);
      usleep(1000);
    }
  }
  std::vector<DWORD> Kinds() const {
    std::vector<DWORD> kinds;
    for (const auto& m : received_.messages) kinds.push_back(Dword(m.data() + 8));
    return kinds;
  }

  std::string folder_;
  char previous_[4096];
  int listener_ = -1;
  int server_ = -1;
  uint16_t port_ = 0;
  HANDLE handle_ = nullptr;
  Received received_;
};

TEST_F(NetClientTest, CallsArriveWholeWithRisingSendIds) {
  Connect();
  SIMCONNECT_DATA_INITPOSITION at = {};
  EXPECT_EQ(SimConnect_AddToDataDefinition(handle_, 0, "ZULU MONTH OF YEAR", "Number",
                                           SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED),
            S_OK);
  EXPECT_EQ(SimConnect_SubscribeToSystemEvent(handle_, 0, "SimStart"), S_OK);
  EXPECT_EQ(SimConnect_RequestDataOnSimObjectType(handle_, 1, 1, 0, SIMCONNECT_SIMOBJECT_TYPE_USER),
            S_OK);
  EXPECT_EQ(SimConnect_AICreateSimulatedObject(handle_, "Tree", at, 2), S_OK);
  EXPECT_EQ(SimConnect_AIRemoveObject(handle_, 5, 2), S_OK);
  const DWORD sizes[] = {544, 276, 32, 332, 24};
  const DWORD functions[] = {0x0C, 0x17, 0x0F, 0x2A, 0x2C};
  for (int i = 0; i < 5; ++i) {
    std::vector<uint8_t> packet = ReadBytes(server_, sizes[i]);
    ASSERT_EQ(packet.size(), sizes[i]);
    EXPECT_EQ(Dword(packet.data()), sizes[i]);
    EXPECT_EQ(Dword(packet.data() + 8), 0xF0000000u | functions[i]);
    EXPECT_EQ(Dword(packet.data() + 12), static_cast<DWORD>(i + 2));  // Open was 1
  }
}

TEST_F(NetClientTest, MessagesArriveUnchangedAcrossSplitAndMergedWrites) {
  Connect();
  SimConnect_CallDispatch(handle_, Record, &received_);  // nothing there: returns at once
  EXPECT_TRUE(received_.messages.empty());

  std::vector<uint8_t> open = Message(308, 2), event = Message(24, 4, 0xFFFFFFFFu);
  std::vector<uint8_t> month = Message(48, 9, 1);
  double twelve = 12.0;
  memcpy(month.data() + 40, &twelve, sizeof twelve);
  std::vector<uint8_t> both = open;
  both.insert(both.end(), event.begin(), event.end());
  Send(both);
  Send(std::vector<uint8_t>(month.begin(), month.begin() + 30));
  DispatchUntil(2);
  Send(std::vector<uint8_t>(month.begin() + 30, month.end()));
  DispatchUntil(3);
  ASSERT_EQ(received_.messages.size(), 3u);
  EXPECT_EQ(received_.messages[0], open);
  EXPECT_EQ(received_.messages[1], event);
  EXPECT_EQ(received_.messages[2], month);
}

TEST_F(NetClientTest, ClosedPeerGivesExactlyOneQuit) {
  Connect();
  Send(Message(20, 12));
  close(server_);
  server_ = -1;
  DispatchUntil(2);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(SimConnect_CallDispatch(handle_, Record, &received_), E_FAIL);
  EXPECT_EQ(Kinds(), (std::vector<DWORD>{12, 3}));
  EXPECT_EQ(received_.messages[1], Message(12, 3));
  EXPECT_EQ(SimConnect_AIRemoveObject(handle_, 1, 2), E_FAIL);
}

TEST_F(NetClientTest, TheSimulatorsOwnQuitIsNotRepeated) {
  Connect();
  Send(Message(12, 3));
  close(server_);
  server_ = -1;
  for (int i = 0; i < 50; ++i) SimConnect_CallDispatch(handle_, Record, &received_);
  EXPECT_EQ(Kinds(), std::vector<DWORD>{3});
}

TEST_F(NetClientTest, GarbageOrOversizeEndsTheConnectionWithOneQuit) {
  const std::vector<uint8_t> text = {'H', 'E', 'L', 'L', 'O', ' ', 'W', 'O', 'R', 'L', 'D', '!'};
  const std::vector<uint8_t> cases[] = {text, Message(400, 2), {8, 0, 0, 0, 4, 0, 0, 0}};
  for (const auto& bytes : cases) {
    Connect("MaxReceiveSize=308\n");
    Send(bytes);
    DispatchUntil(1);
    EXPECT_EQ(Kinds(), std::vector<DWORD>{3});
    EXPECT_EQ(ReadBytes(server_, 1).size(), 0u);  // the client has hung up
    SimConnect_Close(handle_);
    close(server_);
    handle_ = nullptr;
    server_ = -1;
    received_.messages.clear();
  }
}

TEST_F(NetClientTest, FailedSendIsReportedAsQuitAtTheNextDispatch) {
  Connect();
  close(server_);
  server_ = -1;
  HRESULT result = S_OK;
  for (int i = 0; i < 100 && result == S_OK; ++i) {
    result = SimConnect_AIRemoveObject(handle_, 0, 2);
    usleep(1000);
  }
  EXPECT_EQ(result, E_FAIL);
  SimConnect_CallDispatch(handle_, Record, &received_);
  EXPECT_EQ(Kinds(), std::vector<DWORD>{3});
}

TEST_F(NetClientTest, CloseFromInsideTheDispatchIsSafe) {
  Connect();
  Send(Message(24, 4));
  Send(Message(24, 4));
  received_.closeFromInside = handle_;
  DispatchUntil(1);
  handle_ = nullptr;
  EXPECT_EQ(received_.messages.size(), 1u);
}

TEST_F(NetClientTest, UnreachableOrMisconfiguredGivesEFail) {
  uint16_t closedPort;
  close(Listen(1, &closedPort));
  const struct {
    std::string config;
    const char* complaint;  // start of the line on standard error, or ""
  } cases[] = {
      {"[SimConnect]\nPort=" + std::to_string(closedPort) + "\n", ""},
      {"[SimConnect]\nPort=http\n", "SimConnect.cfg: line 2: Port \"http\" must be"},
      {"[SimConnect]\nAddress=sim.example\n", "SimConnect.cfg: Address \"sim.example\" is not an"},
      {"[SimConnect.1]\nPort=500\n", "SimConnect.cfg: no [SimConnect] section"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    WriteConfig(c.config);
    testing::internal::CaptureStderr();
    EXPECT_EQ(SimConnect_Open(&handle_, "Test", nullptr, 0, nullptr, 0), E_FAIL);
    std::string complaint = testing::internal::GetCapturedStderr();
    EXPECT_EQ(handle_, nullptr);
    EXPECT_EQ(complaint.compare(0, strlen(c.complaint), c.complaint), 0) << complaint;
    if (*c.complaint) {
      EXPECT_EQ(complaint.find('\n'), complaint.size() - 1);
    }
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
