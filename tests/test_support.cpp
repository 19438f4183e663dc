#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <random>
#include <sstream>

#include "app/author_mode.h"
#include "app/startup.h"
#include "placement/discovery.h"
#include "placement/loader.h"
#include "season/season_switch.h"
#include "sim/connection.h"
#include "tests/recording_simconnect.h"

namespace testing_support {

void ResetProgram() {
  claimFolder = [] { return true; };
  ClearWorkingSetForTesting();
  foundFiles.clear();
  delete placementStore;
  placementStore = CreatePlacementStore();
  delete objectIds;
  objectIds = nullptr;
  ResetConnectionStateForTesting();
  ResetAuthorModeForTesting();
  recording::Reset();
}

std::string Capture(const std::function<void()>& action) {
  fflush(stdout);
  testing::internal::CaptureStdout();
  action();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

std::string DescribeStore(const PlacementStore& s) {
  std::ostringstream out;
  for (size_t k = 0, v = 0; k < s.entryDirs.size(); ++k) {
    out << s.entryDirs[k] << "@" << s.entryLatitudes[k] << "," << s.entryLongitudes[k] << ","
        << s.entryAltitudes[k] << "[";
    for (int32_t i = 0; i < s.variantCounts[k]; ++i, ++v) {
      out << (i ? "," : "") << s.variantTypes[v] << "=" << s.variantTitles[v];
    }
    out << "]\n";
  }
  return out.str();
}

TempFolder::TempFolder() : previous_(std::filesystem::current_path()) {
  path_ = std::filesystem::temp_directory_path() /
          ("brindlewick-test-" + std::to_string(std::random_device()()) + std::to_string(rand()));
  std::filesystem::create_directories(path_);
  std::filesystem::current_path(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::Write(const std::string& relative, const std::string& text) const {
  std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

}  // namespace testing_support
