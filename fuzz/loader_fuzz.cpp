// Fuzzes the placement loader: the input is one or more placement files,
// separated by a line "%%FILE%%". After each file the store must equal the
// working set and keep its invariants.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <tinyxml.h>

#include <string>

#include "placement/cut_character.h"
#include "placement/loader.h"
#include "placement/nesting.h"
#include "placement/store.h"

namespace {

bool StoreEqualsWorkingSet(const PlacementStore& s) {
  return s.entryDirs == allEntryDirs && s.variantTypes == allVariantTypes &&
         s.variantTitles == allVariantTitles &&
         s.entryLatitudes.size() == allEntryLatitudes.size() &&
         s.entryLongitudes.size() == allEntryLongitudes.size() &&
         s.entryAltitudes.size() == allEntryAltitudes.size() && s.variantCounts == allVariantCounts;
}

void LoadOne(const std::string& text) {
  // What the loader refuses before parsing never reaches the parser.
  if (!NestingWithin(text.data(), text.size(), kMaxPlacementNesting)) return;
  if (EndsInCutCharacter(text.data(), text.size())) return;
  TiXmlDocument document;
  document.Parse(text.c_str());
  if (document.Error()) return;
  ReadPlacementDocument(document);
  if (!StoreIsConsistent(*placementStore) || !StoreEqualsWorkingSet(*placementStore)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The loader logs every entry; the log is not what is under test here.
  if (!freopen("/dev/null", "w", stdout)) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ClearWorkingSetForTesting();
  delete placementStore;
  placementStore = CreatePlacementStore();

  std::string input(reinterpret_cast<const char*>(data), size);
  const std::string separator = "\n%%FILE%%\n";
  size_t start = 0;
  while (true) {
    size_t next = input.find(separator, start);
    LoadOne(input.substr(start, next == std::string::npos ? std::string::npos : next - start));
    if (next == std::string::npos) break;
    start = next + separator.size();
  }
  return 0;
}
