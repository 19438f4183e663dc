// SimConnect.cfg, read the way the simulator's client library reads it: an
// INI file with ';' comments whose section [SimConnect.N] (or [SimConnect]
// for N = 0) says where configuration index N connects to.
#ifndef BRINDLEWICK_SIMCONNECT_CONFIG_H_
#define BRINDLEWICK_SIMCONNECT_CONFIG_H_

#include <stdint.h>

#include <string>

#include "simconnect/simconnect.h"

namespace config {

enum class Protocol { kIpv4, kIpv6 };

struct ClientConfig {
  Protocol protocol = Protocol::kIpv4;
  std::string address;  // empty: the loopback address of the protocol
  uint16_t port = 500;  // the port of the SDK's sample files
  DWORD maxReceiveSize = 65536;
  bool disableNagle = false;
};

constexpr const char* kFileName = "SimConnect.cfg";

/// Index that ignores SimConnect.cfg and connects to this machine.
constexpr DWORD kConfigIndexLocal = 0xFFFFFFFFu;

/// Reads configuration `index` from the text of a SimConnect.cfg. On a
/// mistake returns false and puts a one-line reason, naming the line and
/// what to write instead, into `error`.
bool ParseClientConfig(const std::string& text, DWORD index, ClientConfig* config,
                       std::string* error);

/// Reads configuration `index` from `path`; a missing file gives the
/// defaults. Errors are prefixed with the file name.
bool LoadClientConfig(const char* path, DWORD index, ClientConfig* config, std::string* error);

}  // namespace config

#endif  // BRINDLEWICK_SIMCONNECT_CONFIG_H_
