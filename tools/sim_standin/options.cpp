#include "tools/sim_standin/options.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace standin {

const char kUsage[] =
    "usage: sim-standin [--port N] [--port-file FILE] [--scenario STEPS]\n"
    "                   [--scenario-file FILE] [--refuse TITLE]...\n"
    "                   [--transcript FILE] [--timeout SECONDS] [--max-objects N]\n"
    "                   [--sim FOLDER | --titles FILE]\n"
    "\n"
    "A stand-in for FSX that speaks SimConnect (FSX SP2) on 127.0.0.1, one client\n"
    "at a time.\n"
    "  --port N           port to listen on; 0 (default) picks a free one\n"
    "  --port-file FILE   write the port, once listening, to FILE\n"
    "  --scenario STEPS   what the simulator does after each client's Open, e.g.\n"
    "                     \"launch 10; wait 500; flight 12; settle; objects 3; quit\"\n"
    "                     steps: launch M, flight M, wait MS, settle [MS], objects N,\n"
    "                     delay-ids MS, answered, quit, vanish\n"
    "  --scenario-file FILE  the steps from FILE, for scenarios too long to type\n"
    "  --refuse TITLE     creating an object with this title fails (repeatable)\n"
    "  --transcript FILE  log every packet and message, decoded, as JSON lines\n"
    "  --timeout SECONDS  give up after this long (exit status 3)\n"
    "  --max-objects N    standing objects per client, 1 to 1000000 (default 10000)\n"
    "  --sim FOLDER       only the titles of the objects installed in this\n"
    "                     simulator folder (SimObjects\\...) can be created\n"
    "  --titles FILE      only the titles listed in FILE, one a line, can be created\n";

namespace {

bool ParseNumber(const std::string& text, unsigned long limit, unsigned long* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = std::strtoul(text.c_str(), nullptr, 10);
  return *value <= limit;
}

// A folder opens and reads as nothing, which would run an empty scenario:
// only a regular file will do.
bool ReadScenarioFile(const std::string& path, std::string* text, std::string* error) {
  std::error_code ignored;
  auto status = std::filesystem::status(path, ignored);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    *error = "--scenario-file: \"" + path + "\" is not a file; name a file of steps";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  if (file) content << file.rdbuf();
  if (!file || file.bad()) {
    *error = "--scenario-file: cannot read \"" + path + "\"";
    return false;
  }
  *text = content.str();
  return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& arguments, Options* options, std::string* error) {
  // A second scenario would silently replace the first.
  bool scenarioGiven = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") {
      options->help = true;
      continue;
    }
    bool known = name == "--port" || name == "--port-file" || name == "--scenario" ||
                 name == "--scenario-file" || name == "--refuse" || name == "--transcript" ||
                 name == "--timeout" || name == "--max-objects" || name == "--sim" ||
                 name == "--titles";
    if (!known) {
      *error = "unknown option \"" + name + "\"; see --help";
      return false;
    }
    if (i + 1 >= arguments.size()) {
      *error = name + " needs a value; see --help";
      return false;
    }
    const std::string& value = arguments[++i];
    unsigned long number = 0;
    if (name == "--port") {
      if (!ParseNumber(value, 65535, &number)) {
        *error = "--port needs a number from 0 to 65535, not \"" + value + "\"";
        return false;
      }
      options->port = static_cast<uint16_t>(number);
    } else if (name == "--timeout") {
      if (!ParseNumber(value, 86400, &number)) {
        *error = "--timeout needs seconds from 0 to 86400, not \"" + value + "\"";
        return false;
      }
      options->timeoutSeconds = static_cast<uint32_t>(number);
    } else if (name == "--max-objects") {
      if (!ParseNumber(value, kMaxObjectsCeiling, &number) || number == 0) {
        *error = "--max-objects needs a count from 1 to " + std::to_string(kMaxObjectsCeiling) +
                 ", not \"" + value + "\"";
        return false;
      }
      options->maxObjects = static_cast<uint32_t>(number);
    } else if (name == "--port-file") {
      options->portFile = value;
    } else if (name == "--transcript") {
      options->transcriptFile = value;
    } else if (name == "--sim") {
      options->simFolder = value;
    } else if (name == "--titles") {
      options->titlesFile = value;
    } else if (name == "--refuse") {
      options->refusedTitles.push_back(value);
    } else if (name == "--scenario" || name == "--scenario-file") {
      if (scenarioGiven) {
        *error = name + ": a scenario was given already; give one --scenario or --scenario-file";
        return false;
      }
      scenarioGiven = true;
      std::string text = value;
      if (name == "--scenario-file" && !ReadScenarioFile(value, &text, error)) return false;
      if (!ParseScenario(text, &options->scenario, error)) return false;
    }
  }
  return true;
}

}  // namespace standin
