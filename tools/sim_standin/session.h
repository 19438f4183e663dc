// What the stand-in simulator remembers about one connected client, and how
// it answers each of the client's packets. No sockets here: packets in,
// messages out, so every rule can be tried without a network.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_SESSION_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_SESSION_H_

#include <cstdint>
#include <map>
#include <unordered_set>
#include <string>
#include <vector>

#include "tools/sim_standin/protocol.h"

namespace standin {

// Per-client bounds; past them the request is refused with an exception, so
// a client cannot make the stand-in grow without limit.
constexpr size_t kMaxDefinitions = 1000;
constexpr size_t kMaxDatumsPerDefinition = 100;
constexpr size_t kMaxSubscriptions = 1000;
constexpr size_t kMaxObjects = 10000;
/// The most standing objects --max-objects can allow: enough for a season
/// switch of a large scenery in the benchmarks.
constexpr size_t kMaxObjectsCeiling = 1000000;

/// The object id the user aircraft answers data requests under.
constexpr uint32_t kUserObjectId = 1;

/// A simulated object a client created and has not removed.
struct SimObject {
  uint32_t id = 0;
  std::string title;
  InitPosition position;
};

/// The simulation itself: lasts for the whole run, across clients.
struct World {
  double month = 1;
  /// Ids are handed out in increasing order and never reused; 0 is never one.
  uint32_t nextObjectId = 1000;
  /// Standing objects per client, past which creation fails.
  size_t maxObjects = kMaxObjects;
  /// Titles whose creation fails.
  std::vector<std::string> refusedTitles;
  /// When set, only these titles (case-folded) can be created, as in a
  /// simulator where only they are installed.
  bool onlyInstalledTitles = false;
  std::unordered_set<std::string> installedTitles;
};

/// One datum of a data definition.
struct Datum {
  std::string name;
  std::string units;
  uint32_t type = kDataTypeFloat64;
};

struct Session {
  bool opened = false;
  /// The client's protocol number, echoed in the header of every reply.
  uint32_t version = 0;
  std::string applicationName;
  std::map<uint32_t, std::vector<Datum>> definitions;
  /// Client event id to system event name.
  std::map<uint32_t, std::string> subscriptions;
  /// Objects this client created that still stand, by id, which is also
  /// creation order; a map, so removing one of many thousands stays cheap.
  std::map<uint32_t, SimObject> objects;
};

/// Whether the connection stays up after a packet.
enum class Verdict { kKeep, kClose };

/// Answers one packet: updates `session` and `world`, and appends the
/// messages to send, in order, to `out`.
Verdict HandlePacket(const ClientPacket& packet, World* world, Session* session,
                     std::vector<ServerMessage>* out);

/// A flight starts in `month`: the month changes and every subscriber of
/// "SimStart" gets the event.
void StartFlight(double month, World* world, const Session& session,
                 std::vector<ServerMessage>* out);

/// True for the system event names the stand-in accepts subscriptions to.
bool IsKnownSystemEvent(const std::string& name);

/// The readable list of `objects`, one indented line each:
///   1000 "Title" lat 47.000000 lon -122.000000 alt 120.00 ft
/// or "    (none)\n".
std::string FormatObjects(const std::map<uint32_t, SimObject>& objects);

}  // namespace standin

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_SESSION_H_
