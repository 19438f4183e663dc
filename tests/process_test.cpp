// The real program as a process in a scratch working folder: its whole
// standard output, standard error and exit code.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char kBanner[] =
    "\n-------------------------\n   BRINDLEWICK  \n  Seasonal scenery for FSX, by Quillmar"
    "\n-------------------------\n";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Result {
  int code;
  std::string out;
  std::string err;
};

class ProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("brindlewick-run-" + std::to_string(random()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& relative, const std::string& text) {
    fs::path file = dir_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  Result Run() {
    std::string command = "cd '" + dir_.string() +
                          "' && '" BRINDLEWICK_PROGRAM "' >stdout.txt 2>stderr.txt </dev/null";
    int status = system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir_ / "stdout.txt"),
            ReadFile(dir_ / "stderr.txt")};
  }

  fs::path dir_;
};

TEST_F(ProcessTest, NoPlacementFolder) {
  Result r = Run();
  EXPECT_EQ(r.out, std::string(kBanner) + "FindFirstFile failed (3)\n");
  EXPECT_EQ(r.err, "Could not connect to the simulator.\n");
  EXPECT_EQ(r.code, 1);
}

TEST_F(ProcessTest, ExampleScenery) {
  fs::copy(BRINDLEWICK_EXAMPLES "/Quillmar", dir_ / "Quillmar", fs::copy_options::recursive);
  Result r = Run();
  EXPECT_EQ(r.out, ReadFile(BRINDLEWICK_EXPECTED "/example-startup.txt"));
  EXPECT_EQ(r.code, 1);
}

// No placement file, however broken, crashes the program or stops the others.
TEST_F(ProcessTest, BrokenFilesAreReportedAndSkipped) {
  const std::string folder = "Quillmar/BrindlewickV2/";
  Write(folder + "a.xml",
        "<SimObjectEntry><H Dir='ok'/><Season Type='SU' SimTitle='t'/>"
        "<PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>");
  Write(folder + "b.xml", "<SimObjectEntry><H Dir='x'");
  Write(folder + "c.xml", "");
  Write(folder + "d.xml", std::string("<SimObjectEntry>\0\xff\xfe<", 20));
  Write(folder + "e.xml",
        "<SimObjectEntry/><SimObjectEntry><Season/></SimObjectEntry>"
        "<SimObjectEntry><H Dir='y'/></SimObjectEntry>");
  fs::create_directories(dir_ / folder / "f.xml");
  Result r = Run();
  EXPECT_EQ(r.out,
            std::string(kBanner) +
                "XML File Found: a.xml!\nXML File Found: b.xml!\nXML File Found: c.xml!\n"
                "XML File Found: d.xml!\nXML File Found: e.xml!\nXML File Found: f.xml!\n"
                "\nResult of \".\\Quillmar\\BrindlewickV2\\a.xml\" Read:"
                "\n\n  SimObjEntry: ok\n\tDetected Season: SU\n\n"
                "\nResult of \".\\Quillmar\\BrindlewickV2\\b.xml\" Read:Failed to load file "
                "\".\\Quillmar\\BrindlewickV2\\b.xml\"\n"
                "\nResult of \".\\Quillmar\\BrindlewickV2\\c.xml\" Read:Failed to load file "
                "\".\\Quillmar\\BrindlewickV2\\c.xml\"\n"
                "\nResult of \".\\Quillmar\\BrindlewickV2\\d.xml\" Read:Failed to load file "
                "\".\\Quillmar\\BrindlewickV2\\d.xml\"\n"
                "\nResult of \".\\Quillmar\\BrindlewickV2\\e.xml\" Read:"
                "\n\n  Skipped entry 1 (line 1): no header element"
                "\n\n  Skipped entry 2 (line 1): first child element is a Season, not a header"
                "\n\n  Skipped entry 3 (line 1): no PlacementData element\n\n"
                "\nResult of \".\\Quillmar\\BrindlewickV2\\f.xml\" Read:Failed to load file "
                "\".\\Quillmar\\BrindlewickV2\\f.xml\"\n");
  EXPECT_EQ(r.err, "Could not connect to the simulator.\n");
  EXPECT_EQ(r.code, 1);
}

}  // namespace
