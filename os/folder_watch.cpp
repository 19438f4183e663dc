#include "os/folder_watch.h"

namespace os {

bool IsPlacementName(const std::string& name) {
  if (name.size() < 4) return false;
  const char* end = name.c_str() + name.size() - 4;
  const char suffix[] = ".xml";
  for (int i = 0; i < 4; ++i) {
    char c = end[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != suffix[i]) return false;
  }
  return true;
}

}  // namespace os
