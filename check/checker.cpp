#include "check/checker.h"

#include "check/check_run.h"
#include "check/file_check.h"
#include "check/folder_check.h"
#include "check/geojson.h"
#include "check/kml.h"
#include "check/map_points.h"
#include "check/options.h"
#include "check/preview.h"
#include "check/title_check.h"
#include "check/watch.h"

namespace {

void PrintSummary(const CheckRun& run, std::ostream& out) {
  size_t variants = 0;
  for (const CheckedEntry& entry : run.entries) variants += entry.titles.size();
  out << CountOf(static_cast<size_t>(run.files), "file", "files");
  if (run.unloadedFiles > 0) out << " (" << run.unloadedFiles << " not loaded)";
  out << ", " << CountOf(run.entries.size(), "entry", "entries") << ", "
      << CountOf(variants, "variant", "variants") << ": "
      << CountOf(static_cast<size_t>(run.errors), "error", "errors") << ", "
      << CountOf(static_cast<size_t>(run.warnings), "warning", "warnings") << ", "
      << CountOf(static_cast<size_t>(run.notes), "note", "notes") << TitleSummary(run) << "\n";
}

// The files named with --watch, in the order given; the last one decides the
// console as the last file of a folder does.
void CheckFiles(const std::vector<std::string>& files, CheckRun* run) {
  for (const std::string& file : files)
    CheckPlacementFile(file, file == files.back() ? "" : files.back(), run);
}

bool WriteKml(const CheckOptions& options, CheckRun* run, std::ostream& out) {
  size_t placemarks = 0;
  std::string name =
      "Brindlewick: " + (options.files.empty() ? FileNameText(options.folder) : "placement files");
  std::string text = KmlText(run->entries, name, &placemarks);
  std::string problem;
  if (!WriteWholeFile(options.kmlPath, text, &problem)) {
    Report(run, options.kmlPath, 0, 0, Severity::kError, "cannot write the KML file: " + problem);
    return false;
  }
  out << "Wrote " << CountOf(placemarks, "placemark", "placemarks") << " to " << options.kmlPath
      << "\n";
  return true;
}

// One check, from the files to the last line.
int CheckOnce(const CheckOptions& options, std::ostream& out) {
  CheckRun run;
  run.out = &out;
  TitleIndex installed;
  if (!PrepareTitleCheck(options, &installed, &run)) return kCheckCannotRun;
  if (options.files.empty()) {
    if (!CheckFolder(options.folder, &run)) return kCheckCannotRun;
  } else {
    CheckFiles(options.files, &run);
  }
  if (options.preview) PrintSeasonPreview(run.entries, out);
  bool written = true;
  if (!options.geojsonPath.empty()) {
    written = WriteGeoJson(run.entries, options.geojsonPath);
    if (written) {
      out << "Wrote " << CountOf(run.entries.size(), "point", "points") << " to "
          << options.geojsonPath << "\n";
    } else {
      Report(&run, options.geojsonPath, 0, 0, Severity::kError, "cannot write the GeoJSON file");
    }
  }
  if (!options.kmlPath.empty() && !WriteKml(options, &run, out)) written = false;
  PrintSummary(run, out);
  if (!written) return kCheckCannotRun;
  return run.errors > 0 ? kCheckFoundErrors : kCheckClean;
}

}  // namespace

int RunChecker(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return RunChecker(args, out, err, false);
}

int RunChecker(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool findSimulator) {
  CheckOptions options;
  options.findSimulator = findSimulator;
  std::string problem;
  if (!ParseCheckOptions(args, &options, &problem)) {
    err << "brindlewick-check: " << problem << "\n" << kCheckUsage;
    return kCheckCannotRun;
  }
  if (options.help) {
    out << kCheckHelp;
    return kCheckClean;
  }
  if (options.watch) {
    if (!SortOutWatched(&options, &problem)) {
      err << "brindlewick-check: " << problem << "\n" << kCheckUsage;
      return kCheckCannotRun;
    }
    return WatchAndCheck(
        options, [&] { return CheckOnce(options, out); }, out);
  }
  return CheckOnce(options, out);
}
