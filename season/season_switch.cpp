#include "season/season_switch.h"

#include "app/author_mode.h"
#include "placement/store.h"
#include "season/season_codes.h"
#include "sim/connection.h"

ObjectIdTable* objectIds = nullptr;

ObjectIdTable* CreateObjectIdTable(size_t slots) { return new ObjectIdTable(slots, 0); }

void SwitchSeason() {
  const PlacementStore& store = *placementStore;
  ObjectIdTable& slots = *objectIds;
  size_t variants = store.variantTitles.size();
  NoteSeasonSwitch();

  // Only objects we created and have not yet asked to remove: ID 0 is the
  // user's own aircraft, and a removed object's ID may since belong to another.
  for (size_t i = 0; i < variants; ++i) {
    if (slots[i] == 0) continue;
    SimConnect_AIRemoveObject(simConnectHandle, slots[i],
                              static_cast<SIMCONNECT_DATA_REQUEST_ID>(kFirstVariantRequest + i));
    slots[i] = 0;
  }

  size_t first = 0;
  for (size_t k = 0; k < store.variantCounts.size(); ++k) {
    size_t count = static_cast<size_t>(store.variantCounts[k]);
    for (size_t v = first; v < first + count; ++v) {
      if (ParseSeasonCode(store.variantTypes[v]) != currentSeason) continue;
      SIMCONNECT_DATA_INITPOSITION position;
      position.Latitude = store.entryLatitudes[k];
      position.Longitude = store.entryLongitudes[k];
      position.Altitude = store.entryAltitudes[k];
      position.Pitch = 0.0;
      position.Bank = 0.0;
      position.Heading = 0.0;
      position.OnGround = 1;
      position.Airspeed = 0;
      SimConnect_AICreateSimulatedObject(
          simConnectHandle, store.variantTitles[v].c_str(), position,
          static_cast<SIMCONNECT_DATA_REQUEST_ID>(kFirstVariantRequest + v));
      NoteCreationSent(v);
    }
    first += count;
  }
}
