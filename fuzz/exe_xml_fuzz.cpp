// Fuzzes brindlewick-setup's edits: for any exe.xml the parser accepts,
// install and remove must leave a well-formed file with exactly the entries
// of ours they promise and every other entry as it was, in its order.
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "setup/exe_xml.h"
#include "setup/exe_xml_edit.h"

namespace {

const char kPath[] = "C:\\Program Files\\Caf\xC3\xA9 & Co\\Brindlewick.exe";

std::vector<std::string> Others(const setup::ExeXml& doc) {
  std::vector<std::string> names;
  for (const setup::Addon& addon : doc.addons)
    if (addon.name != setup::kEntryName) names.push_back(addon.name + "|" + addon.path);
  return names;
}

void Check(const setup::ExeXml& before, const setup::Plan& plan, int ours_after) {
  if (plan.refused) return;
  setup::ExeXml after = setup::ReadExeXml(plan.text);
  if (!after.well_formed || after.root != before.root || Others(after) != Others(before)) abort();
  int ours = 0;
  for (const setup::Addon& addon : after.addons) {
    if (addon.name != setup::kEntryName) continue;
    ++ours;
    if (addon.path != kPath || (!addon.disabled.empty() && addon.disabled != "False")) abort();
  }
  if (ours != ours_after) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  setup::ExeXml doc = setup::ReadExeXml(bytes);
  if (!doc.well_formed || doc.root != "SimBase.Document") return 0;
  Check(doc, setup::PlanInstall(bytes, doc, kPath), 1);
  setup::Plan removed = setup::PlanRemove(bytes, doc);
  if (!removed.refused) {
    setup::ExeXml after = setup::ReadExeXml(removed.text);
    if (!after.well_formed || Others(after) != Others(doc) || after.addons.size() != Others(doc).size())
      abort();
  }
  return 0;
}
