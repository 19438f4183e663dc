// The new text of an exe.xml after install or remove: our entry spliced in,
// changed or cut out, every byte that is not ours left as it was.
#ifndef BRINDLEWICK_SETUP_EXE_XML_EDIT_H_
#define BRINDLEWICK_SETUP_EXE_XML_EDIT_H_

#include <string>

#include "setup/exe_xml.h"

namespace setup {

/// Our entry's <Name>.
extern const char kEntryName[];

struct Plan {
  bool refused = false;   // `message` says why
  bool unproven = false;  // refused: the new text failed Proven (a fault of ours)
  bool changed = false;   // false: nothing to do
  std::string text;       // the whole new file
  std::string message;    // what was done, or why not
  std::string would;      // for a dry run: what would be done
};

/// Whether `addon` is ours: its whole name is ours, in any ASCII letter case.
bool IsOurs(const Addon& addon);

/// Why no entry of `doc` may be changed, or "": an entry that names us in
/// any of its <Name>s but repeats <Name>, <Path>, <Disabled> or <ManualLoad>
/// is no one's for sure, and which of the copies counts is a guess.
std::string RepeatedField(const ExeXml& doc);

/// Why `after` may not replace `before` (parsed as `old`; null for a new
/// file), or "" when it may: it parses, holds exactly one entry of ours
/// starting `path` (none when `path` is null) and enabled, every other entry
/// is byte for byte what it was, and outside our entries only blanks differ.
std::string Proven(const std::string& before, const ExeXml* old, const std::string& after,
                   const std::string* path);

/// A new exe.xml holding only our entry, starting `path` (UTF-8).
Plan PlanNewFile(const std::string& path);

/// Our entry in `bytes` (parsed as `doc`) starting `path`, enabled and not
/// left to a manual load; a second entry of ours is taken out.
Plan PlanInstall(const std::string& bytes, const ExeXml& doc, const std::string& path);

/// `bytes` without our entries.
Plan PlanRemove(const std::string& bytes, const ExeXml& doc);

}  // namespace setup

#endif  // BRINDLEWICK_SETUP_EXE_XML_EDIT_H_
