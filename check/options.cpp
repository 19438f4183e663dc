#include "check/options.h"

const char kCheckUsage[] =
    "usage: brindlewick-check [--preview] [--geojson FILE] [FOLDER]\n"
    "       brindlewick-check --help\n";

const char kCheckHelp[] =
    "usage: brindlewick-check [--preview] [--geojson FILE] [FOLDER]\n"
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
    "keeps, and the messages.\n"
    "\n"
    "Options:\n"
    "  --preview       for each month 1-12, the season the program picks and\n"
    "                  the objects that then stand (title and position)\n"
    "  --geojson FILE  write the entries to FILE as a GeoJSON FeatureCollection:\n"
    "                  one point per entry at [Lon, Lat], with the properties\n"
    "                  Dir, file, line, Alt and the titles per season (SU, FA,\n"
    "                  WI, HW, Spring); open it in any map tool\n"
    "  --help          this text\n"
    "\n"
    "All output goes to standard output; only a wrong command line is reported\n"
    "on standard error.\n"
    "\n"
    "Exit code: 0 without errors, 1 with errors, 2 when the folder cannot be\n"
    "read, the GeoJSON file cannot be written or the command line is wrong.\n";

bool ParseCheckOptions(const std::vector<std::string>& args, CheckOptions* options,
                       std::string* problem) {
  bool folderGiven = false;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      options->help = true;
    } else if (!optionsEnded && arg == "--preview") {
      options->preview = true;
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
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      *problem = "unknown option " + arg;
      return false;
    } else if (folderGiven) {
      *problem = "only one FOLDER, please (got " + options->folder + " and " + arg + ")";
      return false;
    } else {
      options->folder = arg;
      folderGiven = true;
    }
  }
  return true;
}
