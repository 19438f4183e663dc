#include "check/title_check.h"

#include <stdio.h>
#include <string.h>
#include <tinyxml.h>

#include <algorithm>

#include "check/options.h"
#include "fsx/fsx_location.h"
#include "os/os.h"

namespace {

std::string Where(const InstalledTitle& title) {
  return title.file + ":" + std::to_string(title.line);
}

int TitleColumn(const TiXmlElement* season, int* line) {
  for (const TiXmlAttribute* a = season->FirstAttribute(); a; a = a->Next()) {
    if (strcmp(a->Name(), "SimTitle") == 0) {
      *line = a->Row();
      return a->Column();
    }
  }
  *line = season->Row();
  return season->Column();
}

// The installed title nearest to `title`, when one is near enough.
const InstalledTitle* Nearest(const std::string& title, const TitleIndex& index) {
  std::string folded = FoldCase(title);
  size_t best = NearDistance(title.size());
  const InstalledTitle* nearest = nullptr;
  for (const auto& candidate : index.folded) {
    size_t distance = EditDistance(folded, candidate.first, best);
    const InstalledTitle* found = &index.titles[candidate.second];
    // Ties go to the title read first, whatever the order of the map.
    if (distance < best || (distance == best && nearest && found < nearest) ||
        (distance == best && !nearest)) {
      best = distance;
      nearest = found;
    }
  }
  return nearest;
}

bool Exists(const std::string& path) {
  FILE* file = fopen(os::NativePath(path).c_str(), "rb");
  if (file) fclose(file);
  return file != nullptr;
}

// The configuration the simulator in `folder` reads, when it exists: that of
// the edition the registry records there, else the boxed edition's.
std::string UsualFsxCfg(const fsx::Simulators& simulators, const std::string& folder) {
  const fsx::Installation* installation = fsx::InstallationIn(simulators, folder);
  std::string path = installation ? installation->config
                     : simulators.app_data.empty()
                         ? std::string()
                         : simulators.app_data + "\\Microsoft\\FSX\\fsx.cfg";
  return !path.empty() && Exists(path) ? path : std::string();
}

}  // namespace

size_t NearDistance(size_t length) { return std::max<size_t>(1, length / 4); }

size_t EditDistance(const std::string& a, const std::string& b, size_t limit) {
  const size_t n = a.size();
  const size_t m = b.size();
  const size_t beyond = limit + 1;
  if ((n > m ? n - m : m - n) > limit) return beyond;
  // The usual table, row by row, but only the band within `limit` of the
  // diagonal: a cell outside it is more than `limit` anyway, so it counts as
  // `beyond`, and a row without a cell under the limit ends the search.
  std::vector<size_t> previous(m + 1, beyond);
  std::vector<size_t> current(m + 1, beyond);
  for (size_t j = 0; j <= std::min(m, limit); ++j) previous[j] = j;
  for (size_t i = 1; i <= n; ++i) {
    size_t from = i > limit ? i - limit : 1;
    size_t to = std::min(m, i + limit);
    current[from - 1] = (from == 1 && i <= limit) ? i : beyond;
    size_t smallest = current[from - 1];
    for (size_t j = from; j <= to; ++j) {
      size_t substitute = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
      smallest = std::min(smallest, current[j]);
    }
    if (to < m) current[to + 1] = beyond;
    if (smallest > limit) return beyond;
    previous.swap(current);
  }
  return std::min(previous[m], beyond);
}

bool PrepareTitleCheck(const CheckOptions& options, TitleIndex* index, CheckRun* run) {
  std::string problem;
  if (!options.titlesFile.empty()) {
    if (!IndexTitleList(options.titlesFile, index, &problem)) {
      Report(run, options.titlesFile, 0, 0, Severity::kError, problem);
      return false;
    }
  } else if (!options.simFolder.empty()) {
    std::string fsxCfg =
        options.fsxCfg.empty()
            ? UsualFsxCfg(fsx::FindSimulators(fsx::Spelling::kAnsi), options.simFolder)
            : options.fsxCfg;
    if (!IndexSimulator(options.simFolder, fsxCfg, index, &problem)) {
      Report(run, options.simFolder, 0, 0, Severity::kError, problem);
      return false;
    }
  } else if (options.findSimulator) {
    fsx::Simulators simulators = fsx::FindSimulators(fsx::Spelling::kAnsi);
    // Only Windows records an installation; elsewhere there is nothing to say.
    if (simulators.app_data.empty()) return true;
    if (simulators.found.empty()) {
      *run->out << "No simulator found in the registry: no titles checked"
                   " (give --sim FOLDER or --titles FILE)\n";
      return true;
    }
    // With both editions, the boxed one's, as ever; --sim names the other.
    const fsx::Installation& found = simulators.found[0];
    if (!IndexSimulator(found.folder, UsualFsxCfg(simulators, found.folder), index, &problem)) {
      *run->out << "The simulator's folder in the registry cannot be used (" << problem
                << "): no titles checked\n";
      return true;
    }
    *run->out << "Titles checked against the simulator in " << found.folder
              << (found.steam ? " (Steam edition)" : "") << "\n";
  } else {
    return true;
  }
  for (const IndexNote& note : index->notes) {
    Report(run, note.file, note.line, note.line > 0 ? 1 : 0, Severity::kNote, note.message);
  }
  run->installed = index;
  return true;
}

bool CheckInstalledTitle(const TiXmlElement* season, const std::string& file, CheckRun* run) {
  const TitleIndex& index = *run->installed;
  std::string title = season->Attribute("SimTitle");
  run->titlesChecked.insert(title);
  if (index.exact.count(title)) return true;
  int line;
  int column = TitleColumn(season, &line);
  auto folded = index.folded.find(FoldCase(title));
  if (folded != index.folded.end()) {
    const InstalledTitle& installed = index.titles[folded->second];
    Report(run, file, line, column, Severity::kWarning,
           "the title \"" + title + "\" is installed as \"" + installed.title + "\" (" +
               Where(installed) + "): write it with the same capital letters");
    return true;
  }
  std::string message = "no installed simulator object has the title \"" + title + "\"";
  if (const InstalledTitle* nearest = Nearest(title, index)) {
    message += "; did you mean \"" + nearest->title + "\" (" + Where(*nearest) + ")?";
  }
  Report(run, file, line, column, Severity::kError, message);
  return false;
}

std::string TitleSummary(const CheckRun& run) {
  if (!run.installed) return std::string();
  return "; " + CountOf(run.titlesChecked.size(), "title", "titles") + " checked against " +
         CountOf(run.installed->titles.size(), "installed object", "installed objects");
}
