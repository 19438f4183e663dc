// winsock2 has the same calls as the POSIX sockets under other names, with
// its own error codes and without EINTR-style interruptions of non-blocking
// calls; the behaviour matches socket-posix.cpp.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <limits.h>
#include <string.h>

#include <chrono>

#include "simconnect/socket.h"

namespace net {

namespace {

SOCKET Handle(Socket socket) { return static_cast<SOCKET>(socket); }

// Winsock must be started before the first call; once is enough for the
// process, which ends it when it exits.
bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

// Waits until `socket` can take data (or, `forConnect`, until a connect has
// finished either way) for at most `timeoutMs`. A failed connect shows in the
// exception set on Windows, not the write set.
bool WaitWritable(SOCKET socket, int timeoutMs, bool forConnect) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left < 0) left = 0;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval wait;
    wait.tv_sec = static_cast<long>(left / 1000);
    wait.tv_usec = static_cast<long>(left % 1000) * 1000;
    // The first argument is ignored by winsock.
    int ready = select(0, nullptr, &writable, forConnect ? &failed : nullptr, &wait);
    if (ready > 0) return FD_ISSET(socket, &writable) != 0;
    if (ready == 0) return false;
    if (WSAGetLastError() != WSAEINTR) return false;
  }
}

// No name lookup: it could wait on a DNS server far longer than the timeout.
bool MakeAddress(Family family, const std::string& address, uint16_t port,
                 sockaddr_storage* storage, int* length) {
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
  if (!StartWinsock()) return ConnectResult::kUnreachable;
  sockaddr_storage storage;
  int length;
  if (!MakeAddress(family, address, port, &storage, &length)) return ConnectResult::kBadAddress;

  SOCKET handle = ::socket(storage.ss_family, SOCK_STREAM, IPPROTO_TCP);
  if (handle == INVALID_SOCKET) return ConnectResult::kUnreachable;
  // Programs the caller starts must not inherit the connection.
  SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
  u_long nonBlocking = 1;
  if (ioctlsocket(handle, FIONBIO, &nonBlocking) != 0) {
    closesocket(handle);
    return ConnectResult::kUnreachable;
  }

  if (connect(handle, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
    // A non-blocking connect under way says WSAEWOULDBLOCK, not EINPROGRESS.
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
      closesocket(handle);
      return ConnectResult::kUnreachable;
    }
    int failure = 0;
    int size = sizeof failure;
    if (!WaitWritable(handle, timeoutMs, true) ||
        getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &size) != 0 ||
        failure != 0) {
      closesocket(handle);
      return ConnectResult::kUnreachable;
    }
  }
  *socket = static_cast<Socket>(handle);
  return ConnectResult::kConnected;
}

void DisableNagle(Socket socket) {
  BOOL on = TRUE;
  setsockopt(Handle(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
             sizeof on);
}

long ReceiveSome(Socket socket, void* into, size_t room) {
  int asked = room > INT_MAX ? INT_MAX : static_cast<int>(room);
  for (;;) {
    int count = recv(Handle(socket), static_cast<char*>(into), asked, 0);
    if (count > 0) return count;
    if (count == 0) return kClosed;
    int error = WSAGetLastError();
    if (error == WSAEINTR) continue;
    if (error == WSAEWOULDBLOCK) return kWouldBlock;
    return kClosed;
  }
}

bool SendAll(Socket socket, const void* bytes, size_t count, int timeoutMs) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    int chunk = count > INT_MAX ? INT_MAX : static_cast<int>(count);
    int sent = send(Handle(socket), next, chunk, 0);
    if (sent > 0) {
      next += sent;
      count -= static_cast<size_t>(sent);
      continue;
    }
    int error = sent < 0 ? WSAGetLastError() : 0;
    if (error == WSAEINTR) continue;
    if (error != WSAEWOULDBLOCK) return false;
    if (!WaitWritable(Handle(socket), timeoutMs, false)) return false;
  }
  return true;
}

void CloseSocket(Socket socket) {
  if (socket != kNoSocket) closesocket(Handle(socket));
}

}  // namespace net
