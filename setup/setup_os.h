// What brindlewick-setup asks of the operating system. One implementation
// per platform (setup_os-posix.cpp, setup_os-win32.cpp), chosen by the build.
// Paths and texts are UTF-8 here; each implementation converts at its edge.
#ifndef BRINDLEWICK_SETUP_SETUP_OS_H_
#define BRINDLEWICK_SETUP_SETUP_OS_H_

#include <cstdint>
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

/// How many placement files `folder` holds, found by the program's own
/// search (os::FindFirst); folders are not counted.
int CountXmlFiles(const std::string& folder);

/// The file a write of `path` must replace: the target of a symbolic link
/// (the link stays), else `path`; false when a link leads nowhere.
bool WrittenPath(const std::string& path, std::string* written, std::string* error);

/// The whole file; false with the system's reason in `error`.
bool ReadFile(const std::string& path, std::string* bytes, std::string* error);

/// What the names of the temporary files beside a file add to its name;
/// nothing else the tool writes (the backup, the lock) starts so.
extern const char kTemporaryMark[];

/// Writes `bytes` to a new file of a unique name beside `beside` (its name,
/// kTemporaryMark and a suffix), flushed to disk, with the permissions
/// `beside` has, if it exists; its name goes to `created`, also on failure
/// (the caller removes it). A read-only `beside` or a folder of that name is
/// refused: it is not to be replaced.
bool WriteNew(const std::string& beside, const std::string& bytes, std::string* created,
              std::string* error);

/// Puts `replacement` in the place of `target` in one step (one MoveFileEx
/// on Windows, rename elsewhere): readers see the old file or the new one,
/// never a part, and never no file.
bool Replace(const std::string& replacement, const std::string& target, std::string* error);

void RemoveFile(const std::string& path);

/// Gives the file `path` names the second name `link` (a hard link); false
/// where the file system has none (FAT) or `link` exists.
bool Link(const std::string& path, const std::string& link);

/// Removes the temporary files a killed run left beside `beside`; how many.
int RemoveTemporaries(const std::string& beside);

/// Waits `milliseconds`.
void Pause(int milliseconds);

/// Takes the exclusive lock named `lock` (a file beside the one guarded),
/// trying for `seconds`; false with `busy` when another holds it all the
/// while, or with the system's reason.
bool AcquireLock(const std::string& lock, int seconds, std::intptr_t* handle, bool* busy,
                 std::string* error);
void ReleaseLock(const std::string& lock, std::intptr_t handle);

/// The calls an edit of exe.xml makes, in one place, so that a test can put
/// a failing disk, another setup or another installer in their way.
class Files {
 public:
  virtual ~Files() { Unlock(); }
  virtual bool Exists(const std::string& path) { return setup_os::Exists(path); }
  virtual bool ReadFile(const std::string& path, std::string* bytes, std::string* error) {
    return setup_os::ReadFile(path, bytes, error);
  }
  virtual bool WriteNew(const std::string& beside, const std::string& bytes, std::string* created,
                        std::string* error) {
    return setup_os::WriteNew(beside, bytes, created, error);
  }
  virtual bool Replace(const std::string& replacement, const std::string& target,
                       std::string* error) {
    return setup_os::Replace(replacement, target, error);
  }
  virtual void RemoveFile(const std::string& path) { setup_os::RemoveFile(path); }
  virtual int RemoveTemporaries(const std::string& beside) {
    return setup_os::RemoveTemporaries(beside);
  }
  virtual void Pause(int milliseconds) { setup_os::Pause(milliseconds); }
  virtual bool Link(const std::string& path, const std::string& link) {
    return setup_os::Link(path, link);
  }
  virtual bool Lock(const std::string& lock, bool* busy, std::string* error) {
    if (!AcquireLock(lock, 5, &handle_, busy, error)) return false;
    lock_ = lock;
    return true;
  }
  virtual void Unlock() {
    if (!lock_.empty()) ReleaseLock(lock_, handle_);
    lock_.clear();
  }

 private:
  std::string lock_;
  std::intptr_t handle_ = -1;
};

}  // namespace setup_os

#endif  // BRINDLEWICK_SETUP_SETUP_OS_H_
