#include "check/folder_check.h"

#include "check/file_check.h"
#include "os/os.h"

namespace {

// The codes the directory search reports, as os::FindFirst documents them.
const int kNothingMatches = 2;
const int kNoSuchFolder = 3;
const int kAccessDenied = 5;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Without the separators it ends with, unless it is nothing else ("/"); an
// empty name is the working directory.
std::string TrimmedFolder(const std::string& folder) {
  if (folder.empty()) return ".";
  size_t end = folder.size();
  while (end > 1 && IsSeparator(folder[end - 1])) --end;
  return folder.substr(0, end);
}

std::string DescribeSearchError(int error) {
  if (error == kNoSuchFolder) return "no such folder";
  if (error == kAccessDenied) return "access denied";
  return "system error " + std::to_string(error);
}

}  // namespace

bool ListPlacementFiles(const std::string& folder, std::vector<std::string>* names,
                        std::string* problem) {
  // The search splits the pattern at its last backslash.
  std::wstring pattern = os::NarrowToWide(TrimmedFolder(folder)) + L"\\*.xml";
  std::string name;
  int error = 0;
  os::FindState* search = os::FindFirst(pattern.c_str(), &name, &error);
  if (!search) {
    if (error == kNothingMatches) return true;
    *problem = DescribeSearchError(error);
    return false;
  }
  do {
    names->push_back(name);
  } while (os::FindNext(search, &name));
  os::FindEnd(search);
  return true;
}

std::string ShownPath(const std::string& folder, const std::string& name) {
  std::string shown = TrimmedFolder(folder);
  return IsSeparator(shown.back()) ? shown + name : shown + "/" + name;
}

bool CheckFolder(const std::string& folder, CheckRun* run) {
  std::vector<std::string> names;
  std::string problem;
  if (!ListPlacementFiles(folder, &names, &problem)) {
    Report(run, folder, 0, 0, Severity::kError, "cannot read the folder: " + problem);
    return false;
  }
  if (names.empty()) {
    Report(run, folder, 0, 0, Severity::kWarning,
           "no placement files (*.xml) here: the program would place nothing");
  }
  for (size_t i = 0; i < names.size(); ++i) {
    std::string lastFile = (i + 1 < names.size()) ? ShownPath(folder, names.back()) : "";
    CheckPlacementFile(ShownPath(folder, names[i]), lastFile, run);
  }
  return true;
}
