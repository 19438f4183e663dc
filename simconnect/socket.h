// The TCP calls the network client makes, one implementation per platform
// (socket-posix.cpp, socket-win32.cpp), chosen by the build.
// Sockets are non-blocking from connect to close.
#ifndef BRINDLEWICK_SIMCONNECT_SOCKET_H_
#define BRINDLEWICK_SIMCONNECT_SOCKET_H_

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace net {

typedef intptr_t Socket;
constexpr Socket kNoSocket = -1;

enum class Family { kIpv4, kIpv6 };

enum class ConnectResult {
  kConnected,
  kBadAddress,   // the address text is no address of that family
  kUnreachable,  // refused, timed out or failed otherwise
};

/// Connects to `address` (an IP literal, or "localhost"; empty means the
/// loopback address) within `timeoutMs`. Never waits longer.
ConnectResult Connect(Family family, const std::string& address, uint16_t port, int timeoutMs,
                      Socket* socket);

/// Sends small packets at once instead of batching them (TCP_NODELAY).
void DisableNagle(Socket socket);

constexpr long kWouldBlock = -1;  // nothing has arrived
constexpr long kClosed = -2;      // the peer closed or the connection failed

/// Reads what has arrived, up to `room` bytes, without waiting. Returns the
/// number of bytes read (more than 0), kWouldBlock or kClosed.
long ReceiveSome(Socket socket, void* into, size_t room);

/// Sends all of `bytes`, waiting at most `timeoutMs` for room each time the
/// system's buffer is full. False when the connection failed.
bool SendAll(Socket socket, const void* bytes, size_t count, int timeoutMs);

void CloseSocket(Socket socket);

}  // namespace net

#endif  // BRINDLEWICK_SIMCONNECT_SOCKET_H_
