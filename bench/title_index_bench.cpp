// Indexing the titles of a large simulator installation: a generated tree of
// 10,000 containers (sim.cfg and aircraft.cfg, 1 to 3 [fltsim.N] sections
// each, padded with the keys real files carry) under the six default search
// folders. Prints the time of IndexSimulator, min / median of 7 runs, with
// the files in the page cache (the first run warms it and is not counted).
// Then, against that index, the checker's look-ups of titles that are not
// installed ("did you mean"), and the INI reader on one 10 MB sim.cfg.
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "check/title_check.h"
#include "check/title_index.h"

namespace {

const int kContainers = 10000;

double CpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

size_t MakeTree(const std::string& root) {
  const char* kinds[6] = {"Airplanes", "Rotorcraft", "GroundVehicles", "Boats", "Animals", "Misc"};
  mkdir(root.c_str(), 0755);
  mkdir((root + "/SimObjects").c_str(), 0755);
  for (const char* kind : kinds) mkdir((root + "/SimObjects/" + kind).c_str(), 0755);
  srand(12);
  size_t titles = 0;
  for (int c = 0; c < kContainers; ++c) {
    int kind = c % 6;
    std::string folder = root + "/SimObjects/" + kinds[kind] + "/Object " + std::to_string(c);
    mkdir(folder.c_str(), 0755);
    std::ofstream file(folder + (kind < 2 ? "/aircraft.cfg" : "/sim.cfg"), std::ios::binary);
    int sections = 1 + rand() % 3;
    for (int s = 0; s < sections; ++s, ++titles) {
      file << "[fltsim." << s << "]\r\ntitle=Generated Object " << c << " Variation " << s
           << "\r\nsim=object\r\nmodel=\r\ntexture=" << s << "\r\natc_id=N" << c
           << "\r\nui_manufacturer=Quillmar ; generated\r\nui_type=Object\r\n\r\n";
    }
    file << "[General]\r\natc_type=GENERATED\r\ncategory=Static\r\n\r\n[contact_points]\r\n"
         << "point.0=1, 0.00, 0.00, -1.0, 1500, 0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0, 0, 0\r\n";
  }
  return titles;
}

// The CPU time of `work`, min / median of 5 runs (BENCH_RUNS to change).
void Time(const char* what, const std::function<void()>& work) {
  std::vector<double> cpu;
  static const int runs = getenv("BENCH_RUNS") ? atoi(getenv("BENCH_RUNS")) : 5;
  for (int run = 0; run < runs; ++run) {
    double start = CpuSeconds();
    work();
    cpu.push_back(CpuSeconds() - start);
  }
  std::sort(cpu.begin(), cpu.end());
  printf("%s: CPU %.0f / %.0f ms (min / median of %zu)\n", what, cpu[0] * 1e3,
         cpu[cpu.size() / 2] * 1e3, cpu.size());
}

// CheckInstalledTitle on 2,000 Seasons whose titles are `title(i)`, each run
// from a fresh checker run (nothing remembered from the run before).
void TimeLookups(const char* what, const TitleIndex& index,
                 const std::function<std::string(int)>& title) {
  std::vector<TiXmlElement> seasons;
  for (int i = 0; i < 2000; ++i) {
    seasons.emplace_back("Season");
    seasons.back().SetAttribute("SimTitle", title(i).c_str());
  }
  Time(what, [&] {
    std::ostringstream out;
    CheckRun run;
    run.out = &out;
    run.installed = &index;
    for (const TiXmlElement& season : seasons) CheckInstalledTitle(&season, "a.xml", &run);
  });
}

}  // namespace

int main() {
  std::string root = "/tmp/brindlewick_title_bench";
  system(("rm -rf " + root).c_str());
  size_t made = MakeTree(root);
  std::vector<double> wall, cpu;
  size_t indexed = 0;
  for (int run = 0; run < 8; ++run) {
    TitleIndex index;
    std::string problem;
    auto start = std::chrono::steady_clock::now();
    double cpuStart = CpuSeconds();
    if (!IndexSimulator(root, "", &index, &problem)) {
      fprintf(stderr, "title_index_bench: %s\n", problem.c_str());
      return 1;
    }
    double cpuTime = CpuSeconds() - cpuStart;
    double wallTime =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    indexed = index.titles.size();
    if (run == 0) continue;
    wall.push_back(wallTime);
    cpu.push_back(cpuTime);
  }
  TitleIndex index;
  std::string problem;
  IndexSimulator(root, "", &index, &problem);
  PrepareSuggestions(&index);
  system(("rm -rf " + root).c_str());
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  printf("%d containers, %zu titles made, %zu indexed\n", kContainers, made, indexed);
  printf("index: wall %.0f / %.0f ms, CPU %.0f / %.0f ms (min / median of %zu)\n", wall[0] * 1e3,
         wall[wall.size() / 2] * 1e3, cpu[0] * 1e3, cpu[cpu.size() / 2] * 1e3, wall.size());

  // Titles as an author with one habit of misspelling writes them.
  TimeLookups("did you mean, 2,000 titles with one systematic typo", index,
              [](int i) { return "Generated Objet " + std::to_string(i * 5) + " Variation 0"; });
  TimeLookups("did you mean, 2,000 titles with two letters swapped", index,
              [](int i) { return "Generated Obejct " + std::to_string(i * 5) + " Variation 0"; });
  TimeLookups("did you mean, one missing title 2,000 times", index,
              [](int) { return std::string("Generated Objet 1234 Variation 0"); });
  TimeLookups("did you mean, 2,000 titles near none", index,
              [](int i) { return "Harbour crane " + std::to_string(i) + " (red)"; });

  std::string cfg = "[fltsim.0]\r\ntitle=Big\r\n[contact_points]\r\n";
  while (cfg.size() < 10 * 1000 * 1000) {
    cfg += "point." + std::to_string(cfg.size()) +
           "=1, 0.00, 0.00, -1.0, 1500, 0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0, 0, 0\r\n";
  }
  Time("INI reader, one 10 MB sim.cfg without ';'", [&] {
    TitleIndex one;
    IndexContainerText(cfg, "sim.cfg", &one);
  });
  return indexed == made ? 0 : 1;
}
