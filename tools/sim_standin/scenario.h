// The scenario the stand-in plays for each client, parsed from a short text:
//   launch 10; wait 500; flight 12; settle; flight 7; answered; objects 3; quit
// Steps are separated by ';' or line breaks and run in order from the
// moment the client's Open is answered.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_SCENARIO_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_SCENARIO_H_

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

enum class StepKind {
  kLaunch,    // launch M: the month the simulation starts in
  kFlight,    // flight M: the month becomes M, then "SimStart" fires
  kWait,      // wait MS: do nothing for MS milliseconds
  kSettle,    // settle [MS]: until no answer is held back and the client has
              // sent nothing for MS milliseconds (300 if not given)
  kObjects,   // objects N: until exactly N objects of the client stand
  kDelayIds,  // delay-ids MS: from now on send each assigned id MS ms late
  kAnswered,  // answered: until the client's next data request is answered
  kQuit,      // quit: send QUIT, close, end the run
  kVanish,    // vanish: close without QUIT, end the run
};

struct Step {
  StepKind kind = StepKind::kWait;
  double month = 0;     // launch, flight
  uint32_t number = 0;  // milliseconds for wait, settle and delay-ids; count for objects
};

/// Steps that wait on the client give up after this long, so a client that
/// never does what the scenario expects cannot hang a test run.
constexpr uint32_t kConditionLimitMs = 10000;

/// Parses `text` into `steps`. On a mistake returns false and puts a
/// message naming the step and what to write instead into `error`.
bool ParseScenario(const std::string& text, std::vector<Step>* steps, std::string* error);

/// The step as it would be written, e.g. "flight 12".
std::string DescribeStep(const Step& step);

}  // namespace standin

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_SCENARIO_H_
