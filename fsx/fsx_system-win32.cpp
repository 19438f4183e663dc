// Windows: the registry and %APPDATA% with calls Windows XP has
// (RegQueryValueExW, SHGetFolderPathW), as FSX runs there.
#include <windows.h>
// after windows.h, which it needs
#include <shlobj.h>

#include <vector>

#include "fsx/fsx_system.h"
#include "os/os.h"
#include "os/wide_text-win32.h"

namespace fsx {

namespace {

using os::Narrow;
using os::Wide;

bool AppPath(Key key, RegistryText* value) {
  const KeyPlace place = PlaceOf(key);
  const std::wstring name = Wide(place.key), value_name = Wide(place.value);
  // HKCU\Software is shared by 32- and 64-bit programs. HKLM\SOFTWARE has a
  // view for each: the 32-bit simulator's installer wrote the 32-bit one,
  // which a 32-bit program reads anyway and a 64-bit one asks for.
  HKEY handle;
  if (RegOpenKeyExW(place.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, name.c_str(), 0,
                    KEY_QUERY_VALUE | (place.machine ? KEY_WOW64_32KEY : 0),
                    &handle) != ERROR_SUCCESS)
    return false;
  // The value may change between asking its size and reading it; it may lack
  // its closing NUL or hold an odd byte: the buffer has room for a NUL of its
  // own and only whole characters are taken.
  std::vector<wchar_t> data;
  DWORD type = 0, size = 0;
  LONG result = RegQueryValueExW(handle, value_name.c_str(), nullptr, &type, nullptr, &size);
  for (int attempt = 0; attempt < 4 && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA);
       ++attempt) {
    data.assign(size / sizeof(wchar_t) + 2, L'\0');
    size = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    result = RegQueryValueExW(handle, value_name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
    if (result != ERROR_MORE_DATA) break;
  }
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return false;
  size_t length = 0;
  while (length < size / sizeof(wchar_t) && data[length] != L'\0') ++length;
  value->type = type;
  value->text = Narrow(std::wstring(data.data(), length));
  return true;
}

std::string Expand(const std::string& text) {
  std::wstring wide = Wide(text);
  DWORD length = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
  if (length == 0) return text;
  std::vector<wchar_t> out(length + 1, L'\0');
  if (ExpandEnvironmentStringsW(wide.c_str(), out.data(), length + 1) == 0) return text;
  return Narrow(out.data());
}

std::string AppData() {
  wchar_t folder[MAX_PATH + 1] = {0};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return "";
  return Narrow(folder);
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// In the ANSI code page with no best-fit look-alike ("\u0141\u00f3d\u017a" is
// not "L\u00f3dz", another folder), as the checker takes its paths.
std::string Spell(const std::string& text, Spelling spelling) {
  return spelling == Spelling::kUtf8 ? text : os::AnsiPath(Wide(text));
}

}  // namespace

const System& ThisSystem() {
  static const System system = {'\\', AppPath, Expand, AppData, Exists, Spell};
  return system;
}

}  // namespace fsx
