// Fuzzes what comes back from the simulator: arbitrary bytes, arriving in
// arbitrary pieces, cut into messages by the network client's framing and
// handed to the program's message handler, as the dispatch loop does.
//
// Input: one byte choosing the receive limit, then pieces, each a length
// byte followed by that many bytes.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml.h>

#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "sim/connection.h"
#include "simconnect/wire.h"

namespace {

const char kScenery[] =
    "<SimObjectEntry><H Dir='a'/><Season Type='SU' SimTitle='s'/><Season Type='HW' SimTitle='h'/>"
    "<PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>"
    "<SimObjectEntry><H Dir='b'/><Season Type='FA' SimTitle='f'/>"
    "<PlacementData Lat='4' Lon='5' Alt='6'/></SimObjectEntry>";

void StartProgram() {
  ClearWorkingSetForTesting();
  if (placementStore) DestroyPlacementStore(placementStore);
  placementStore = CreatePlacementStore();
  TiXmlDocument document;
  document.Parse(kScenery);
  ReadPlacementDocument(document);
  delete objectIds;
  objectIds = CreateObjectIdTable(placementStore->variantTitles.size());
  ResetConnectionStateForTesting();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!freopen("/dev/null", "w", stdout)) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  StartProgram();
  wire::Inbox inbox;
  const DWORD limits[] = {308, 1024, 4096, wire::kDefaultMaxReceiveSize};
  wire::ResetInbox(&inbox, limits[data[0] % 4]);
  size_t at = 1;
  while (at < size && !quitRequested) {
    size_t piece = data[at++];
    piece = piece < size - at ? piece : size - at;
    while (piece > 0) {
      size_t room;
      uint8_t* space = wire::InboxSpace(&inbox, &room);
      if (room == 0) abort();  // the inbox must always take more once drained
      size_t count = piece < room ? piece : room;
      memcpy(space, data + at, count);
      wire::InboxReceived(&inbox, count);
      at += count;
      piece -= count;
      SIMCONNECT_RECV* message;
      DWORD messageSize;
      wire::Next next;
      while ((next = wire::NextMessage(&inbox, &message, &messageSize)) == wire::Next::kMessage) {
        if (messageSize < sizeof(SIMCONNECT_RECV) || messageSize != message->dwSize) abort();
        OnSimMessage(message, messageSize, nullptr);
      }
      if (next == wire::Next::kMalformed) return 0;
    }
  }
  return 0;
}
