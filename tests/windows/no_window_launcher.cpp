// Starts the command line it is given as some launchers do: with a console of
// its own and no window (CREATE_NO_WINDOW). Exits with the command's exit code.
#include <windows.h>

#include <string>

int wmain() {
  const wchar_t* line = GetCommandLineW();
  // Past our own name, quoted or not.
  bool quoted = false;
  for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
    if (*line == L'"') quoted = !quoted;
  while (*line == L' ' || *line == L'\t') ++line;
  std::wstring command(line);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return 2;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 2;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}
