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

/// How long SimConnect_CallDispatch may fail, call after call, before the
/// connection counts as lost. The library fails a call now and then and goes on.
const unsigned kLostConnectionMs = 1000;

/// The clock the dispatch loop measures failures with; tests put a fake here.
extern unsigned (*connectionClock)();

enum class ConnectionEnd {
  kNotInstalled,  // no SimConnect library to load; nothing was called
  kNotOpened,     // SimConnect_Open failed; nothing else was called or released
  kQuit,          // the simulator quit
  kLost,          // dispatching failed for kLostConnectionMs or longer
};

/// Connects, places the season's objects and handles messages until the
/// simulator quits or the connection is lost; either way the connection is
/// closed and the table and the store are released. Returns at once when no
/// SimConnect is installed or no connection can be opened.
ConnectionEnd RunSimConnection();

/// The dispatch procedure handed to SimConnect_CallDispatch.
void SIMCONNECT_CALL OnSimMessage(SIMCONNECT_RECV* data, DWORD size, void* context);

/// Puts the connection state back to its start values; for tests.
void ResetConnectionStateForTesting();

#endif  // BRINDLEWICK_SIM_CONNECTION_H_
