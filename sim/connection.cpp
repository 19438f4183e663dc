#include "sim/connection.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "app/author_mode.h"
#include "os/os.h"
#include "output/output.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "simconnect/library.h"

HANDLE simConnectHandle = nullptr;
int32_t quitRequested = 0;
double lastMonth = 1.0;
SeasonCode currentSeason = 0;
SeasonCode appliedSeason = 0;
unsigned (*connectionClock)() = os::MonotonicMilliseconds;

namespace {

void RequestMonth(SIMCONNECT_DATA_REQUEST_ID request, SIMCONNECT_DATA_DEFINITION_ID definition) {
  SimConnect_RequestDataOnSimObjectType(simConnectHandle, request, definition, 0,
                                        SIMCONNECT_SIMOBJECT_TYPE_USER);
}

void OnMonth(const SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE* reply) {
  // Both definitions hold one FLOAT64, which starts where dwData does.
  double month;
  memcpy(&month, &reply->dwData, sizeof month);

  if (reply->dwRequestID == REQUEST_MONTH_AT_LAUNCH) {
    ConsolePrintf("\nFSX Init Request...\n");
    lastMonth = month;
    currentSeason = appliedSeason = MonthToSeason(month);
    // The slots are not cleared here: objects a flight start already placed
    // are still ours, and this switch removes them.
    SwitchSeason();
    ConsolePrintf("\nFSX SimObject Creation History:\n");
  } else if (reply->dwRequestID == REQUEST_MONTH_ON_START) {
    if (SeasonPreviewHolds()) return;  // the author chose the season by key
    if (month == lastMonth) return;
    lastMonth = month;
    currentSeason = MonthToSeason(month);
    if (currentSeason == appliedSeason) return;
    ConsolePrintf("\n\nSeason changed!");
    SwitchSeason();
    appliedSeason = currentSeason;
  }
}

void OnAssignedObjectId(const SIMCONNECT_RECV_ASSIGNED_OBJECT_ID* reply) {
  size_t variants = placementStore->variantTitles.size();
  if (reply->dwRequestID < kFirstVariantRequest) return;
  if (TakeStaleObjectId(reply->dwRequestID, reply->dwObjectID)) return;
  size_t i = reply->dwRequestID - kFirstVariantRequest;
  if (i >= variants) return;
  // 0 is the user's own aircraft, never an object of ours: not to be removed.
  if (reply->dwObjectID == 0) return;
  SIMCONNECT_OBJECT_ID& slot = (*objectIds)[i];
  // IDs arrive late: after a switch to another season, or after a second
  // creation of the variant. Such an object would stand unrecorded, so it
  // goes at once.
  if (slot != 0 || ParseSeasonCode(placementStore->variantTypes[i]) != currentSeason) {
    SimConnect_AIRemoveObject(simConnectHandle, reply->dwObjectID, reply->dwRequestID);
    return;
  }
  slot = reply->dwObjectID;
  ConsolePrintf("\n  Created %s", placementStore->variantTitles[i].c_str());
}

DWORD MinimumSize(DWORD id) {
  switch (id) {
    case SIMCONNECT_RECV_ID_EXCEPTION:
      return sizeof(SIMCONNECT_RECV_EXCEPTION);
    case SIMCONNECT_RECV_ID_EVENT:
      return sizeof(SIMCONNECT_RECV_EVENT);
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
      return sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD) + sizeof(double);
    case SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID:
      return sizeof(SIMCONNECT_RECV_ASSIGNED_OBJECT_ID);
    default:
      return sizeof(SIMCONNECT_RECV);
  }
}

// Also the end after a lost connection: the data goes as after a quit.
void OnQuit() {
  quitRequested = 1;
  delete objectIds;
  objectIds = nullptr;
  if (placementStore) {
    DestroyPlacementStore(placementStore);
    placementStore = nullptr;
  }
}

}  // namespace

void SIMCONNECT_CALL OnSimMessage(SIMCONNECT_RECV* data, DWORD size, void* /*context*/) {
  // Messages delivered after the quit in the same dispatch call find the
  // table and the store already released.
  if (quitRequested) return;
  // A message too short for what is read from it is not trusted.
  if (size < MinimumSize(data->dwID)) return;
  switch (data->dwID) {
    case SIMCONNECT_RECV_ID_QUIT:
      OnQuit();
      break;
    case SIMCONNECT_RECV_ID_EVENT:
      if (static_cast<SIMCONNECT_RECV_EVENT*>(data)->uEventID == EVENT_SIM_START) {
        RequestMonth(REQUEST_MONTH_ON_START, DEF_MONTH_ON_START);
      }
      break;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
      OnMonth(static_cast<SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE*>(data));
      break;
    case SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID:
      OnAssignedObjectId(static_cast<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID*>(data));
      break;
    case SIMCONNECT_RECV_ID_EXCEPTION:
      OnSimException(static_cast<SIMCONNECT_RECV_EXCEPTION*>(data));
      break;
    default:
      break;
  }
}

ConnectionEnd RunSimConnection() {
  if (!LoadSimConnect()) return ConnectionEnd::kNotInstalled;
  if (SimConnect_Open(&simConnectHandle, "System Event", nullptr, 0, nullptr, 0) < 0) {
    return ConnectionEnd::kNotOpened;
  }
  SimConnect_AddToDataDefinition(simConnectHandle, DEF_MONTH_ON_START, "ZULU MONTH OF YEAR",
                                 "Number", SIMCONNECT_DATATYPE_FLOAT64, 0.0f, SIMCONNECT_UNUSED);
  SimConnect_AddToDataDefinition(simConnectHandle, DEF_MONTH_AT_LAUNCH, "ZULU MONTH OF YEAR",
                                 "Number", SIMCONNECT_DATATYPE_FLOAT64, 0.0f, SIMCONNECT_UNUSED);
  SimConnect_SubscribeToSystemEvent(simConnectHandle, EVENT_SIM_START, "SimStart");
  RequestMonth(REQUEST_MONTH_AT_LAUNCH, DEF_MONTH_AT_LAUNCH);

  // A simulator that crashes sends no quit; its library fails every later
  // dispatch call instead, and without this the program would poll forever.
  bool failing = false;
  unsigned failingSince = 0;
  bool lost = false;
  while (quitRequested == 0) {
    if (SimConnect_CallDispatch(simConnectHandle, OnSimMessage, nullptr) >= 0) {
      failing = false;
    } else if (quitRequested == 0) {  // a quit in a failing call is still a quit
      unsigned now = connectionClock();
      if (!failing) {
        failing = true;
        failingSince = now;
      } else if (now - failingSince >= kLostConnectionMs) {
        lost = true;
        break;
      }
    }
    AuthorModePass();
    FlushLog();  // a run killed while it waits leaves its log whole
    os::SleepMilliseconds(1);
  }
  StopAuthorMode();
  SimConnect_Close(simConnectHandle);
  if (!lost) return ConnectionEnd::kQuit;
  OnQuit();
  return ConnectionEnd::kLost;
}

void ResetConnectionStateForTesting() {
  simConnectHandle = nullptr;
  quitRequested = 0;
  lastMonth = 1.0;
  currentSeason = 0;
  appliedSeason = 0;
  connectionClock = os::MonotonicMilliseconds;
}
