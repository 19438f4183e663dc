// The real program as a process in a scratch working folder: its whole
// standard output, standard error and exit code (with a simulator: tests/e2e).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// The log holds the console's every byte between lines of our own; the
// previous run's is kept; a second copy at once writes a log of its own; a
// log that cannot be written changes nothing else.
TEST(ProcessTest, KeepsALog) {
  fs::path dir = fs::temp_directory_path() / ("brindlewick-log-" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::current_path(dir);
  fs::copy(BRINDLEWICK_EXAMPLES "/Quillmar", "Quillmar", fs::copy_options::recursive);
  const fs::path logs = dir / "state" / "brindlewick";
  auto run = [](const std::string& state) {
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    int status = system("'" BRINDLEWICK_PROGRAM "' >out.txt 2>err.txt </dev/null");
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_EQ(ReadFile("out.txt"), ReadFile(BRINDLEWICK_EXPECTED "/example-startup.txt"));
    EXPECT_EQ(ReadFile("err.txt"), "Could not connect to the simulator.\n");
  };
  // The log less its times: "* ... started <time>" and "* Ended ... at <time>".
  auto withoutTimes = [](std::string log) {
    for (const char* mark : {" started ", " at "}) {
      size_t at = log.find(mark);
      if (at != std::string::npos)
        log.erase(at + strlen(mark), log.find('\n', at) - at - strlen(mark));
    }
    return log;
  };
  const std::string expected =
      "* Brindlewick 1.0.0 started \n* Working folder: " + dir.string() + "\n" +
      ReadFile(BRINDLEWICK_EXPECTED "/example-startup.txt") +
      "Could not connect to the simulator.\n* Ended with exit code 1 at \n";
  run((dir / "state").string());
  const std::string first = ReadFile(logs / "Brindlewick.log");
  EXPECT_EQ(withoutTimes(first), expected);
  run((dir / "state").string());
  EXPECT_EQ(ReadFile(logs / "Brindlewick.previous.log"), first);

  // Another copy holds the first name: this run takes the next.
  const std::string second = ReadFile(logs / "Brindlewick.log");
  int held = open((logs / "Brindlewick.lock").c_str(), O_RDWR);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  run((dir / "state").string());
  close(held);
  EXPECT_EQ(ReadFile(logs / "Brindlewick.log"), second);
  EXPECT_EQ(withoutTimes(ReadFile(logs / "Brindlewick-2.log")), expected);

  // A log folder that cannot be made: the run is the same, without a log.
  std::ofstream(dir / "file") << "x";
  run((dir / "file").string());
  unsetenv("XDG_STATE_HOME");
  fs::current_path(dir.parent_path());
  fs::remove_all(dir);
}

}  // namespace
