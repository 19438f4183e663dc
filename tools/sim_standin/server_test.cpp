// The stand-in as a process, talked to over loopback with raw bytes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/sim_standin/test_packets.h"

extern char** environ;

namespace standin {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A running stand-in with its port file, transcript and standard output in a
// scratch folder; killed if still running at the end of the test.
class StandIn {
 public:
  explicit StandIn(std::vector<std::string> arguments) {
    folder_ = fs::temp_directory_path() /
              ("standin-test-" + std::to_string(getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(folder_);
    std::vector<std::string> all = {SIM_STANDIN_PROGRAM, "--port-file", (folder_ / "port").string(),
                                    "--transcript", (folder_ / "transcript.jsonl").string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    if (std::find(all.begin(), all.end(), "--timeout") == all.end()) {
      all.insert(all.end(), {"--timeout", "20"});
    }
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string out = (folder_ / "stdout").string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
  }

  ~StandIn() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    fs::remove_all(folder_);
  }

  uint16_t port() {
    for (int i = 0; i < 500 && !fs::exists(folder_ / "port"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return static_cast<uint16_t>(std::stoi(ReadFile(folder_ / "port")));
  }

  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Output() const { return ReadFile(folder_ / "stdout"); }
  std::string Transcript() const { return ReadFile(folder_ / "transcript.jsonl"); }

 private:
  static inline int counter_ = 0;
  fs::path folder_;
  pid_t pid_ = -1;
};

class Connection {
 public:
  explicit Connection(uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }
  ~Connection() { close(fd_); }

  void Send(const Bytes& bytes) {
    EXPECT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }

  /// The next whole message; empty when the server hung up or was silent.
  Bytes Receive(int timeoutMs = 5000) {
    Bytes message;
    if (!ReadExactly(4, &message, timeoutMs)) return Bytes();
    uint32_t size = Reader(message.data(), 4).U32();
    if (size < 12 || size > 65536 || !ReadExactly(size - 4, &message, timeoutMs)) return Bytes();
    return message;
  }

  /// Says we are done sending, as a client does on QUIT.
  void StopSending() { shutdown(fd_, SHUT_WR); }

  /// True when the server closes the connection within the time.
  bool HungUp(int timeoutMs = 5000) {
    Bytes rest;
    return !ReadExactly(1, &rest, timeoutMs) && closed_;
  }

 private:
  bool ReadExactly(size_t count, Bytes* into, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (count > 0) {
      pollfd ready{fd_, POLLIN, 0};
      int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now())
                                      .count());
      if (left <= 0 || poll(&ready, 1, left) <= 0) return false;
      uint8_t chunk[4096];
      ssize_t got = recv(fd_, chunk, std::min(count, sizeof chunk), 0);
      if (got <= 0) {
        closed_ = true;
        return false;
      }
      into->insert(into->end(), chunk, chunk + got);
      count -= static_cast<size_t>(got);
    }
    return true;
  }

  int fd_ = -1;
  bool closed_ = false;
};

uint32_t U32At(const Bytes& bytes, size_t offset) {
  return offset + 4 <= bytes.size() ? Reader(bytes.data() + offset, 4).U32() : 0xDEADBEEF;
}

double F64At(const Bytes& bytes, size_t offset) {
  return offset + 8 <= bytes.size() ? Reader(bytes.data() + offset, 8).F64() : -1;
}

TEST(StandInProcess, DropsMalformedClientsAndServesTheNext) {
  struct Case {
    const char* name;
    bool opensFirst;
    Bytes bytes;
  } cases[] = {
      {"size below the header", false, {8, 0, 0, 0, 4, 0, 0, 0}},
      {"size above the limit", false, {0, 0, 1, 0, 4, 0, 0, 0, 1, 0, 0, 0xF0, 0, 0, 0, 0}},
      {"open of the wrong size", false, MakeClientPacket(kFunctionOpen, 4, 0, Bytes(284))},
      {"remove of the wrong size after open", true,
       [] {
         Bytes b = test::OpenPacketBytes(0);
         Bytes bad = MakeClientPacket(kFunctionAIRemoveObject, 4, 1, Bytes(12));
         b.insert(b.end(), bad.begin(), bad.end());
         return b;
       }()},
  };
  StandIn sim({"--scenario", "launch 4"});
  uint16_t port = sim.port();
  for (const Case& c : cases) {
    Connection client(port);
    client.Send(c.bytes);
    if (c.opensFirst) {
      EXPECT_EQ(client.Receive().size(), 308u) << c.name;
    }
    EXPECT_TRUE(client.HungUp()) << c.name;
  }
  Connection good(port);
  good.Send(test::OpenPacketBytes(0));
  EXPECT_EQ(good.Receive().size(), 308u);
  EXPECT_NE(
      sim.Output().find("client 4: dropped: AIRemoveObject packet of 28 bytes; it must be 24"),
      std::string::npos)
      << sim.Output();
}

// Clients that talk nonsense within the framing are answered with an
// exception and kept; clients that vanish mid-packet are let go. Either way
// the next client is served.
TEST(StandInProcess, OutlastsFaultyClients) {
  StandIn sim({"--scenario", "launch 4"});
  uint16_t port = sim.port();
  {
    Connection client(port);  // opens, then asks for what it never got
    client.Send(test::OpenPacketBytes(0));
    ASSERT_EQ(client.Receive().size(), 308u);
    client.Send(MakeClientPacket(0x43, 4, 7, Bytes(20)));  // a function we do not serve
    Bytes unknown = client.Receive();
    EXPECT_EQ(U32At(unknown, 12), kExceptionUnrecognizedId);
    EXPECT_EQ(U32At(unknown, 16), 7u);
    client.Send(test::RemoveBytes(8, 4242, 2));  // an object never created
    Bytes removal = client.Receive();
    EXPECT_EQ(U32At(removal, 12), kExceptionUnrecognizedId);
    EXPECT_EQ(U32At(removal, 16), 8u);
    client.Send(test::RequestDataBytes(9, 1, 77));  // a definition never made
    EXPECT_EQ(U32At(client.Receive(), 12), kExceptionUnrecognizedId);
    client.Send(test::AddDatumBytes(10, 1));
    client.Send(test::RequestDataBytes(11, 1, 1));
    EXPECT_EQ(F64At(client.Receive(), 40), 4.0);  // still served
  }
  {
    Connection client(port);  // half an Open, then gone
    Bytes open = test::OpenPacketBytes(0);
    client.Send(Bytes(open.begin(), open.begin() + 100));
  }
  {
    Connection client(port);  // whole Open, half a creation (never made), then gone
    Bytes bytes = test::OpenPacketBytes(0);
    Bytes create = test::CreateBytes(1, "Oak Tree", 2);
    bytes.insert(bytes.end(), create.begin(), create.begin() + 200);
    client.Send(bytes);
    EXPECT_EQ(client.Receive().size(), 308u);
  }
  { Connection client(port); }  // connects and hangs up at once
  {
    Connection client(port);  // a size of 4 GiB
    client.Send(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 1, 0, 0, 0xF0, 0, 0, 0, 0});
    EXPECT_TRUE(client.HungUp());
  }
  Connection good(port);
  good.Send(test::OpenPacketBytes(0));
  EXPECT_EQ(good.Receive().size(), 308u);
  std::string output = sim.Output();
  for (const char* line : {"client 1: closed the connection", "client 2: closed the connection",
                           "client 3: closed the connection\nclient 3: left standing:\n    (none)",
                           "client 4: closed the connection",
                           "client 5: dropped: packet size 4294967295", "client 6: opened"}) {
    EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
  }
}

TEST(StandInProcess, AnswersAnOpenThatArrivesByteByByte) {
  StandIn sim({});
  Connection client(sim.port());
  for (uint8_t byte : test::OpenPacketBytes(1, "Slow", 3)) {
    client.Send(Bytes{byte});
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  Bytes reply = client.Receive();
  ASSERT_EQ(reply.size(), 308u);
  EXPECT_EQ(U32At(reply, 4), 3u);  // the client's protocol, echoed
  EXPECT_EQ(U32At(reply, 8), kRecvOpen);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data() + 12)),
            "Microsoft Flight Simulator X");
}

TEST(StandInProcess, RefusesAnotherDialectAndHangsUp) {
  StandIn sim({});
  Connection client(sim.port());
  client.Send(test::OpenPacketBytes(0, "Newer", 5));
  Bytes reply = client.Receive();
  EXPECT_EQ(U32At(reply, 8), kRecvException);
  EXPECT_EQ(U32At(reply, 12), kExceptionVersionMismatch);
  EXPECT_TRUE(client.HungUp());
}

TEST(StandInProcess, PlaysTheScenarioAndReportsWhatStands) {
  StandIn sim({"--scenario", "launch 4; objects 1; flight 8; objects 2; quit"});
  Connection client(sim.port());
  client.Send(test::OpenPacketBytes(0));
  ASSERT_EQ(client.Receive().size(), 308u);
  client.Send(test::AddDatumBytes(1, 1));
  client.Send(test::SubscribeBytes(2, 0, "SimStart"));
  client.Send(test::RequestDataBytes(3, 1, 1));
  Bytes month = client.Receive();
  ASSERT_EQ(month.size(), 48u);
  EXPECT_EQ(U32At(month, 12), 1u);
  EXPECT_EQ(F64At(month, 40), 4.0);

  client.Send(test::CreateBytes(4, "Oak Tree", 2));
  Bytes assigned = client.Receive();
  EXPECT_EQ(U32At(assigned, 8), kRecvAssignedObjectId);
  EXPECT_EQ(U32At(assigned, 12), 2u);
  EXPECT_EQ(U32At(assigned, 16), 1000u);

  Bytes event = client.Receive();
  ASSERT_EQ(event.size(), 24u);
  EXPECT_EQ(U32At(event, 12), kUnknownGroup);
  client.Send(test::RequestDataBytes(5, 0, 1));
  EXPECT_EQ(F64At(client.Receive(), 40), 8.0);
  client.Send(test::CreateBytes(6, "Birch Tree", 3));
  EXPECT_EQ(U32At(client.Receive(), 16), 1001u);

  Bytes quit = client.Receive();
  EXPECT_EQ(quit.size(), 12u);
  EXPECT_EQ(U32At(quit, 8), kRecvQuit);
  client.StopSending();
  EXPECT_TRUE(client.HungUp());
  EXPECT_EQ(sim.Wait(), 0);
  std::string output = sim.Output();
  EXPECT_NE(output.find("client 1: step 5 at "), std::string::npos) << output;
  EXPECT_NE(output.find("ms: quit\n  standing:\n    1000 \"Oak Tree\""), std::string::npos)
      << output;
  EXPECT_NE(output.find("client 1: left standing:\n    1000 \"Oak Tree\" lat 47.500000 lon "
                        "-122.250000 alt 300.00 ft\n"),
            std::string::npos)
      << output;
  std::string transcript = sim.Transcript();
  EXPECT_NE(transcript.find("\"dir\":\"in\",\"kind\":\"AICreateSimulatedObject\""),
            std::string::npos);
  EXPECT_NE(transcript.find("\"dir\":\"out\",\"kind\":\"QUIT\""), std::string::npos);
}

TEST(StandInProcess, VanishesWithoutQuit) {
  StandIn sim({"--scenario", "launch 4; vanish"});
  Connection client(sim.port());
  client.Send(test::OpenPacketBytes(0));
  EXPECT_EQ(client.Receive().size(), 308u);
  EXPECT_TRUE(client.Receive().empty());
  EXPECT_TRUE(client.HungUp());
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(StandInProcess, HoldsBackAssignedIdsWhenAsked) {
  StandIn sim({"--scenario", "delay-ids 300; objects 1; settle 50; quit"});
  Connection client(sim.port());
  client.Send(test::OpenPacketBytes(0));
  ASSERT_EQ(client.Receive().size(), 308u);
  auto sent = std::chrono::steady_clock::now();
  client.Send(test::CreateBytes(1, "Oak Tree", 2));
  Bytes assigned = client.Receive();
  auto late = std::chrono::steady_clock::now() - sent;
  EXPECT_EQ(U32At(assigned, 8), kRecvAssignedObjectId);
  EXPECT_GE(late, std::chrono::milliseconds(250));
  EXPECT_EQ(U32At(client.Receive(), 8), kRecvQuit);
  client.StopSending();
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(StandInProcess, AnsweredWaitsForTheClientsNextDataRequest) {
  StandIn sim({"--scenario", "launch 4; answered; flight 9; answered; quit"});
  Connection client(sim.port());
  client.Send(test::OpenPacketBytes(0));
  ASSERT_EQ(client.Receive().size(), 308u);
  client.Send(test::AddDatumBytes(1, 1));
  client.Send(test::SubscribeBytes(2, 0, "SimStart"));
  EXPECT_TRUE(client.Receive(300).empty());  // no flight before the launch answer
  client.Send(test::RequestDataBytes(3, 1, 1));
  EXPECT_EQ(F64At(client.Receive(), 40), 4.0);
  EXPECT_EQ(client.Receive().size(), 24u);   // the flight's event
  EXPECT_TRUE(client.Receive(300).empty());  // no quit before its answer
  client.Send(test::RequestDataBytes(4, 0, 1));
  EXPECT_EQ(F64At(client.Receive(), 40), 9.0);
  EXPECT_EQ(U32At(client.Receive(), 8), kRecvQuit);
  client.StopSending();
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(StandInProcess, RestartsTheScenarioForEachClient) {
  StandIn sim({"--scenario", "launch 4; objects 1; flight 9"});
  uint16_t port = sim.port();
  for (int round = 0; round < 2; ++round) {
    Connection client(port);
    client.Send(test::OpenPacketBytes(0));
    ASSERT_EQ(client.Receive().size(), 308u);
    client.Send(test::AddDatumBytes(1, 1));
    client.Send(test::RequestDataBytes(2, 1, 1));
    EXPECT_EQ(F64At(client.Receive(), 40), 4.0) << round;
    client.Send(test::CreateBytes(3, "Oak Tree", 2));
    EXPECT_EQ(U32At(client.Receive(), 16), 1000u + round);
    client.Send(test::RequestDataBytes(4, 1, 1));
    EXPECT_EQ(F64At(client.Receive(), 40), 9.0) << round;
  }
}

TEST(StandInProcess, GivesUpAtTheTimeout) {
  StandIn sim({"--timeout", "1"});
  EXPECT_EQ(sim.Wait(), 3);
  EXPECT_NE(sim.Output().find("timed out after 1 s"), std::string::npos);
}

}  // namespace
}  // namespace standin
