// The real program as a process in a scratch working folder: its whole
// standard output, standard error and exit code.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kBanner =
    "\n-------------------------\n   BRINDLEWICK  \n  Seasonal scenery for FSX, by Quillmar"
    "\n-------------------------\n";

std::string ReadFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Without a simulator the program says so and ends with 1.
TEST(ProcessTest, RunsWithoutSimulator) {
  const struct {
    const char* setUp;
    std::string output;
  } cases[] = {
      {"none", kBanner + "FindFirstFile failed (3)\n"},
      {"example", ReadFile(BRINDLEWICK_EXPECTED "/example-startup.txt")},
  };
  for (const auto& c : cases) {
    fs::path dir = fs::temp_directory_path() / ("brindlewick-run-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    if (std::string(c.setUp) == "example") {
      fs::copy(BRINDLEWICK_EXAMPLES "/Quillmar", "Quillmar", fs::copy_options::recursive);
    }
    int status = system("'" BRINDLEWICK_PROGRAM "' >out.txt 2>err.txt </dev/null");
    EXPECT_EQ(ReadFile("out.txt"), c.output) << c.setUp;
    EXPECT_EQ(ReadFile("err.txt"), "Could not connect to the simulator.\n");
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    fs::current_path(dir.parent_path());
    fs::remove_all(dir);
  }
}

}  // namespace
