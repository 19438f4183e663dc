// Shared helpers for the unit tests: a clean program state, captured
// standard output and temporary folders.
#ifndef BRINDLEWICK_TESTS_TEST_SUPPORT_H_
#define BRINDLEWICK_TESTS_TEST_SUPPORT_H_

#include <filesystem>
#include <functional>
#include <string>

#include "placement/store.h"

namespace testing_support {

/// Puts every global of the program back to its start value, with an empty
/// store already created, as the start-up sequence leaves it before discovery;
/// the working folder counts as free.
void ResetProgram();

/// Runs `action` and returns what it printed on standard output.
std::string Capture(const std::function<void()>& action);

/// One line per entry: "Dir@lat,lon,alt[Type=Title,...]".
std::string DescribeStore(const PlacementStore& store);

/// A fresh folder, removed with everything in it at the end of the test; the
/// working directory moves into it while it exists.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }
  /// Writes `text` to `relative` (folders are created).
  void Write(const std::string& relative, const std::string& text) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace testing_support

#endif  // BRINDLEWICK_TESTS_TEST_SUPPORT_H_
