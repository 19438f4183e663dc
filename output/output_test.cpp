#include "output/output.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

// The log gets the very bytes the console gets, however long a line is,
// and its own lines start on a line of their own.
TEST(Output, LogCopiesTheConsole) {
  const std::string longTitle(3000, 'T');
  const struct {
    const char* name;
    void (*write)(const std::string& text);
    std::string console;  // what standard output shows
    std::string log;
  } rows[] = {
      {"long", [](const std::string& t) { ConsolePrintf("\n  Created %s", t.c_str()); },
       "\n  Created " + longTitle, "\n  Created " + longTitle + "\n* note 7\n"},
      {"text", [](const std::string&) { ConsolePuts("XML File Found: a.xml!\n"); },
       "XML File Found: a.xml!\n", "XML File Found: a.xml!\n* note 7\n"},
  };
  for (const auto& row : rows) {
    FILE* log = tmpfile();
    ASSERT_NE(log, nullptr);
    SetLogStream(log);
    std::string shown = testing_support::Capture([&] {
      row.write(longTitle);
      LogNote("note %d", 7);
    });
    SetLogStream(nullptr);
    rewind(log);
    std::string kept;
    for (int c; (c = fgetc(log)) != EOF;) kept += static_cast<char>(c);
    fclose(log);
    EXPECT_EQ(shown, row.console) << row.name;
    EXPECT_EQ(kept, row.log) << row.name;
  }
}

}  // namespace
