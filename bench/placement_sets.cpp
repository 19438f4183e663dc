#include "bench/placement_sets.h"

#include <stdio.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace bench {

std::vector<std::string> WritePlacementSet(const std::string& folder, int files, int entries,
                                           unsigned seed) {
  static const char* const kTypes[] = {"SU", "FA", "WI", "HW", "SP"};
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> lat(-60, 70), lon(-180, 180), alt(0, 3000);
  std::filesystem::path dir = std::filesystem::path(folder) / "Quillmar" / "BrindlewickV2";
  std::filesystem::create_directories(dir);
  std::vector<std::string> paths;
  for (int f = 0; f < files; ++f) {
    char name[32];
    snprintf(name, sizeof name, "set%05d.xml", f);
    std::ofstream out(dir / name, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- generated -->\n";
    for (int e = 0; e < entries; ++e) {
      out << "<SimObjectEntry>\n  <Object Dir=\"Generated entry " << f << "." << e << "\"/>\n";
      int variants = 1 + static_cast<int>(random() % 5);
      for (int v = 0; v < variants; ++v) {
        out << "  <Season Type=\"" << kTypes[(e + v) % 5] << "\" SimTitle=\"Quillmar Object "
            << (random() % 400) << "\"/>\n";
      }
      char data[160];
      snprintf(data, sizeof data, "  <PlacementData Lat=\"%.6f\" Lon=\"%.6f\" Alt=\"%.1f\"/>\n",
               lat(random), lon(random), alt(random));
      out << data << "</SimObjectEntry>\n";
    }
    paths.push_back(std::string(".\\Quillmar\\BrindlewickV2\\") + name);
  }
  return paths;
}

}  // namespace bench
