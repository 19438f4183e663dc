// The probe's calls on Windows. Everything here exists since Windows XP.
#include <windows.h>

#include <string>
#include <vector>

#include "simconnect/library_probe.h"

namespace simconnect_probe {

namespace {

void* CreateContext(int version) {
  ACTCTXW request = {};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
  request.hModule = GetModuleHandleW(nullptr);
  request.lpResourceName = MAKEINTRESOURCEW(kFirstManifestId + version);
  // Some Windows versions want the source named even when the module is.
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length > 0 && length < path.size()) request.lpSource = path.data();
  HANDLE context = CreateActCtxW(&request);
  return context == INVALID_HANDLE_VALUE ? nullptr : context;
}

bool Activate(void* context, uintptr_t* cookie) {
  ULONG_PTR value = 0;
  if (!ActivateActCtx(context, &value)) return false;
  *cookie = value;
  return true;
}

void Deactivate(uintptr_t cookie) { DeactivateActCtx(0, cookie); }

void* Load(unsigned long* error) {
  // A DLL that is there but broken fails the call instead of stopping on a
  // dialog box that a simulator-started program would leave unseen.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryW(L"SimConnect.dll");
  *error = library ? 0 : GetLastError();
  SetErrorMode(previous);
  return library;
}

void* Find(void* library, const char* function) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), function));
}

void FreeOne(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

void ReleaseContext(void* context) { ReleaseActCtx(context); }

// The path in UTF-8, and the fixed file version of the module's own version
// resource: no version.dll needed, and it is the DLL that loaded, not the
// version asked for (Wine binds any request to the newest build).
void Identify(void* library, std::string* file, std::string* fileVersion) {
  HMODULE module = static_cast<HMODULE>(library);
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
  file->clear();
  if (length > 0 && length < path.size()) {
    int size = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(length), nullptr, 0,
                                   nullptr, nullptr);
    file->assign(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
      WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(length), &(*file)[0], size,
                          nullptr, nullptr);
  }
  fileVersion->clear();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
  HGLOBAL resource = found ? LoadResource(module, found) : nullptr;
  const BYTE* data = resource ? static_cast<const BYTE*>(LockResource(resource)) : nullptr;
  DWORD size = found ? SizeofResource(module, found) : 0;
  // VS_FIXEDFILEINFO follows the key "VS_VERSION_INFO", 32-bit aligned.
  for (DWORD at = 0; data && at + sizeof(VS_FIXEDFILEINFO) <= size && at < 128; at += 4) {
    VS_FIXEDFILEINFO info;
    CopyMemory(&info, data + at, sizeof info);
    if (info.dwSignature != 0xFEEF04BD) continue;
    *fileVersion = std::to_string(HIWORD(info.dwFileVersionMS)) + "." +
                   std::to_string(LOWORD(info.dwFileVersionMS)) + "." +
                   std::to_string(HIWORD(info.dwFileVersionLS)) + "." +
                   std::to_string(LOWORD(info.dwFileVersionLS));
    return;
  }
}

// The second assembly of the context (the first is our probe manifest), from
// its encoded identity: ...,type="win32",version="10.0.62615.0".
std::string BoundVersion(void* context) {
  DWORD index = 2;
  SIZE_T needed = 0;
  std::vector<BYTE> buffer(4096);
  if (!QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext,
                    buffer.data(), buffer.size(), &needed)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed > 65536) return "";
    buffer.resize(needed);
    if (!QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext,
                      buffer.data(), buffer.size(), &needed))
      return "";
  }
  const auto* info =
      reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
  if (!info->lpAssemblyEncodedAssemblyIdentity) return "";
  std::wstring identity = info->lpAssemblyEncodedAssemblyIdentity;
  for (wchar_t& c : identity)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  if (identity.find(L"microsoft.flightsimulator.simconnect") == std::wstring::npos) return "";
  size_t start = identity.find(L"version=\"");
  if (start == std::wstring::npos) return "";
  start += 9;
  size_t end = identity.find(L'"', start);
  std::string version;
  for (size_t i = start; i < end && i < identity.size(); ++i) {
    if ((identity[i] < L'0' || identity[i] > L'9') && identity[i] != L'.') return "";
    version.push_back(static_cast<char>(identity[i]));
  }
  return end == std::wstring::npos ? "" : version;
}

}  // namespace

const Calls kWin32Calls = {CreateContext, Activate,       Deactivate, Load,        Find,
                           FreeOne,       ReleaseContext, Identify,   BoundVersion};

}  // namespace simconnect_probe
