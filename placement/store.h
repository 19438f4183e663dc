// The one store of every placement entry and season variant, kept as seven
// parallel columns. Entry k's variants start at the sum of the variant counts
// of the entries before it; a variant's index is also its object ID slot.
#ifndef BRINDLEWICK_PLACEMENT_STORE_H_
#define BRINDLEWICK_PLACEMENT_STORE_H_

#include <stdint.h>

#include <string>
#include <vector>

struct PlacementStore {
  std::vector<std::string> entryDirs;      // per entry
  std::vector<std::string> variantTypes;   // per variant
  std::vector<std::string> variantTitles;  // per variant
  std::vector<double> entryLatitudes;      // per entry
  std::vector<double> entryLongitudes;     // per entry
  std::vector<double> entryAltitudes;      // per entry
  std::vector<int32_t> variantCounts;      // per entry
};

extern PlacementStore* placementStore;

PlacementStore* CreatePlacementStore();

/// Destroys the columns and frees the record.
void DestroyPlacementStore(PlacementStore* store);

/// True when the columns agree with one another: the entry columns share one
/// length, the variant columns another, equal to the sum of the counts.
bool StoreIsConsistent(const PlacementStore& store);

#endif  // BRINDLEWICK_PLACEMENT_STORE_H_
