#include "tools/sim_standin/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "check/title_index.h"
#include "tools/sim_standin/protocol.h"
#include "tools/sim_standin/session.h"
#include "tools/sim_standin/transcript.h"

namespace standin {

namespace {

using Clock = std::chrono::steady_clock;

/// A client that reads nothing cannot make us queue more than this.
constexpr size_t kMaxQueuedBytes = 1 << 20;
/// After QUIT, how long we wait for the client to hang up before closing.
constexpr int kLingerMs = 2000;

uint64_t MsBetween(Clock::time_point from, Clock::time_point to) {
  if (to <= from) return 0;
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

double CurrentUtcMonth() {
  std::time_t now = std::time(nullptr);
  std::tm parts;
  gmtime_r(&now, &parts);
  return parts.tm_mon + 1;
}

struct HeldMessage {
  Clock::time_point due;
  ServerMessage message;
};

enum class Ending { kNone, kQuit, kVanish };

struct Client {
  int fd = -1;
  int number = 0;
  std::vector<uint8_t> in;
  std::vector<uint8_t> out;
  Session session;
  std::vector<HeldMessage> held;  // assigned ids sent late, in due order
  uint32_t delayIdsMs = 0;
  uint64_t dataAnswers = 0;  // data requests answered so far
  uint64_t dataAnswersAtStepStart = 0;
  bool closing = false;  // flush what is queued, then hang up
  Ending ending = Ending::kNone;
  Clock::time_point lastPacket;
  // Scenario progress; it starts when the client's Open is answered.
  bool playing = false;
  Clock::time_point playStart;
  size_t nextStep = 0;
  bool stepStarted = false;
  Clock::time_point stepStart;
};

class Server {
 public:
  explicit Server(const Options& options) : options_(options) {}
  int Run();

 private:
  bool Listen();
  void Accept();
  void ReadFromClient();
  bool HandleBytes();
  void Queue(const ServerMessage& message);
  void QueueFromPacket(std::vector<ServerMessage>* messages);
  void ReleaseHeld(Clock::time_point now);
  void AdvanceScenario(Clock::time_point now);
  bool RunStep(const Step& step, Clock::time_point now, std::string* remark);
  void Flush();
  void EndClient(const std::string& kind, const std::string& how);
  int PollTimeout(Clock::time_point now) const;
  uint64_t Now() const { return MsBetween(started_, Clock::now()); }

  const Options& options_;
  Transcript transcript_;
  World world_;
  double launchMonth_ = 1;
  int listener_ = -1;
  int clients_ = 0;
  Client client_;
  Clock::time_point started_ = Clock::now();
  bool finished_ = false;
};

bool Server::Listen() {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) {
    std::fprintf(stderr, "sim-standin: cannot make a socket: %s\n", std::strerror(errno));
    return false;
  }
  int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options_.port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 8) != 0) {
    std::fprintf(stderr, "sim-standin: cannot listen on 127.0.0.1:%u: %s; pick another --port\n",
                 options_.port, std::strerror(errno));
    return false;
  }
  socklen_t length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  unsigned port = ntohs(address.sin_port);
  std::printf("sim-standin: listening on 127.0.0.1:%u\n", port);
  if (!options_.portFile.empty()) {
    // Written whole under another name first, so a reader never sees half.
    std::string temporary = options_.portFile + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    bool written = file && std::fprintf(file, "%u\n", port) > 0;
    if (file) written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), options_.portFile.c_str()) != 0) {
      std::fprintf(stderr, "sim-standin: cannot write the port file %s: %s\n",
                   options_.portFile.c_str(), std::strerror(errno));
      return false;
    }
  }
  return true;
}

void Server::Accept() {
  int fd = accept(listener_, nullptr, nullptr);
  if (fd < 0) return;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  int yes = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  client_ = Client();
  client_.fd = fd;
  client_.number = ++clients_;
  client_.lastPacket = Clock::now();
  world_.month = launchMonth_;
  std::printf("client %d: connected\n", client_.number);
  transcript_.Note(Now(), client_.number, "connect", "client connected");
}

void Server::ReadFromClient() {
  uint8_t chunk[16384];
  ssize_t count = recv(client_.fd, chunk, sizeof chunk, 0);
  if (count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    EndClient("close", count == 0 ? "closed the connection" : "connection lost");
    return;
  }
  if (count < 0) return;
  client_.lastPacket = Clock::now();
  client_.in.insert(client_.in.end(), chunk, chunk + count);
  HandleBytes();
}

// Handles every whole packet in the receive buffer. False when the client
// was dropped for a malformed packet.
bool Server::HandleBytes() {
  size_t offset = 0;
  while (!client_.closing) {
    size_t size = 0;
    std::string problem;
    FrameState state =
        CheckFrame(client_.in.data() + offset, client_.in.size() - offset, &size, &problem);
    if (state == FrameState::kIncomplete) break;
    if (state == FrameState::kMalformed) {
      client_.in.clear();
      EndClient("drop", "dropped: " + problem);
      return false;
    }
    ClientPacket packet = DecodePacket(client_.in.data() + offset, size);
    offset += size;
    transcript_.Received(Now(), client_.number, packet);
    bool wasOpen = client_.session.opened;
    std::vector<ServerMessage> replies;
    Verdict verdict = HandlePacket(packet, &world_, &client_.session, &replies);
    const auto* create = std::get_if<AICreateSimulatedObjectPacket>(&packet.body);
    const auto* refusal = replies.empty() ? nullptr : std::get_if<RecvException>(&replies[0]);
    if (create && refusal && refusal->exception == kExceptionCreateObjectFailed) {
      std::printf("client %d: creation of \"%s\" refused: CREATE_OBJECT_FAILED\n",
                  client_.number, create->containerTitle.c_str());
    }
    QueueFromPacket(&replies);
    if (!wasOpen && client_.session.opened) {
      std::printf("client %d: opened by \"%s\" (protocol %u)\n", client_.number,
                  client_.session.applicationName.c_str(), client_.session.version);
      client_.playing = true;
      client_.playStart = Clock::now();
      // The launch step must answer the client's very first request.
      AdvanceScenario(client_.playStart);
    }
    if (verdict == Verdict::kClose) client_.closing = true;
  }
  client_.in.erase(client_.in.begin(), client_.in.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

void Server::Queue(const ServerMessage& message) {
  if (std::holds_alternative<RecvSimObjectDataByType>(message)) ++client_.dataAnswers;
  std::vector<uint8_t> bytes = EncodeMessage(message, client_.session.version);
  transcript_.Sent(Now(), client_.number, message, client_.session.version);
  client_.out.insert(client_.out.end(), bytes.begin(), bytes.end());
}

void Server::QueueFromPacket(std::vector<ServerMessage>* messages) {
  for (const ServerMessage& message : *messages) {
    // Past kMaxObjects held answers, the rest go out at once: a client that
    // creates and removes in a loop cannot make the queue grow without end.
    bool late = std::holds_alternative<RecvAssignedObjectId>(message) &&
                (client_.delayIdsMs > 0 || !client_.held.empty()) &&
                client_.held.size() < kMaxObjects;
    if (late) {
      auto due = Clock::now() + std::chrono::milliseconds(client_.delayIdsMs);
      if (!client_.held.empty()) due = std::max(due, client_.held.back().due);
      client_.held.push_back(HeldMessage{due, message});
    } else {
      Queue(message);
    }
  }
}

void Server::ReleaseHeld(Clock::time_point now) {
  size_t released = 0;
  while (released < client_.held.size() && client_.held[released].due <= now) {
    Queue(client_.held[released].message);
    ++released;
  }
  client_.held.erase(client_.held.begin(),
                     client_.held.begin() + static_cast<std::ptrdiff_t>(released));
}

// Runs one step; true when it is complete. Steps that wait on the client
// give up after kConditionLimitMs and say so in `remark`.
bool Server::RunStep(const Step& step, Clock::time_point now, std::string* remark) {
  uint64_t elapsed = MsBetween(client_.stepStart, now);
  switch (step.kind) {
    case StepKind::kLaunch:
      world_.month = step.month;
      return true;
    case StepKind::kFlight: {
      std::vector<ServerMessage> events;
      StartFlight(step.month, &world_, client_.session, &events);
      for (const ServerMessage& event : events) Queue(event);
      if (events.empty()) *remark = "  (no client has subscribed to SimStart)\n";
      return true;
    }
    case StepKind::kWait:
      return elapsed >= step.number;
    case StepKind::kSettle: {
      Clock::time_point quietSince = std::max(client_.stepStart, client_.lastPacket);
      if (client_.held.empty() && MsBetween(quietSince, now) >= step.number) return true;
      if (elapsed < kConditionLimitMs) return false;
      *remark = "  (gave up after " + std::to_string(kConditionLimitMs) +
                " ms: the client kept talking or answers were held back)\n";
      return true;
    }
    case StepKind::kObjects: {
      size_t standing = client_.session.objects.size();
      if (standing == step.number) return true;
      if (elapsed < kConditionLimitMs) return false;
      *remark = "  (gave up after " + std::to_string(kConditionLimitMs) +
                " ms: " + std::to_string(standing) + " objects standing, not " +
                std::to_string(step.number) + ")\n";
      return true;
    }
    case StepKind::kDelayIds:
      client_.delayIdsMs = step.number;
      return true;
    case StepKind::kAnswered:
      if (client_.dataAnswers > client_.dataAnswersAtStepStart) return true;
      if (elapsed < kConditionLimitMs) return false;
      *remark = "  (gave up after " + std::to_string(kConditionLimitMs) +
                " ms: the client asked for no data)\n";
      return true;
    case StepKind::kQuit:
      client_.held.clear();
      Queue(RecvQuit{});
      client_.closing = true;
      client_.ending = Ending::kQuit;
      return true;
    case StepKind::kVanish:
      client_.held.clear();
      client_.closing = true;
      client_.ending = Ending::kVanish;
      return true;
  }
  return true;
}

void Server::AdvanceScenario(Clock::time_point now) {
  const std::vector<Step>& steps = options_.scenario;
  while (client_.playing && client_.nextStep < steps.size() && client_.ending == Ending::kNone) {
    const Step& step = steps[client_.nextStep];
    if (!client_.stepStarted) {
      client_.stepStarted = true;
      client_.stepStart = now;
      client_.dataAnswersAtStepStart = client_.dataAnswers;
    }
    std::string remark;
    if (!RunStep(step, now, &remark)) return;
    std::string text = DescribeStep(step);
    std::printf("client %d: step %zu at %llu ms: %s\n%s  standing:\n%s", client_.number,
                client_.nextStep + 1,
                static_cast<unsigned long long>(MsBetween(client_.playStart, now)), text.c_str(),
                remark.c_str(), FormatObjects(client_.session.objects).c_str());
    transcript_.Note(Now(), client_.number, "step", text);
    ++client_.nextStep;
    client_.stepStarted = false;
  }
}

void Server::Flush() {
  size_t sent = 0;
  while (sent < client_.out.size()) {
    ssize_t count =
        send(client_.fd, client_.out.data() + sent, client_.out.size() - sent, MSG_NOSIGNAL);
    if (count <= 0) {
      if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) break;
      client_.out.clear();
      EndClient("close", "connection lost");
      return;
    }
    sent += static_cast<size_t>(count);
  }
  client_.out.erase(client_.out.begin(), client_.out.begin() + static_cast<std::ptrdiff_t>(sent));
  if (client_.out.size() > kMaxQueuedBytes) {
    client_.out.clear();
    EndClient("drop",
              "dropped: it has left over " + std::to_string(kMaxQueuedBytes) + " bytes unread");
  }
}

// Hangs up on the client and reports what it left standing. A quit or vanish
// in the scenario also ends the run.
void Server::EndClient(const std::string& kind, const std::string& how) {
  if (client_.fd < 0) return;
  // What was already answered still goes out, as far as the socket takes it.
  if (!client_.out.empty()) {
    send(client_.fd, client_.out.data(), client_.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    client_.out.clear();
  }
  uint8_t discard[4096];
  if (client_.ending == Ending::kQuit) {
    // Let the client read QUIT and hang up first; closing with its data
    // unread would reset the connection and could lose the message.
    shutdown(client_.fd, SHUT_WR);
    pollfd waiting{client_.fd, POLLIN, 0};
    auto deadline = Clock::now() + std::chrono::milliseconds(kLingerMs);
    while (Clock::now() < deadline &&
           poll(&waiting, 1, static_cast<int>(MsBetween(Clock::now(), deadline)) + 1) > 0) {
      if (recv(client_.fd, discard, sizeof discard, 0) <= 0) break;
    }
  }
  // Unread bytes at close would reset the connection, and the reset can
  // overtake what we sent last; take in what has already arrived.
  for (int i = 0; i < 64 && recv(client_.fd, discard, sizeof discard, MSG_DONTWAIT) > 0; ++i) {
  }
  close(client_.fd);
  client_.fd = -1;
  std::printf("client %d: %s\n", client_.number, how.c_str());
  transcript_.Note(Now(), client_.number, kind, how);
  std::printf("client %d: left standing:\n%s", client_.number,
              FormatObjects(client_.session.objects).c_str());
  if (client_.ending != Ending::kNone) finished_ = true;
}

int Server::PollTimeout(Clock::time_point now) const {
  Clock::time_point wake = now + std::chrono::milliseconds(1000);
  if (!client_.held.empty()) wake = std::min(wake, client_.held.front().due);
  if (client_.playing && client_.nextStep < options_.scenario.size()) {
    const Step& step = options_.scenario[client_.nextStep];
    if (step.kind == StepKind::kWait) {
      wake = std::min(wake, client_.stepStart + std::chrono::milliseconds(step.number));
    } else {
      wake = std::min(wake, now + std::chrono::milliseconds(10));
    }
  }
  if (options_.timeoutSeconds > 0) {
    wake = std::min(wake, started_ + std::chrono::seconds(options_.timeoutSeconds));
  }
  return static_cast<int>(MsBetween(now, wake)) + 1;
}

int Server::Run() {
  for (const std::string& title : options_.refusedTitles) world_.refusedTitles.push_back(title);
  world_.maxObjects = options_.maxObjects;
  if (!options_.simFolder.empty() || !options_.titlesFile.empty()) {
    // Letter case is not held against a title: whether the simulator does is
    // not known, and the checker warns of it.
    TitleIndex index;
    std::string problem;
    bool read = options_.titlesFile.empty()
                    ? IndexSimulator(options_.simFolder, "", &index, &problem)
                    : IndexTitleList(options_.titlesFile, &index, &problem);
    if (!read) {
      std::fprintf(stderr, "sim-standin: %s\n", problem.c_str());
      return 2;
    }
    world_.onlyInstalledTitles = true;
    for (const auto& title : index.folded) world_.installedTitles.insert(title.first);
    std::printf("sim-standin: %zu titles installed\n", world_.installedTitles.size());
  }
  launchMonth_ = CurrentUtcMonth();
  if (!options_.transcriptFile.empty()) {
    std::string error;
    if (!transcript_.Open(options_.transcriptFile, &error)) {
      std::fprintf(stderr, "sim-standin: %s\n", error.c_str());
      return 1;
    }
  }
  if (!Listen()) return 1;
  while (!finished_) {
    Clock::time_point now = Clock::now();
    if (options_.timeoutSeconds > 0 &&
        now >= started_ + std::chrono::seconds(options_.timeoutSeconds)) {
      std::printf("sim-standin: timed out after %u s\n", options_.timeoutSeconds);
      if (client_.fd >= 0) EndClient("close", "hung up: time out");
      return 3;
    }
    pollfd fds[2];
    nfds_t count = 0;
    if (client_.fd < 0) {
      // One client at a time: the next waits in the backlog until this one ends.
      fds[count++] = pollfd{listener_, POLLIN, 0};
    } else {
      short events = client_.closing ? 0 : POLLIN;
      if (!client_.out.empty()) events |= POLLOUT;
      fds[count++] = pollfd{client_.fd, events, 0};
    }
    int ready = poll(fds, count, PollTimeout(now));
    if (ready < 0 && errno != EINTR) {
      std::fprintf(stderr, "sim-standin: poll failed: %s\n", std::strerror(errno));
      return 1;
    }
    if (client_.fd < 0) {
      if (ready > 0 && (fds[0].revents & POLLIN)) Accept();
      continue;
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      if (!client_.closing) ReadFromClient();
    }
    if (client_.fd < 0) continue;
    now = Clock::now();
    ReleaseHeld(now);
    AdvanceScenario(now);
    if (client_.ending == Ending::kVanish) {
      EndClient("vanish", "vanished without a word");
      continue;
    }
    Flush();
    if (client_.fd >= 0 && client_.closing && client_.out.empty()) {
      EndClient("close", client_.ending == Ending::kQuit ? "quit sent; connection closed"
                                                         : "hung up after refusing its Open");
    }
  }
  return 0;
}

}  // namespace

int RunServer(const Options& options) {
  Server server(options);
  return server.Run();
}

}  // namespace standin
