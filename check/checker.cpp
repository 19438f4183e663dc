#include "check/checker.h"

#include "check/check_run.h"
#include "check/folder_check.h"
#include "check/geojson.h"
#include "check/options.h"
#include "check/preview.h"
#include "check/title_check.h"

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

  CheckRun run;
  run.out = &out;
  TitleIndex installed;
  if (!PrepareTitleCheck(options, &installed, &run)) return kCheckCannotRun;
  if (!CheckFolder(options.folder, &run)) return kCheckCannotRun;
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
  PrintSummary(run, out);
  if (!written) return kCheckCannotRun;
  return run.errors > 0 ? kCheckFoundErrors : kCheckClean;
}
