// A SimConnect double for unit tests: it records every call with its
// arguments as one line of text and delivers scripted messages, one batch per
// SimConnect_CallDispatch call.
#ifndef BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_
#define BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_

#include <deque>
#include <string>
#include <vector>

#include "simconnect/simconnect.h"

namespace recording {

typedef std::vector<unsigned char> Message;

/// What the double has been told and what it has seen.
struct Script {
  HRESULT openResult = S_OK;
  std::deque<std::vector<Message>> batches;  // one per dispatch call
  std::vector<std::string> calls;            // every call, in order
  int dispatchCalls = 0;
};

extern Script script;

/// Forgets all calls and batches.
void Reset();

/// Queues one batch of messages for the next dispatch call that has none.
void Deliver(std::vector<Message> batch);

Message Quit();
Message Event(DWORD eventId);
Message Month(DWORD requestId, double month);
Message AssignedId(DWORD requestId, DWORD objectId);
Message Exception(DWORD exception);
Message Open();

}  // namespace recording

#endif  // BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_
