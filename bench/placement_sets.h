// Generated placement sets for the benchmarks: realistic entries, seeded so
// every run measures the same files.
#ifndef BRINDLEWICK_BENCH_PLACEMENT_SETS_H_
#define BRINDLEWICK_BENCH_PLACEMENT_SETS_H_

#include <string>
#include <vector>

namespace bench {

/// Writes `files` placement files of `entries` entries each into
/// `folder`/Quillmar/BrindlewickV2 and returns their program paths
/// (".\\Quillmar\\BrindlewickV2\\name"), relative to `folder`.
std::vector<std::string> WritePlacementSet(const std::string& folder, int files, int entries,
                                           unsigned seed);

}  // namespace bench

#endif  // BRINDLEWICK_BENCH_PLACEMENT_SETS_H_
