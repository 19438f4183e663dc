// The titles of the simulator objects installed: read from the simulator's
// containers (sim.cfg, aircraft.cfg) or from a plain list, one per line.
#ifndef BRINDLEWICK_CHECK_TITLE_INDEX_H_
#define BRINDLEWICK_CHECK_TITLE_INDEX_H_

#include <stdint.h>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

struct InstalledTitle {
  std::string title;
  std::string file;  // where it is defined, as shown in messages
  int line = 0;
};

/// Something wrong in the simulator's own files, shown as a note.
struct IndexNote {
  std::string file;
  int line = 0;  // 0: the whole file
  std::string message;
};

/// A distinct title as "did you mean" compares it: case-folded, with how
/// often each kind of character occurs in it (NearKind).
struct NearTitle {
  std::string folded;
  size_t first = 0;  // index into TitleIndex::titles of its first definition
  std::array<unsigned char, 64> counts{};
};

/// The kind of a case-folded byte that NearTitle counts: each letter and
/// digit and the space its own, other bytes shared.
size_t NearKind(unsigned char byte);

struct TitleIndex {
  std::vector<InstalledTitle> titles;  // every definition, in the order read
  /// Index into `titles` of the first definition of each title, as written
  /// and case-folded.
  std::unordered_map<std::string, size_t> exact;
  std::unordered_map<std::string, size_t> folded;
  std::vector<IndexNote> notes;
  /// Each folded title once, shortest first, and beside them, packed tight
  /// for a quick first look at all: which kinds of character each holds
  /// (bit k for kind k) and its length. Filled by PrepareSuggestions.
  std::vector<NearTitle> near;
  std::vector<uint64_t> nearKinds;
  std::vector<uint32_t> nearLengths;
};

/// The six search folders the simulator uses when fsx.cfg names none.
extern const char* const kDefaultSearchFolders[6];

/// `text` with ASCII and Windows-1252 letters in lower case, so titles that
/// differ only in letter case compare equal.
std::string FoldCase(const std::string& text);

/// Adds one title definition; a title defined before gets a note.
void AddTitle(const std::string& title, const std::string& file, int line, TitleIndex* index);

/// Adds the title of each [fltsim.N] section of a container file's `text`.
void IndexContainerText(const std::string& text, const std::string& file, TitleIndex* index);

/// The search folders from the text of fsx.cfg ([Main] SimObjectPaths.N in
/// the order of N), or the defaults when it names none.
std::vector<std::string> SearchFoldersFromFsxCfg(const std::string& text);

/// Indexes every container one level below each search folder of the
/// simulator installed in `simFolder`; `fsxCfg` (may be empty) names the
/// fsx.cfg to take the search folders from. False, with what to fix in
/// `problem`, when nothing can be read.
bool IndexSimulator(const std::string& simFolder, const std::string& fsxCfg, TitleIndex* index,
                    std::string* problem);

/// Makes the bytes of a container or title list into the text the index
/// reads: a UTF-8 byte-order mark is dropped, UTF-16 with its mark becomes
/// Windows-1252, the code page titles are compared in ('?' for a character
/// it lacks, as a narrow call gets it). False, with what to do in `problem`,
/// for text with zero bytes in it (UTF-16 without a mark): it is not read.
bool DecodeTitleText(std::string* text, std::string* problem);

/// Indexes a list of titles, one per line; blank lines are skipped.
bool IndexTitleList(const std::string& path, TitleIndex* index, std::string* problem);

#endif  // BRINDLEWICK_CHECK_TITLE_INDEX_H_
