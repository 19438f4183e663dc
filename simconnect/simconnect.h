// The part of the published SimConnect interface (FSX SP2) that Brindlewick uses.
//
// The core calls these functions directly. Which code answers is decided when
// linking: SimConnect.dll on Windows, our own network client elsewhere, and a
// recording double in the unit tests. Layouts follow the published header:
// packed to 1 byte, little-endian, received messages derived from
// SIMCONNECT_RECV by appending fields.
#ifndef BRINDLEWICK_SIMCONNECT_SIMCONNECT_H_
#define BRINDLEWICK_SIMCONNECT_SIMCONNECT_H_

#include <stdint.h>

// Windows' own base types, declared exactly as <windows.h> declares them so
// both may meet in one translation unit without pulling <windows.h> in here.
#if defined(_WIN32)
typedef unsigned long DWORD;
typedef long HRESULT;
#else
typedef uint32_t DWORD;
typedef int32_t HRESULT;
#endif
typedef void* HANDLE;
typedef const char* LPCSTR;
struct HWND__;
typedef struct HWND__* HWND;

#if defined(_WIN32) && !defined(_WIN64)
#define SIMCONNECT_CALL __stdcall
#else
#define SIMCONNECT_CALL
#endif

#ifndef S_OK
#define S_OK ((HRESULT)0L)
#endif
#ifndef E_FAIL
#define E_FAIL ((HRESULT)0x80004005L)
#endif

typedef DWORD SIMCONNECT_OBJECT_ID;
typedef DWORD SIMCONNECT_DATA_DEFINITION_ID;
typedef DWORD SIMCONNECT_DATA_REQUEST_ID;
typedef DWORD SIMCONNECT_CLIENT_EVENT_ID;

static const DWORD SIMCONNECT_UNUSED = 0xFFFFFFFFu;
static const DWORD SIMCONNECT_OBJECT_ID_USER = 0;

enum SIMCONNECT_RECV_ID {
  SIMCONNECT_RECV_ID_NULL = 0,
  SIMCONNECT_RECV_ID_EXCEPTION = 1,
  SIMCONNECT_RECV_ID_OPEN = 2,
  SIMCONNECT_RECV_ID_QUIT = 3,
  SIMCONNECT_RECV_ID_EVENT = 4,
  SIMCONNECT_RECV_ID_SIMOBJECT_DATA = 8,
  SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE = 9,
  SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID = 12,
};

enum SIMCONNECT_DATATYPE {
  SIMCONNECT_DATATYPE_INVALID = 0,
  SIMCONNECT_DATATYPE_INT32 = 1,
  SIMCONNECT_DATATYPE_INT64 = 2,
  SIMCONNECT_DATATYPE_FLOAT32 = 3,
  SIMCONNECT_DATATYPE_FLOAT64 = 4,
};

enum SIMCONNECT_SIMOBJECT_TYPE {
  SIMCONNECT_SIMOBJECT_TYPE_USER = 0,
  SIMCONNECT_SIMOBJECT_TYPE_ALL = 1,
  SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT = 2,
  SIMCONNECT_SIMOBJECT_TYPE_HELICOPTER = 3,
  SIMCONNECT_SIMOBJECT_TYPE_BOAT = 4,
  SIMCONNECT_SIMOBJECT_TYPE_GROUND = 5,
};

enum SIMCONNECT_EXCEPTION {
  SIMCONNECT_EXCEPTION_NONE = 0,
  SIMCONNECT_EXCEPTION_ERROR = 1,
  SIMCONNECT_EXCEPTION_SIZE_MISMATCH = 2,
  SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID = 3,
  SIMCONNECT_EXCEPTION_UNOPENED = 4,
  SIMCONNECT_EXCEPTION_VERSION_MISMATCH = 5,
  SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED = 7,
  SIMCONNECT_EXCEPTION_INVALID_DATA_TYPE = 18,
  SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED = 22,
};

#pragma pack(push, 1)

struct SIMCONNECT_RECV {
  DWORD dwSize;  // whole message, header included
  DWORD dwVersion;
  DWORD dwID;  // a SIMCONNECT_RECV_ID
};

struct SIMCONNECT_RECV_EXCEPTION : SIMCONNECT_RECV {
  DWORD dwException;
  DWORD dwSendID;  // the offending packet's send ID; 0 when unknown
  DWORD dwIndex;   // 1-based bad argument; 0xFFFFFFFF when unknown
};

struct SIMCONNECT_RECV_OPEN : SIMCONNECT_RECV {
  char szApplicationName[256];
  DWORD dwApplicationVersionMajor;
  DWORD dwApplicationVersionMinor;
  DWORD dwApplicationBuildMajor;
  DWORD dwApplicationBuildMinor;
  DWORD dwSimConnectVersionMajor;
  DWORD dwSimConnectVersionMinor;
  DWORD dwSimConnectBuildMajor;
  DWORD dwSimConnectBuildMinor;
  DWORD dwReserved1;
  DWORD dwReserved2;
};

struct SIMCONNECT_RECV_QUIT : SIMCONNECT_RECV {};

struct SIMCONNECT_RECV_EVENT : SIMCONNECT_RECV {
  static const DWORD UNKNOWN_GROUP = 0xFFFFFFFFu;
  DWORD uGroupID;
  DWORD uEventID;
  DWORD dwData;
};

struct SIMCONNECT_RECV_SIMOBJECT_DATA : SIMCONNECT_RECV {
  DWORD dwRequestID;
  DWORD dwObjectID;
  DWORD dwDefineID;
  DWORD dwFlags;
  DWORD dwentrynumber;
  DWORD dwoutof;
  DWORD dwDefineCount;
  DWORD dwData;  // first 4 bytes of the data; the rest follow in the message
};

struct SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE : SIMCONNECT_RECV_SIMOBJECT_DATA {};

struct SIMCONNECT_RECV_ASSIGNED_OBJECT_ID : SIMCONNECT_RECV {
  DWORD dwRequestID;
  DWORD dwObjectID;
};

struct SIMCONNECT_DATA_INITPOSITION {
  double Latitude;   // degrees
  double Longitude;  // degrees
  double Altitude;   // feet
  double Pitch;
  double Bank;
  double Heading;
  DWORD OnGround;  // 1 puts the object on the ground
  DWORD Airspeed;  // knots
};

#pragma pack(pop)

// The program reads these sizes straight off the wire, so they must not drift.
static_assert(sizeof(DWORD) == 4, "DWORD is 32 bits");
static_assert(sizeof(SIMCONNECT_RECV) == 12, "RECV header");
static_assert(sizeof(SIMCONNECT_RECV_EXCEPTION) == 24, "RECV_EXCEPTION");
static_assert(sizeof(SIMCONNECT_RECV_OPEN) == 308, "RECV_OPEN");
static_assert(sizeof(SIMCONNECT_RECV_EVENT) == 24, "RECV_EVENT");
static_assert(sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) == 44, "RECV_SIMOBJECT_DATA");
static_assert(sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE) == 44, "BYTYPE");
static_assert(sizeof(SIMCONNECT_RECV_ASSIGNED_OBJECT_ID) == 20, "ASSIGNED_OBJECT_ID");
static_assert(sizeof(SIMCONNECT_DATA_INITPOSITION) == 56, "INITPOSITION");

typedef void(SIMCONNECT_CALL* DispatchProc)(SIMCONNECT_RECV* pData, DWORD cbData, void* pContext);

extern "C" {
HRESULT SIMCONNECT_CALL SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND hWnd,
                                        DWORD UserEventWin32, HANDLE hEventHandle,
                                        DWORD ConfigIndex);
HRESULT SIMCONNECT_CALL SimConnect_Close(HANDLE hSimConnect);
HRESULT SIMCONNECT_CALL SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch,
                                                void* pContext);
HRESULT SIMCONNECT_CALL SimConnect_AddToDataDefinition(HANDLE hSimConnect,
                                                       SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                                       const char* DatumName, const char* UnitsName,
                                                       SIMCONNECT_DATATYPE DatumType,
                                                       float fEpsilon, DWORD DatumID);
HRESULT SIMCONNECT_CALL SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect,
                                                          SIMCONNECT_CLIENT_EVENT_ID EventID,
                                                          const char* SystemEventName);
HRESULT SIMCONNECT_CALL SimConnect_RequestDataOnSimObjectType(
    HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
    SIMCONNECT_DATA_DEFINITION_ID DefineID, DWORD dwRadiusMeters, SIMCONNECT_SIMOBJECT_TYPE type);
HRESULT SIMCONNECT_CALL SimConnect_AICreateSimulatedObject(HANDLE hSimConnect,
                                                           const char* szContainerTitle,
                                                           SIMCONNECT_DATA_INITPOSITION InitPos,
                                                           SIMCONNECT_DATA_REQUEST_ID RequestID);
HRESULT SIMCONNECT_CALL SimConnect_AIRemoveObject(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                                  SIMCONNECT_DATA_REQUEST_ID RequestID);
// The send ID of the last packet sent; exceptions name packets by it.
HRESULT SIMCONNECT_CALL SimConnect_GetLastSentPacketID(HANDLE hSimConnect, DWORD* pdwSendID);
}

#endif  // BRINDLEWICK_SIMCONNECT_SIMCONNECT_H_
