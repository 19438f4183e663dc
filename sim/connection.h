// The SimConnect connection: opening it, the dispatch loop and the handling
// of the simulator's messages.
#ifndef BRINDLEWICK_SIM_CONNECTION_H_
#define BRINDLEWICK_SIM_CONNECTION_H_

#include <stdint.h>

#include "season/season_codes.h"
#include "simconnect/simconnect.h"

enum : SIMCONNECT_DATA_DEFINITION_ID { DEF_MONTH_ON_START = 0, DEF_MONTH_AT_LAUNCH = 1 };
enum : SIMCONNECT_DATA_REQUEST_ID { REQUEST_MONTH_ON_START = 0, REQUEST_MONTH_AT_LAUNCH = 1 };
enum : SIMCONNECT_CLIENT_EVENT_ID { EVENT_SIM_START = 0 };

extern HANDLE simConnectHandle;
extern int32_t quitRequested;
extern double lastMonth;
extern SeasonCode currentSeason;
extern SeasonCode appliedSeason;

/// Connects, places the season's objects and handles messages until the
/// simulator quits. Returns false, at once, when no connection can be opened.
bool RunSimConnection();

/// The dispatch procedure handed to SimConnect_CallDispatch.
void SIMCONNECT_CALL OnSimMessage(SIMCONNECT_RECV* data, DWORD size, void* context);

/// Puts the connection state back to its start values; for tests.
void ResetConnectionStateForTesting();

#endif  // BRINDLEWICK_SIM_CONNECTION_H_
