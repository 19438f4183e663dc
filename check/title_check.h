// Checking each SimTitle against the titles of the installed simulator objects.
#ifndef BRINDLEWICK_CHECK_TITLE_CHECK_H_
#define BRINDLEWICK_CHECK_TITLE_CHECK_H_

#include <string>

#include "check/check_run.h"
#include "check/title_index.h"

struct CheckOptions;
class TiXmlElement;

/// The most edits a near title may be away from `length` characters to be
/// offered as the one meant.
size_t NearDistance(size_t length);

/// The edit distance of `a` and `b`, byte by byte, or `limit` + 1 when it is
/// more than `limit`.
size_t EditDistance(const std::string& a, const std::string& b, size_t limit);

/// Fills index->near from the titles indexed, for Nearest.
void PrepareSuggestions(TitleIndex* index);

/// The installed title nearest to `title` in edit distance (case-folded), at
/// most NearDistance away; of several equally near, the one read first. Null
/// when none is near enough.
const InstalledTitle* Nearest(const std::string& title, const TitleIndex& index);

/// Indexes the titles the options name (--sim, --titles; on Windows without
/// either, the simulator the registry names), says so in one line where it
/// found them by itself, and reports the index's notes. Sets run->installed
/// when there are titles to check against. False when an option's folder or
/// file cannot be read.
bool PrepareTitleCheck(const CheckOptions& options, TitleIndex* index, CheckRun* run);

/// Checks the SimTitle of `season`, in `file`, against run->installed.
/// False when no installed object has the title, in any letter case.
bool CheckInstalledTitle(const TiXmlElement* season, const std::string& file, CheckRun* run);

/// "; 3 titles checked against 120 installed objects", or nothing when no
/// titles were checked.
std::string TitleSummary(const CheckRun& run);

#endif  // BRINDLEWICK_CHECK_TITLE_CHECK_H_
