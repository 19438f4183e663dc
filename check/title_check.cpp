#include "check/title_check.h"

#include <stdio.h>
#include <string.h>
#include <tinyxml.h>

#include <algorithm>
#include <string_view>

#include "check/options.h"
#include "fsx/fsx_location.h"
#include "os/os.h"
#include "os/regular_file.h"

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

// Distance lower bound from the counts alone: each character that one title
// has more of than the other costs at least one edit, and an edit mends at
// most one such surplus on each side.
size_t CountBound(const std::array<unsigned char, 64>& a, const std::array<unsigned char, 64>& b,
                  size_t lengthA, size_t lengthB) {
  size_t differ = 0;
  for (size_t i = 0; i < a.size(); ++i) differ += a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
  return (differ + (lengthA > lengthB ? lengthA - lengthB : lengthB - lengthA)) / 2;
}

bool Exists(const std::string& path) {
  FILE* file = os::OpenRegularFile(os::NativePath(path));
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


void CountKinds(const std::string& folded, std::array<unsigned char, 64>* counts, uint64_t* kinds) {
  counts->fill(0);
  *kinds = 0;
  for (char c : folded) {
    size_t kind = NearKind(static_cast<unsigned char>(c));
    unsigned char& count = (*counts)[kind];
    if (count < 255) ++count;  // a lower count only weakens the bound
    *kinds |= uint64_t{1} << kind;
  }
}

// A weaker bound from which kinds occur at all, at the cost of a few
// instructions: each kind only one title holds is a surplus of at least one.
size_t Ones(uint64_t x) {
  // Inline: without a popcount instruction the compiler calls a library routine.
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<size_t>((x * 0x0101010101010101u) >> 56);
}

size_t KindBound(uint64_t a, uint64_t b) { return std::max(Ones(a & ~b), Ones(b & ~a)); }

}  // namespace

size_t NearDistance(size_t length) { return std::max<size_t>(1, length / 4); }

size_t NearKind(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return byte - 'a';
  if (byte >= '0' && byte <= '9') return 26 + (byte - '0');
  if (byte == ' ') return 36;
  return 37 + byte % 27;
}

void PrepareSuggestions(TitleIndex* index) {
  index->near.clear();
  index->near.reserve(index->folded.size());
  for (const auto& folded : index->folded) {
    NearTitle near;
    near.folded = folded.first;
    near.first = folded.second;
    index->near.push_back(std::move(near));
  }
  std::sort(index->near.begin(), index->near.end(), [](const NearTitle& a, const NearTitle& b) {
    return a.folded.size() != b.folded.size() ? a.folded.size() < b.folded.size()
                                              : a.first < b.first;
  });
  index->nearKinds.resize(index->near.size());
  index->nearLengths.resize(index->near.size());
  for (size_t i = 0; i < index->near.size(); ++i) {
    CountKinds(index->near[i].folded, &index->near[i].counts, &index->nearKinds[i]);
    index->nearLengths[i] = static_cast<uint32_t>(index->near[i].folded.size());
  }
}

const InstalledTitle* Nearest(const std::string& title, const TitleIndex& index) {
  std::string folded = FoldCase(title);
  size_t n = folded.size();
  size_t best = NearDistance(title.size());
  std::array<unsigned char, 64> counts;
  uint64_t kinds;
  CountKinds(folded, &counts, &kinds);
  // Only titles whose length is within the limit can be near. Of those, the
  // ones whose characters allow a small distance are compared first, so the
  // limit soon shrinks to the best distance found and most need no comparing.
  size_t from =
      static_cast<size_t>(std::lower_bound(index.nearLengths.begin(), index.nearLengths.end(),
                                           n > best ? n - best : 0) -
                          index.nearLengths.begin());
  size_t to = static_cast<size_t>(
      std::upper_bound(index.nearLengths.begin(), index.nearLengths.end(), n + best) -
      index.nearLengths.begin());
  std::vector<unsigned char> bounds(to - from);
  for (size_t i = from; i < to; ++i) {
    size_t m = index.nearLengths[i];
    size_t bound = std::max(n > m ? n - m : m - n, KindBound(kinds, index.nearKinds[i]));
    bounds[i - from] = static_cast<unsigned char>(std::min<size_t>(bound, 255));
  }
  const InstalledTitle* nearest = nullptr;
  size_t nearestFirst = 0;
  for (size_t bound = 0; bound <= best; ++bound) {
    for (size_t i = from; i < to && bound <= best; ++i) {
      if (bounds[i - from] != bound) continue;
      const NearTitle& candidate = index.near[i];
      if (CountBound(counts, candidate.counts, n, candidate.folded.size()) > best) continue;
      size_t distance = EditDistance(folded, candidate.folded, best);
      if (distance > best) continue;
      // Ties go to the title read first.
      if (distance < best || !nearest || candidate.first < nearestFirst) {
        best = distance;
        nearest = &index.titles[candidate.first];
        nearestFirst = candidate.first;
      }
    }
  }
  return nearest;
}

size_t EditDistance(const std::string& first, const std::string& second, size_t limit) {
  // A common start and end take no edit and change none: titles that differ
  // in one word are compared by that word.
  std::string_view a(first), b(second);
  while (!a.empty() && !b.empty() && a.front() == b.front()) a.remove_prefix(1), b.remove_prefix(1);
  while (!a.empty() && !b.empty() && a.back() == b.back()) a.remove_suffix(1), b.remove_suffix(1);
  const size_t n = a.size();
  const size_t m = b.size();
  const size_t beyond = limit + 1;
  if ((n > m ? n - m : m - n) > limit) return beyond;
  // The usual table, row by row, but only the band within `limit` of the
  // diagonal: a cell outside it is more than `limit` anyway, so it counts as
  // `beyond`, and a row without a cell under the limit ends the search.
  static thread_local std::vector<size_t> previous, current;
  previous.assign(m + 1, beyond);
  current.assign(m + 1, beyond);
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
  PrepareSuggestions(index);
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
  ParsedPlace(*run, line, column, &line, &column);
  auto folded = index.folded.find(FoldCase(title));
  if (folded != index.folded.end()) {
    const InstalledTitle& installed = index.titles[folded->second];
    Report(run, file, line, column, Severity::kWarning,
           "the title \"" + title + "\" is installed as \"" + installed.title + "\" (" +
               Where(installed) + "): write it with the same capital letters");
    return true;
  }
  std::string message = "no installed simulator object has the title \"" + title + "\"";
  auto cached = run->nearest.find(title);
  if (cached == run->nearest.end())
    cached = run->nearest.emplace(title, Nearest(title, index)).first;
  if (const InstalledTitle* nearest = cached->second) {
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
