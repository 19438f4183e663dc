// The registry and the known-folder call, as the simulator's installer and
// the simulator use them.
#define _WIN32_WINNT 0x0600  // SHGetKnownFolderPath
#include <windows.h>
#include <shlobj.h>

#include "check/sim_location.h"

namespace {

// FOLDERID_RoamingAppData, spelt out: the import libraries of some toolchains lack it.
const GUID kRoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};

// Paths reach the rest of the checker in the ANSI code page, as the command line does.
std::string Narrow(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return std::string();
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], length, nullptr, nullptr);
  out.resize(static_cast<size_t>(length - 1));
  return out;
}

}  // namespace

bool ReadSimulatorAppPath(bool steam, std::string* folder) {
  // A 32-bit program reads the plain key; HKCU\Software is not redirected.
  const wchar_t* key = steam
      ? L"Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam Edition\\10.0"
      : L"Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
  HKEY handle;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
    return false;
  }
  wchar_t value[MAX_PATH + 1] = {0};
  DWORD type = 0;
  DWORD size = sizeof value - sizeof value[0];  // room for a closing NUL the value may lack
  LONG result =
      RegQueryValueExW(handle, L"AppPath", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  *folder = Narrow(value);
  return true;
}

std::string RoamingAppDataFolder() {
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(kRoamingAppData, 0, nullptr, &path))) folder = Narrow(path);
  CoTaskMemFree(path);
  return folder;
}
