// What brindlewick-setup asks of the operating system. One implementation
// per platform (setup_os-posix.cpp, setup_os-win32.cpp), chosen by the build.
// Paths and texts are UTF-8 here; each implementation converts at its edge.
#ifndef BRINDLEWICK_SETUP_SETUP_OS_H_
#define BRINDLEWICK_SETUP_SETUP_OS_H_

#include <cstdio>
#include <string>
#include <vector>

namespace setup_os {

/// The path separator ('\\' on Windows).
extern const char kSeparator;
/// The program's file name, as it lies beside the setup tool.
extern const char kProgramName[];

/// The command line's arguments after the program name, in UTF-8.
std::vector<std::string> Arguments(int argc, char** argv);

/// Writes UTF-8 `text` to `stream` in the console's encoding.
void Print(const std::string& text, std::FILE* stream);

/// The folder holding the running setup tool.
std::string ProgramFolder();

/// `path` as an absolute path spelt as the file system spells it, when it
/// names an existing file.
bool ExistingFile(const std::string& path, std::string* absolute);

bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);

/// How many *.xml files `folder` holds.
int CountXmlFiles(const std::string& folder);

/// The whole file; false with the system's reason in `error`.
bool ReadFile(const std::string& path, std::string* bytes, std::string* error);

/// Writes `bytes` to `path` (created or emptied) and flushes them to disk.
bool WriteFile(const std::string& path, const std::string& bytes, std::string* error);

/// Puts `replacement` in the place of `target` in one step (ReplaceFile or
/// MoveFileEx on Windows, rename elsewhere): readers see the old file or the
/// new one, never a part.
bool Replace(const std::string& replacement, const std::string& target, std::string* error);

void RemoveFile(const std::string& path);

}  // namespace setup_os

#endif  // BRINDLEWICK_SETUP_SETUP_OS_H_
