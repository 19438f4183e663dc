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
  bool refused = false;  // `message` says why
  bool changed = false;  // false: nothing to do
  std::string text;      // the whole new file
  std::string message;   // what was done, or why not
};

/// A new exe.xml holding only our entry, starting `path` (UTF-8).
Plan PlanNewFile(const std::string& path);

/// Our entry in `bytes` (parsed as `doc`) starting `path`, enabled; a second
/// entry of ours is taken out.
Plan PlanInstall(const std::string& bytes, const ExeXml& doc, const std::string& path);

/// `bytes` without our entries.
Plan PlanRemove(const std::string& bytes, const ExeXml& doc);

}  // namespace setup

#endif  // BRINDLEWICK_SETUP_EXE_XML_EDIT_H_
