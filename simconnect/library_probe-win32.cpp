// The probe's calls on Windows. Everything here exists since Windows XP.
#include <windows.h>

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

void* Load() {
  // A DLL that is there but broken fails the call instead of stopping on a
  // dialog box that a simulator-started program would leave unseen.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryW(L"SimConnect.dll");
  SetErrorMode(previous);
  return library;
}

void* Find(void* library, const char* function) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), function));
}

void FreeOne(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

void ReleaseContext(void* context) { ReleaseActCtx(context); }

}  // namespace

const Calls kWin32Calls = {CreateContext, Activate, Deactivate,    Load,
                           Find,          FreeOne,  ReleaseContext};

}  // namespace simconnect_probe
