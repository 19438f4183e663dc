// Fuzzes brindlewick-setup's edits: for any exe.xml the parser accepts,
// every text install and remove would write is proven as the tool promises:
// it parses, holds exactly one entry of ours starting our path and enabled
// (none after remove), and every other entry's bytes are what they were, in
// their order. A plan the tool's own proof refuses is a fault of the planner.
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "setup/exe_xml.h"
#include "setup/exe_xml_edit.h"

namespace {

const char kPath[] = "C:\\Program Files\\Caf\xC3\xA9 & <Co>\\Brindlewick.exe";

std::vector<std::string> Others(const std::string& bytes, const setup::ExeXml& doc, int* ours) {
  std::vector<std::string> others;
  for (const setup::Addon& a : doc.addons) {
    if (setup::IsOurs(a)) {
      ++*ours;
      if (a.path != kPath || (a.disabled != "" && a.disabled != "False") ||
          (a.manual_load != "" && a.manual_load != "False"))
        *ours += 1000;  // ours, but not as promised
    } else {
      others.push_back(bytes.substr(a.element.begin, a.element.end - a.element.begin));
    }
  }
  return others;
}

void Check(const std::string& bytes, const setup::ExeXml& before, const setup::Plan& plan,
           int ours_after) {
  if (plan.unproven) abort();
  if (plan.refused || !plan.changed) return;
  setup::ExeXml after = setup::ReadExeXml(plan.text);
  int unused = 0, ours = 0;
  if (!after.well_formed || after.root != before.root ||
      Others(plan.text, after, &ours) != Others(bytes, before, &unused) || ours != ours_after)
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  setup::ExeXml doc = setup::ReadExeXml(bytes);
  // An entity's elements have no bytes of their own, and an external DTD's
  // entities are unknown: such a file is never planned on.
  if ((doc.declares_entities || doc.external_dtd) && doc.well_formed) abort();
  if (!doc.well_formed || doc.root != "SimBase.Document") return 0;
  Check(bytes, doc, setup::PlanInstall(bytes, doc, kPath), 1);
  Check(bytes, doc, setup::PlanRemove(bytes, doc), 0);
  return 0;
}
