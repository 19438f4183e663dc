#include "simconnect/config.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "ini/ini.h"
#include "os/regular_file.h"

namespace config {

namespace {

// The real open reply is 308 bytes, so a smaller limit could not even connect;
// the upper limit keeps a typo from allocating gigabytes.
constexpr DWORD kSmallestReceiveSize = 308;
constexpr DWORD kLargestReceiveSize = 16u * 1024 * 1024;

using ini::Lower;

// A plain decimal number, no sign, no blanks, at most `limit`.
bool ParseNumber(const std::string& text, uint32_t limit, uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<uint64_t>(c - '0');
  }
  if (result > limit) return false;
  *value = static_cast<uint32_t>(result);
  return true;
}

// The configuration index a section name stands for, or false when the
// section is not one of ours.
bool SectionIndex(const std::string& name, DWORD* index) {
  std::string lower = Lower(name);
  if (lower == "simconnect") {
    *index = 0;
    return true;
  }
  const std::string prefix = "simconnect.";
  if (lower.compare(0, prefix.size(), prefix) != 0) return false;
  uint32_t number;
  if (!ParseNumber(lower.substr(prefix.size()), 0xFFFFFFFEu, &number)) return false;
  *index = number;
  return true;
}

// Text from the file as quoted in a message: short, and printable whatever
// the file holds.
std::string Quoted(const std::string& text) {
  const size_t kLongest = 40;
  std::string shown = "\"";
  for (size_t i = 0; i < text.size() && i < kLongest; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    shown += (c >= 0x20 && c < 0x7F) ? text[i] : '?';
  }
  if (text.size() > kLongest) shown += "...";
  return shown + "\"";
}

std::string Where(int line) { return "line " + std::to_string(line) + ": "; }

bool ApplyKey(const std::string& key, const std::string& value, ClientConfig* config,
              std::string* error) {
  std::string name = Lower(key);
  uint32_t number;
  if (name == "protocol") {
    std::string protocol = Lower(value);
    if (protocol == "ipv4") {
      config->protocol = Protocol::kIpv4;
    } else if (protocol == "ipv6") {
      config->protocol = Protocol::kIpv6;
    } else {
      *error = "Protocol " + Quoted(value) + " is not supported; use Ipv4 or Ipv6.";
      return false;
    }
  } else if (name == "address") {
    if (value.empty()) {
      *error = "Address is empty; give an IP address such as 127.0.0.1.";
      return false;
    }
    config->address = value;
  } else if (name == "port") {
    if (!ParseNumber(value, 65535, &number) || number == 0) {
      *error = "Port " + Quoted(value) + " must be a number from 1 to 65535.";
      return false;
    }
    config->port = static_cast<uint16_t>(number);
  } else if (name == "maxreceivesize") {
    if (!ParseNumber(value, kLargestReceiveSize, &number) || number < kSmallestReceiveSize) {
      *error = "MaxReceiveSize " + Quoted(value) + " must be a number from " +
               std::to_string(kSmallestReceiveSize) + " to " + std::to_string(kLargestReceiveSize) +
               ".";
      return false;
    }
    config->maxReceiveSize = number;
  } else if (name == "disablenagle") {
    if (value != "0" && value != "1") {
      *error = "DisableNagle " + Quoted(value) + " must be 0 or 1.";
      return false;
    }
    config->disableNagle = value == "1";
  } else {
    *error = "unknown key " + Quoted(key) +
             "; the keys are Protocol, Address, Port, MaxReceiveSize, DisableNagle.";
    return false;
  }
  return true;
}

}  // namespace

bool ParseClientConfig(const std::string& text, DWORD index, ClientConfig* config,
                       std::string* error) {
  ClientConfig result;
  bool inSection = false;   // any section seen yet
  bool inSelected = false;  // inside the section for `index`
  bool foundSelected = false;
  std::string seenKeys;  // of the selected section, lower case, '|' separated

  bool ok = true;
  ini::ReadIni(text, [&](const ini::Line& line) {
    std::string problem;
    if (line.kind == ini::LineKind::kOpenSection) {
      problem = "a section header must end with ']'.";
    } else if (line.kind == ini::LineKind::kSection) {
      DWORD sectionIndex;
      inSection = true;
      inSelected = SectionIndex(line.name, &sectionIndex) && sectionIndex == index;
      if (inSelected && foundSelected) {
        problem =
            "a second section for configuration " + std::to_string(index) + "; keep only one.";
      }
      foundSelected = foundSelected || inSelected;
    } else if (line.kind == ini::LineKind::kOther) {
      problem = Quoted(line.text) + " is not a Key=Value line.";
    } else if (!inSection) {
      problem = "a key before any section; put it under [SimConnect].";
    } else if (inSelected) {
      std::string tag = "|" + Lower(line.key) + "|";
      if (seenKeys.find(tag) != std::string::npos) {
        problem = Quoted(line.key) + " is given twice; keep only one.";
      } else {
        seenKeys += tag;
        ApplyKey(line.key, line.value, &result, &problem);
      }
    }
    if (problem.empty()) return true;
    *error = Where(line.number) + problem;
    ok = false;
    return false;
  });
  if (!ok) return false;

  if (!foundSelected) {
    *error = index == 0 ? std::string("no [SimConnect] section; add one.")
                        : "no [SimConnect." + std::to_string(index) + "] section; add one.";
    return false;
  }
  *config = result;
  return true;
}

bool LoadClientConfig(const char* path, DWORD index, ClientConfig* config, std::string* error) {
  std::string text;
  if (!ini::ReadWholeFile(path, &text)) {
    if (errno == ENOENT) {
      *config = ClientConfig();
      return true;
    }
    *error = std::string(path) + ": cannot be read (" + os::ErrorText(errno) + ").";
    return false;
  }
  std::string reason;
  if (!ParseClientConfig(text, index, config, &reason)) {
    *error = std::string(path) + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace config
