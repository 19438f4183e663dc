// Fuzzes the stand-in simulator's side of the wire: arbitrary client bytes,
// arriving in arbitrary pieces, framed, decoded, described for the transcript
// and answered as the server does, with flight starts in between. A client
// whose bytes are malformed, or whose Open is refused, is dropped and the
// rest of the input comes from the next client, against the same world.
//
// Input: one byte of settings, then pieces, each a length byte followed by
// that many bytes; a length of 0 is a flight start in the month of the next
// byte (divided by 8, so fractions and months past 12 occur).
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "tools/sim_standin/protocol.h"
#include "tools/sim_standin/session.h"
#include "tools/sim_standin/transcript.h"

namespace {

using namespace standin;

void Check(bool condition) {
  if (!condition) abort();
}

// The session's bounds hold whatever the client sent.
void CheckSession(const Session& session, const World& world) {
  Check(session.definitions.size() <= kMaxDefinitions);
  for (const auto& [id, datums] : session.definitions) {
    Check(!datums.empty() && datums.size() <= kMaxDatumsPerDefinition);
  }
  Check(session.subscriptions.size() <= kMaxSubscriptions);
  Check(session.objects.size() <= world.maxObjects);
  for (const auto& [id, object] : session.objects) {
    Check(object.id == id);
    Check(object.id != 0 && (world.nextObjectId == 0 || object.id < world.nextObjectId));
  }
}

// Every message encodes to a whole message whose header tells its length.
void Send(const std::vector<ServerMessage>& messages, const Session& session) {
  for (const ServerMessage& message : messages) {
    std::vector<uint8_t> bytes = EncodeMessage(message, session.version);
    Check(bytes.size() >= kServerHeaderSize);
    Check(Reader(bytes.data(), bytes.size()).U32() == bytes.size());
    JsonLine line;
    DescribeMessage(message, session.version, &line);
    Check(!line.str().empty());
  }
}

struct Client {
  Session session;
  std::vector<uint8_t> in;
};

// As the server's read loop does: every whole packet at the front is
// answered. False when the client is dropped or hung up on.
bool Take(Client* client, World* world) {
  size_t offset = 0;
  bool keep = true;
  while (keep) {
    size_t size = 0;
    std::string problem;
    FrameState state =
        CheckFrame(client->in.data() + offset, client->in.size() - offset, &size, &problem);
    if (state == FrameState::kIncomplete) break;
    if (state == FrameState::kMalformed) {
      Check(!problem.empty());
      return false;
    }
    Check(size >= kClientHeaderSize && size <= kMaxPacketSize &&
          size <= client->in.size() - offset);
    ClientPacket packet = DecodePacket(client->in.data() + offset, size);
    offset += size;
    JsonLine line;
    DescribePacket(packet, &line);
    std::vector<ServerMessage> replies;
    keep = HandlePacket(packet, world, &client->session, &replies) == Verdict::kKeep;
    Send(replies, client->session);
    CheckSession(client->session, *world);
  }
  client->in.erase(client->in.begin(), client->in.begin() + static_cast<std::ptrdiff_t>(offset));
  // What waits is part of one packet, which the frame check bounds.
  Check(client->in.size() < kMaxPacketSize);
  return keep;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  World world;
  if (data[0] & 1) world.refusedTitles.push_back("Oak Tree");
  if (data[0] & 2) world.nextObjectId = 0xFFFFFFF0;  // near the end of the ids
  Client client;
  size_t at = 1;
  while (at < size) {
    size_t piece = data[at++];
    if (piece == 0) {
      double month = at < size ? data[at++] / 8.0 : 12;
      std::vector<ServerMessage> events;
      StartFlight(month, &world, client.session, &events);
      Send(events, client.session);
      continue;
    }
    piece = std::min(piece, size - at);
    client.in.insert(client.in.end(), data + at, data + at + piece);
    at += piece;
    if (!Take(&client, &world)) client = Client();
  }
  return 0;
}
