#include "tools/sim_standin/scenario.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tools/sim_standin/session.h"

namespace standin {

namespace {

constexpr uint32_t kDefaultSettleMs = 300;

bool ParseMonth(const std::string& word, double* month) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  double value = std::strtod(word.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value)) return false;
  *month = value;
  return true;
}

bool ParseCount(const std::string& word, uint32_t limit, uint32_t* number) {
  if (word.empty() || word.size() > 9) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  unsigned long value = std::strtoul(word.c_str(), nullptr, 10);
  if (value > limit) return false;
  *number = static_cast<uint32_t>(value);
  return true;
}

std::vector<std::string> SplitSteps(const std::string& text) {
  std::vector<std::string> pieces(1);
  for (char c : text) {
    if (c == ';' || c == '\n') {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

// Reads one step's words; returns an empty string on success, otherwise the
// advice for this step.
std::string ParseStep(const std::vector<std::string>& words, Step* step) {
  const std::string& verb = words[0];
  const std::string argument = words.size() > 1 ? words[1] : "";
  size_t maxWords = 2;
  std::string advice;
  if (verb == "launch" || verb == "flight") {
    step->kind = verb == "launch" ? StepKind::kLaunch : StepKind::kFlight;
    if (!ParseMonth(argument, &step->month)) {
      advice = verb + " needs a month number, e.g. \"" + verb + " 12\"";
    }
  } else if (verb == "wait") {
    step->kind = StepKind::kWait;
    if (!ParseCount(argument, 3600000, &step->number)) {
      advice = "wait needs milliseconds from 0 to 3600000, e.g. \"wait 500\"";
    }
  } else if (verb == "settle") {
    step->kind = StepKind::kSettle;
    step->number = kDefaultSettleMs;
    if (!argument.empty() &&
        (!ParseCount(argument, kConditionLimitMs, &step->number) || step->number == 0)) {
      advice = "settle takes quiet milliseconds from 1 to 10000, e.g. \"settle 300\"";
    }
  } else if (verb == "objects") {
    step->kind = StepKind::kObjects;
    if (!ParseCount(argument, kMaxObjectsCeiling, &step->number)) {
      advice = "objects needs a count from 0 to " + std::to_string(kMaxObjectsCeiling) +
               ", e.g. \"objects 2\"";
    }
  } else if (verb == "delay-ids") {
    step->kind = StepKind::kDelayIds;
    if (!ParseCount(argument, 60000, &step->number)) {
      advice = "delay-ids needs milliseconds from 0 to 60000, e.g. \"delay-ids 200\"";
    }
  } else if (verb == "answered") {
    step->kind = StepKind::kAnswered;
    maxWords = 1;
  } else if (verb == "quit" || verb == "vanish") {
    step->kind = verb == "quit" ? StepKind::kQuit : StepKind::kVanish;
    maxWords = 1;
  } else {
    return "unknown step; use launch, flight, wait, settle, objects, delay-ids, answered, quit "
           "or vanish";
  }
  if (advice.empty() && words.size() > maxWords) {
    advice = "too many words; write \"" + DescribeStep(*step) + "\"";
  }
  return advice;
}

}  // namespace

bool ParseScenario(const std::string& text, std::vector<Step>* steps, std::string* error) {
  steps->clear();
  int number = 0;
  for (const std::string& piece : SplitSteps(text)) {
    std::istringstream stream(piece);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.empty()) continue;
    ++number;
    std::string shown = words[0];
    for (size_t i = 1; i < words.size(); ++i) shown += " " + words[i];
    std::string where = "scenario step " + std::to_string(number) + " \"" + shown + "\": ";
    if (!steps->empty() &&
        (steps->back().kind == StepKind::kQuit || steps->back().kind == StepKind::kVanish)) {
      *error = where + "nothing can follow " + DescribeStep(steps->back()) + ", which ends the run";
      return false;
    }
    Step step;
    std::string advice = ParseStep(words, &step);
    if (!advice.empty()) {
      *error = where + advice;
      return false;
    }
    steps->push_back(step);
  }
  return true;
}

std::string DescribeStep(const Step& step) {
  char month[64];
  std::snprintf(month, sizeof month, "%g", step.month);
  std::string number = std::to_string(step.number);
  switch (step.kind) {
    case StepKind::kLaunch:
      return std::string("launch ") + month;
    case StepKind::kFlight:
      return std::string("flight ") + month;
    case StepKind::kWait:
      return "wait " + number;
    case StepKind::kSettle:
      return "settle " + number;
    case StepKind::kObjects:
      return "objects " + number;
    case StepKind::kDelayIds:
      return "delay-ids " + number;
    case StepKind::kAnswered:
      return "answered";
    case StepKind::kQuit:
      return "quit";
    case StepKind::kVanish:
      return "vanish";
  }
  return "";
}

}  // namespace standin
