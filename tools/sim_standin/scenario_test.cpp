#include "tools/sim_standin/scenario.h"

#include <gtest/gtest.h>

#include "tools/sim_standin/options.h"

namespace standin {
namespace {

std::string Canonical(const std::vector<Step>& steps) {
  std::string text;
  for (const Step& step : steps) text += (text.empty() ? "" : "; ") + DescribeStep(step);
  return text;
}

TEST(ParseScenario, ReadsEveryStep) {
  struct Case {
    const char* text;
    const char* canonical;
  } cases[] = {
      {"", ""},
      {" ; ;\n", ""},
      {"launch 10; wait 500; flight 12; wait 500; flight 7; wait 500; quit",
       "launch 10; wait 500; flight 12; wait 500; flight 7; wait 500; quit"},
      {"launch 3\nsettle\nsettle 50\nobjects 0\nobjects 12\ndelay-ids 250\nvanish",
       "launch 3; settle 300; settle 50; objects 0; objects 12; delay-ids 250; vanish"},
      {"  flight   2.5 ;quit;", "flight 2.5; quit"},
      {"flight 12; answered; flight 7; answered", "flight 12; answered; flight 7; answered"},
      {"flight 0; flight 13; flight -1", "flight 0; flight 13; flight -1"},
  };
  for (const Case& c : cases) {
    std::vector<Step> steps;
    std::string error;
    EXPECT_TRUE(ParseScenario(c.text, &steps, &error)) << c.text << ": " << error;
    EXPECT_EQ(Canonical(steps), c.canonical);
  }
}

TEST(ParseScenario, SaysWhichStepIsWrongAndWhatToWrite) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"launch 10; flite 12",
       "scenario step 2 \"flite 12\": unknown step; use launch, flight, wait, settle, objects, "
       "delay-ids, answered, quit or vanish"},
      {"launch", "scenario step 1 \"launch\": launch needs a month number, e.g. \"launch 12\""},
      {"flight twelve", "scenario step 1 \"flight twelve\": flight needs a month number"},
      {"flight nan", "flight needs a month number"},
      {"flight 1e400", "flight needs a month number"},
      {"wait -5", "wait needs milliseconds from 0 to 3600000"},
      {"wait 3600001", "wait needs milliseconds"},
      {"wait 5 ms", "scenario step 1 \"wait 5 ms\": too many words; write \"wait 5\""},
      {"settle 0", "settle takes quiet milliseconds from 1 to 10000"},
      {"objects 1000001", "objects needs a count from 0 to 1000000"},
      {"delay-ids", "delay-ids needs milliseconds from 0 to 60000"},
      {"quit now", "too many words; write \"quit\""},
      {"answered 5", "too many words; write \"answered\""},
      {"quit; flight 3",
       "scenario step 2 \"flight 3\": nothing can follow quit, which ends the run"},
      {"vanish; quit", "nothing can follow vanish"},
  };
  for (const Case& c : cases) {
    std::vector<Step> steps;
    std::string error;
    EXPECT_FALSE(ParseScenario(c.text, &steps, &error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " gave: " << error;
  }
}

TEST(ParseOptions, ReadsTheCommandLine) {
  Options options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--port", "5111", "--port-file", "p", "--scenario", "launch 4; quit",
                            "--refuse", "Big Tree", "--refuse", "Small Tree", "--transcript",
                            "t.jsonl", "--timeout", "30", "--max-objects", "200000"},
                           &options, &error))
      << error;
  EXPECT_EQ(options.port, 5111);
  EXPECT_EQ(options.portFile, "p");
  EXPECT_EQ(Canonical(options.scenario), "launch 4; quit");
  EXPECT_EQ(options.refusedTitles, (std::vector<std::string>{"Big Tree", "Small Tree"}));
  EXPECT_EQ(options.transcriptFile, "t.jsonl");
  EXPECT_EQ(options.timeoutSeconds, 30u);
  EXPECT_EQ(options.maxObjects, 200000u);
}

TEST(ParseOptions, ReadsTheScenarioFromAFile) {
  std::string path = testing::TempDir() + "standin-scenario.txt";
  FILE* file = fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  fputs("launch 4\nflight 12; answered\nquit\n", file);
  fclose(file);
  Options options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--scenario-file", path}, &options, &error)) << error;
  EXPECT_EQ(Canonical(options.scenario), "launch 4; flight 12; answered; quit");
  remove(path.c_str());
}

TEST(ParseOptions, RejectsMistakes) {
  struct Case {
    std::vector<std::string> arguments;
    const char* error;
  } cases[] = {
      {{"--port", "65536"}, "--port needs a number from 0 to 65535, not \"65536\""},
      {{"--port", "-1"}, "--port needs a number"},
      {{"--port"}, "--port needs a value"},
      {{"--timeout", "soon"}, "--timeout needs seconds"},
      {{"--max-objects", "0"}, "--max-objects needs a count from 1 to 1000000, not \"0\""},
      {{"--max-objects", "1000001"}, "--max-objects needs a count"},
      {{"--colour"}, "unknown option \"--colour\""},
      {{"--scenario", "launch"}, "scenario step 1"},
      {{"--scenario-file", "/nonexistent/steps"},
       "--scenario-file: cannot read \"/nonexistent/steps\""},
  };
  for (const Case& c : cases) {
    Options options;
    std::string error;
    EXPECT_FALSE(ParseOptions(c.arguments, &options, &error)) << c.arguments[0];
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace standin
