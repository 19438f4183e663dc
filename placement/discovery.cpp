#include "placement/discovery.h"

#include <stdio.h>

#include "os/os.h"
#include "output/output.h"

std::vector<std::string> foundFiles;

const char kPlacementFolder[] = ".\\Quillmar\\BrindlewickV2\\";

void ScanPlacementFiles() {
  std::string name;
  int error = 0;
  os::FindState* search = os::FindFirst(L".\\Quillmar\\BrindlewickV2\\*.xml", &name, &error);
  if (!search) {
    ConsolePrintf("FindFirstFile failed (%d)\n", error);
    return;
  }
  do {
    foundFiles.push_back(name);
    ConsolePrintf("XML File Found: %s!\n", name.c_str());
  } while (os::FindNext(search, &name));
  os::FindEnd(search);
}
