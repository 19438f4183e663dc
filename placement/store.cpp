#include "placement/store.h"

PlacementStore* placementStore = nullptr;

PlacementStore* CreatePlacementStore() { return new PlacementStore(); }

void DestroyPlacementStore(PlacementStore* store) { delete store; }

bool StoreIsConsistent(const PlacementStore& store) {
  size_t entries = store.entryDirs.size();
  if (store.entryLatitudes.size() != entries || store.entryLongitudes.size() != entries ||
      store.entryAltitudes.size() != entries || store.variantCounts.size() != entries) {
    return false;
  }
  int64_t variants = 0;
  for (int32_t count : store.variantCounts) {
    if (count < 0) return false;
    variants += count;
  }
  return store.variantTypes.size() == store.variantTitles.size() &&
         static_cast<int64_t>(store.variantTitles.size()) == variants;
}
