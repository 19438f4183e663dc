#include "check/options.h"

#include <string.h>

const char kCheckUsage[] =
    "usage: brindlewick-check [--preview] [--geojson FILE] [--kml FILE]\n"
    "                         [--sim FOLDER [--fsx-cfg FILE] | --titles FILE]\n"
    "                         [--watch] [FOLDER]\n"
    "       brindlewick-check --watch [options] FILE...\n"
    "       brindlewick-check --help\n";

const char kCheckHelp[] =
    "usage: brindlewick-check [--preview] [--geojson FILE] [--kml FILE]\n"
    "                         [--sim FOLDER [--fsx-cfg FILE] | --titles FILE]\n"
    "                         [--watch] [FOLDER]\n"
    "       brindlewick-check --watch [options] FILE...\n"
    "\n"
    "Checks the placement files of FOLDER as Brindlewick reads them: the same\n"
    "files (\"*.xml\", any case) in the same order, with the same rules. FOLDER\n"
    "defaults to Quillmar/BrindlewickV2 under the working directory.\n"
    "\n"
    "Messages read file:line:column: error|warning|note: text, where file is\n"
    "FOLDER/name and line and column count from 1 (a tab is one column).\n"
    "Control characters in quoted text are shown as &#10; and the like.\n"
    "\n"
    "Errors, the program loses something:\n"
    "  a file that does not load (the XML parser's message and position);\n"
    "  an entry the program skips (no header element, a Season first, no Dir,\n"
    "  a Season without Type or SimTitle, no PlacementData after the Seasons).\n"
    "Warnings, the program reads it, but likely not as meant:\n"
    "  a Type other than SU, FA, WI, HW (the object shows in spring only;\n"
    "  \"SP\", the usual name for spring, is not reported);\n"
    "  Lat outside -90..90, Lon outside -180..180;\n"
    "  Lat, Lon or Alt missing or not a number (the entry takes the previous\n"
    "  entry's value in the same file, or 0 in the file's first entry);\n"
    "  text after a number (\"12.5abc\" reads as 12.5, \"1,5\" as 1);\n"
    "  a SimTitle longer than the 255 characters the simulator takes;\n"
    "  a SimTitle with letters beyond ASCII in a file read as UTF-8 (the\n"
    "  simulator's titles are Windows-1252 text);\n"
    "  Debug in any file but the last, where it has no effect;\n"
    "  a top-level element after the first entry that is read as an entry\n"
    "  although it is not named SimObjectEntry;\n"
    "  a file without a top-level SimObjectEntry (other than Debug alone);\n"
    "  a folder without placement files.\n"
    "Notes:\n"
    "  two entries at the same latitude and longitude;\n"
    "  an entry with nothing for some season.\n"
    "\n"
    "The last line counts the files, the entries and variants the program\n"
    "keeps, and the messages; when titles are checked, also the titles checked\n"
    "and the installed objects they were checked against.\n"
    "\n"
    "Titles: the simulator creates an object only when one of its installed\n"
    "objects has exactly the SimTitle; otherwise the object silently never\n"
    "appears. With --sim or --titles every SimTitle is looked up:\n"
    "  found: nothing is said;\n"
    "  found only with other capital letters: a warning naming the installed\n"
    "  title and its file;\n"
    "  not found: an error, with the closest installed title and where it is\n"
    "  defined when one is close.\n"
    "The simulator's objects are the folders one level below its object folders\n"
    "(SimObjects\\Airplanes, Rotorcraft, GroundVehicles, Boats, Animals, Misc, or\n"
    "the SimObjectPaths.N of fsx.cfg), each with a sim.cfg or aircraft.cfg whose\n"
    "[fltsim.N] sections hold the titles. Faults in those files (unreadable, a\n"
    "title= outside [fltsim.N], one title defined twice) are notes.\n"
    "On Windows, without --sim or --titles, the checker finds the simulator in\n"
    "the registry and says which folder it checked against, or that it found\n"
    "none.\n"
    "\n"
    "Options:\n"
    "  --preview       for each month 1-12, the season the program picks and\n"
    "                  the objects that then stand (title and position)\n"
    "  --geojson FILE  write the entries to FILE as a GeoJSON FeatureCollection:\n"
    "                  one point per entry at [Lon, Lat], with the properties\n"
    "                  Dir, file, line, Alt and the titles per season (SU, FA,\n"
    "                  WI, HW, Spring); open it in any map tool\n"
    "  --kml FILE      write the entries to FILE as KML for Google Earth: one\n"
    "                  folder per season (summer, fall, winter, hard winter,\n"
    "                  spring; one shown at a time), in each a placemark per\n"
    "                  entry with an object in that season, named by its Dir,\n"
    "                  its titles, file and line in the description, on the\n"
    "                  ground at Lon, Lat; the file is replaced whole\n"
    "  --sim FOLDER    check the titles against the simulator installed in FOLDER\n"
    "                  (the folder holding fsx.exe)\n"
    "  --fsx-cfg FILE  with --sim: the fsx.cfg naming the object folders\n"
    "                  (default: the user's, on Windows; else the six above)\n"
    "  --titles FILE   check the titles against FILE, one title per line\n"
    "  --watch         check again on every save: when a placement file of\n"
    "                  FOLDER (or one of the FILEs named) is added, changed,\n"
    "                  removed or renamed and then left alone for 300 ms, the\n"
    "                  new result is printed under the time; Ctrl+C ends it\n"
    "                  with the last result's exit code. With FILEs, only those\n"
    "                  files are checked, in the order given\n"
    "  --help          this text\n"
    "\n"
    "All output goes to standard output; only a wrong command line is reported\n"
    "on standard error.\n"
    "\n"
    "Exit code: 0 without errors, 1 with errors, 2 when the folder cannot be\n"
    "read, the GeoJSON or KML file cannot be written, the --sim folder or --titles\n"
    "file cannot be read or the command line is wrong.\n";

namespace {

// The options that take a value, "--name VALUE" or "--name=VALUE": 1 when
// `args[*i]` is one (and *i moves past its value), 0 when it is not, -1
// when the value is missing.
int TakeValueOption(const std::vector<std::string>& args, size_t* i, CheckOptions* options) {
  const struct {
    const char* name;
    std::string CheckOptions::*value;
  } kOptions[] = {{"--sim", &CheckOptions::simFolder},
                  {"--fsx-cfg", &CheckOptions::fsxCfg},
                  {"--titles", &CheckOptions::titlesFile},
                  {"--kml", &CheckOptions::kmlPath}};
  const std::string& arg = args[*i];
  for (const auto& option : kOptions) {
    size_t length = strlen(option.name);
    if (arg.compare(0, length, option.name) != 0) continue;
    if (arg.size() > length && arg[length] != '=') continue;
    std::string& value = options->*option.value;
    if (arg.size() > length) {
      value = arg.substr(length + 1);
    } else if (*i + 1 < args.size()) {
      value = args[++*i];
    }
    return value.empty() ? -1 : 1;
  }
  return 0;
}

}  // namespace

bool ParseCheckOptions(const std::vector<std::string>& args, CheckOptions* options,
                       std::string* problem) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      options->help = true;
    } else if (!optionsEnded && arg == "--preview") {
      options->preview = true;
    } else if (!optionsEnded && arg == "--watch") {
      options->watch = true;
    } else if (!optionsEnded && arg.compare(0, 9, "--geojson") == 0 &&
               (arg.size() == 9 || arg[9] == '=')) {
      // Both "--geojson FILE" and "--geojson=FILE".
      if (arg.size() > 9) {
        options->geojsonPath = arg.substr(10);
      } else if (i + 1 < args.size()) {
        options->geojsonPath = args[++i];
      }
      if (options->geojsonPath.empty()) {
        *problem = "--geojson needs a FILE";
        return false;
      }
    } else if (int taken = optionsEnded ? 0 : TakeValueOption(args, &i, options)) {
      if (taken < 0) {
        *problem = arg.substr(0, arg.find('=')) + " needs a value";
        return false;
      }
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      *problem = "unknown option " + arg;
      return false;
    } else {
      if (options->named.empty()) options->folder = arg;
      options->named.push_back(arg);
    }
  }
  if (options->named.size() > 1 && !options->watch) {
    *problem =
        "only one FOLDER, please (got " + options->named[0] + " and " + options->named[1] + ")";
    return false;
  }
  if (!options->simFolder.empty() && !options->titlesFile.empty()) {
    *problem = "give --sim or --titles, not both";
    return false;
  }
  if (!options->fsxCfg.empty() && options->simFolder.empty()) {
    *problem = "--fsx-cfg needs --sim FOLDER too";
    return false;
  }
  return true;
}
