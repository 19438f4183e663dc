// A SimConnect double for unit tests: it records every call with its
// arguments as one line of text, and answers each SimConnect_CallDispatch
// call with the next scripted step: a batch of messages, or a failure.
#ifndef BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_
#define BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_

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
  HRESULT openResult = S_OK;
  std::deque<Step> steps;  // once used up, a dispatch call succeeds with nothing
  std::vector<std::string> calls;
  unsigned now = 0;  // the fake clock
};

extern Script script;

void Reset();
void Deliver(std::vector<Message> batch);
/// A dispatch call that fails `advanceMs` after the previous step.
void Fail(unsigned advanceMs);
/// The fake clock, for connectionClock.
unsigned Now();

Message Quit();
Message Event(DWORD eventId);
Message Month(DWORD requestId, double month);
Message AssignedId(DWORD requestId, DWORD objectId);
/// A message of kind `id`, `size` bytes long: the header, `fields`, zeros.
Message Other(DWORD id, DWORD size, std::vector<DWORD> fields = {});

}  // namespace recording

#endif  // BRINDLEWICK_TESTS_RECORDING_SIMCONNECT_H_
