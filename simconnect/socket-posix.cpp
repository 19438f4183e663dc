#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "simconnect/socket.h"

namespace net {

namespace {

// A closed peer must show up as a failed send, not end the process.
#if defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

int Fd(Socket socket) { return static_cast<int>(socket); }

// Waits for `events` on `fd` for at most `timeoutMs`, across interruptions.
bool WaitFor(int fd, short events, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left < 0) left = 0;
    pollfd entry = {fd, events, 0};
    int ready = poll(&entry, 1, static_cast<int>(left));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

// No name lookup: it could wait on a DNS server far longer than the timeout.
bool MakeAddress(Family family, const std::string& address, uint16_t port,
                 sockaddr_storage* storage, socklen_t* length) {
  memset(storage, 0, sizeof *storage);
  bool loopback = address.empty() || address == "localhost";
  if (family == Family::kIpv4) {
    sockaddr_in* in = reinterpret_cast<sockaddr_in*>(storage);
    in->sin_family = AF_INET;
    in->sin_port = htons(port);
    if (loopback) {
      in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    } else if (inet_pton(AF_INET, address.c_str(), &in->sin_addr) != 1) {
      return false;
    }
    *length = sizeof *in;
  } else {
    sockaddr_in6* in6 = reinterpret_cast<sockaddr_in6*>(storage);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(port);
    if (loopback) {
      in6->sin6_addr = in6addr_loopback;
    } else if (inet_pton(AF_INET6, address.c_str(), &in6->sin6_addr) != 1) {
      return false;
    }
    *length = sizeof *in6;
  }
  return true;
}

}  // namespace

ConnectResult Connect(Family family, const std::string& address, uint16_t port, int timeoutMs,
                      Socket* socket) {
  *socket = kNoSocket;
  sockaddr_storage storage;
  socklen_t length;
  if (!MakeAddress(family, address, port, &storage, &length)) return ConnectResult::kBadAddress;

  int fd = ::socket(storage.ss_family, SOCK_STREAM, 0);
  if (fd < 0) return ConnectResult::kUnreachable;
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
    close(fd);
    return ConnectResult::kUnreachable;
  }
#if defined(SO_NOSIGPIPE)
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif

  if (connect(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) {
      close(fd);
      return ConnectResult::kUnreachable;
    }
    int failure = 0;
    socklen_t size = sizeof failure;
    if (!WaitFor(fd, POLLOUT, timeoutMs) ||
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size) != 0 || failure != 0) {
      close(fd);
      return ConnectResult::kUnreachable;
    }
  }
  *socket = fd;
  return ConnectResult::kConnected;
}

void DisableNagle(Socket socket) {
  int on = 1;
  setsockopt(Fd(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

long ReceiveSome(Socket socket, void* into, size_t room) {
  for (;;) {
    ssize_t count = recv(Fd(socket), into, room, 0);
    if (count > 0) return static_cast<long>(count);
    if (count == 0) return kClosed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kWouldBlock;
    return kClosed;
  }
}

bool SendAll(Socket socket, const void* bytes, size_t count, int timeoutMs) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    ssize_t sent = send(Fd(socket), next, count, kSendFlags);
    if (sent > 0) {
      next += sent;
      count -= static_cast<size_t>(sent);
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(Fd(socket), POLLOUT, timeoutMs)) return false;
    } else {
      return false;
    }
  }
  return true;
}

void CloseSocket(Socket socket) {
  if (socket != kNoSocket) close(Fd(socket));
}

}  // namespace net
