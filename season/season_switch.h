// Replacing the objects of one season with those of another.
//
// Request IDs, one numbering for the whole program: 0 the month at each flight
// start, 1 the month at launch, 2 + i the creation and removal of variant i.
#ifndef BRINDLEWICK_SEASON_SEASON_SWITCH_H_
#define BRINDLEWICK_SEASON_SEASON_SWITCH_H_

#include <stddef.h>

#include <vector>

#include "simconnect/simconnect.h"

/// One simulator object ID per season variant; 0 where the program holds no
/// object it created and has not yet asked to remove.
typedef std::vector<SIMCONNECT_OBJECT_ID> ObjectIdTable;

extern ObjectIdTable* objectIds;

const SIMCONNECT_DATA_REQUEST_ID kFirstVariantRequest = 2;

/// A table of `slots` empty slots.
ObjectIdTable* CreateObjectIdTable(size_t slots);

/// Asks the simulator to remove every object recorded in `objectIds`, then
/// to create every variant of `currentSeason` at its entry's position.
void SwitchSeason();

#endif  // BRINDLEWICK_SEASON_SEASON_SWITCH_H_
