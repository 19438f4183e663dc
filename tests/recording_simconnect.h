// A SimConnect double for unit tests: it records every call with its
// arguments as one line of text, and answers each SimConnect_CallDispatch
// call with the next scripted step: a batch of messages, or a failure.
#ifndef BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_
#define BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_

#include <string.h>

#include <deque>
#include <string>
#include <vector>

#include "simconnect/simconnect.h"

namespace recording {

typedef std::vector<unsigned char> Message;

struct Step {
  HRESULT result;
  unsigned advanceMs;  // the fake clock moves on by this much first
  std::vector<Message> messages;
};

struct Script {
  bool installed = true;  // what LoadSimConnect says
  std::string unusable;   // not installed: why the one there cannot be used
  HRESULT openResult = S_OK;
  std::deque<Step> steps;  // once used up, a dispatch call succeeds with nothing
  std::vector<std::string> calls;
  unsigned now = 0;  // the fake clock
};

extern Script script;

inline void Reset() { script = Script(); }
inline void Deliver(std::vector<Message> batch) { script.steps.push_back({S_OK, 0, batch}); }
/// A dispatch call that fails `advanceMs` after the previous step.
inline void Fail(unsigned advanceMs) { script.steps.push_back({E_FAIL, advanceMs, {}}); }
/// The fake clock, for connectionClock.
inline unsigned Now() { return script.now; }

/// A message of kind `id`, `size` bytes long: the header, `fields`, zeros.
Message Other(DWORD id, DWORD size, std::vector<DWORD> fields = {});
inline Message Quit() { return Other(SIMCONNECT_RECV_ID_QUIT, 12); }
inline Message Event(DWORD id) { return Other(SIMCONNECT_RECV_ID_EVENT, 24, {0xFFFFFFFFu, id}); }
inline Message AssignedId(DWORD request, DWORD object) {
  return Other(SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID, 20, {request, object});
}
inline Message Month(DWORD request, double month) {
  DWORD bits[2];
  memcpy(bits, &month, sizeof bits);
  return Other(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, 48,
               {request, 0, 0, 0, 1, 1, 1, bits[0], bits[1]});
}

}  // namespace recording

#endif  // BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_
