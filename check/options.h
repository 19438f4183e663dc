// The checker's command line.
#ifndef BRINDLEWICK_CHECK_OPTIONS_H_
#define BRINDLEWICK_CHECK_OPTIONS_H_

#include <string>
#include <vector>

struct CheckOptions {
  std::string folder = "Quillmar/BrindlewickV2";
  bool preview = false;
  std::string geojsonPath;  // empty: no GeoJSON file
  bool help = false;
  std::string simFolder;   // --sim: check the titles against this simulator
  std::string fsxCfg;      // --fsx-cfg: its search folders from this fsx.cfg
  std::string titlesFile;  // --titles: check the titles against this list
  bool findSimulator = false;  // without --sim and --titles: the installed one

  std::string kmlPath;  // --kml: the entries as KML, one folder per season
  bool watch = false;   // --watch: check again on every save until Ctrl+C
  /// Every FOLDER or FILE named, in order: more than one only with --watch,
  /// which sorts them out (a FOLDER alone, or placement FILEs).
  std::vector<std::string> named;
  /// --watch FILE...: the placement files checked instead of a folder.
  std::vector<std::string> files;
};

/// Reads the arguments (without the program name). On a mistake returns false
/// and says what is wrong in `problem`.
bool ParseCheckOptions(const std::vector<std::string>& args, CheckOptions* options,
                       std::string* problem);

/// The short usage shown after a mistake.
extern const char kCheckUsage[];

/// Everything --help says.
extern const char kCheckHelp[];

#endif  // BRINDLEWICK_CHECK_OPTIONS_H_
