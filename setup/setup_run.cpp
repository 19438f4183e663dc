#include "setup/setup_run.h"

#include <algorithm>

#include "fsx/fsx_location.h"
#include "output/log_file.h"
#include "setup/exe_xml.h"
#include "setup/exe_xml_edit.h"
#include "setup/setup_os.h"
#include "setup/simconnect_status.h"
#include "version.h"

namespace {

const char kUsage[] =
    "Usage: brindlewick-setup install [EXE] [--new] | remove | status [--exe-xml FILE] "
    "[--dry-run]\n"
    "  install [EXE]   makes the simulator start Brindlewick (default: the Brindlewick.exe\n"
    "                  beside this tool)\n"
    "  remove          takes the Brindlewick entry out of exe.xml\n"
    "  status          says which simulators it found and what their exe.xml holds\n"
    "                  for Brindlewick\n"
    "  --exe-xml FILE  the exe.xml to use (default: that of the simulator whose folder\n"
    "                  holds the program, else %APPDATA%\\Microsoft\\FSX\\exe.xml)\n"
    "  --dry-run       prints what would be written and changes nothing\n"
    "  --new           install: starts a new exe.xml even though the missing or empty\n"
    "                  one's backup holds other programs' entries\n"
    "  --version       prints the tool's version\n"
    "Double-clicked, without a command, it shows the status and waits for a key.\n"
    "Exit code: 0 done or nothing to do, 1 refused, 2 exe.xml unreadable or broken.\n";

const char kBackupSuffix[] = ".brindlewick-backup";
const char kLockSuffix[] = ".brindlewick-lock";
const int kLoaded = -1;  // Load's result when the file can be used
// A missing, empty or broken file may be one that another program is
// writing: it is judged once two reads this far apart agree.
const int kSettleMilliseconds = 100;
const int kSettleTries = 30;

struct Options {
  std::string command;
  std::string exe;
  bool exe_named = false;  // an empty EXE named is refused, not taken as the default
  std::string exe_xml;
  bool dry_run = false;
  bool fresh = false;  // --new
};

// Windows compares file names without regard to case.
bool SameFolder(std::string a, std::string b) {
  for (std::string* text : {&a, &b})
    for (char& c : *text)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return a == b;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder + setup_os::kSeparator + name;
}

bool ParseOptions(const std::vector<std::string>& args, Options* options, std::ostream& err) {
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dry-run") {
      options->dry_run = true;
    } else if (args[i] == "--new") {
      options->fresh = true;
    } else if (args[i] == "--exe-xml") {
      // An empty FILE would fall back to the search and change another file.
      if (i + 1 == args.size() || args[i + 1].empty() || args[i + 1].rfind("--", 0) == 0) {
        err << "--exe-xml needs the FILE to use: --exe-xml FILE.\n" << kUsage;
        return false;
      }
      options->exe_xml = args[++i];
    } else if (args[i].rfind("--", 0) == 0) {
      err << "Unknown option " << args[i] << ".\n" << kUsage;
      return false;
    } else {
      words.push_back(args[i]);
    }
  }
  bool fits = !words.empty() && (words[0] == "install" ? words.size() <= 2 : words.size() == 1) &&
              (words[0] == "install" || words[0] == "remove" || words[0] == "status");
  if (!fits) {
    err << kUsage;
    return false;
  }
  options->command = words[0];
  if (words.size() == 2) options->exe = words[1], options->exe_named = true;
  return true;
}

// The exe.xml of the simulator whose folder holds `program` (the Steam
// Edition beside the boxed one reads FSX-SE's); else %APPDATA%\Microsoft\FSX's,
// or FSX-SE's when only that one is there.
bool FindExeXml(const fsx::Simulators& simulators, const std::string& program, std::string* path,
                std::ostream& err) {
  const std::string& appdata = simulators.app_data;
  if (appdata.empty()) {
    err << "No application-data folder here: name the file with --exe-xml FILE.\n";
    return false;
  }
  const fsx::Installation* owner =
      program.empty()
          ? nullptr
          : fsx::InstallationIn(simulators, program.substr(0, program.find_last_of("\\/")));
  if (owner) {
    *path = owner->exe_xml;
  } else {
    std::string boxed = Join(Join(Join(appdata, "Microsoft"), "FSX"), "exe.xml");
    std::string steam = Join(Join(Join(appdata, "Microsoft"), "FSX-SE"), "exe.xml");
    bool has_boxed = setup_os::Exists(boxed), has_steam = setup_os::Exists(steam);
    if (has_boxed && has_steam) {
      err << "Found two exe.xml files, the boxed simulator's and the Steam edition's:\n  " << boxed
          << "\n  " << steam << "\nName the one to change with --exe-xml FILE.\n";
      return false;
    }
    std::string steam_folder = steam.substr(0, steam.rfind(setup_os::kSeparator));
    *path =
        has_steam || (!has_boxed &&
                      !setup_os::IsDirectory(boxed.substr(0, boxed.rfind(setup_os::kSeparator))) &&
                      setup_os::IsDirectory(steam_folder))
            ? steam
            : boxed;
  }
  if (!setup_os::IsDirectory(path->substr(0, path->rfind(setup_os::kSeparator)))) {
    err << "The simulator's settings folder " << path->substr(0, path->rfind(setup_os::kSeparator))
        << " does not exist: start the simulator once, or name the file with --exe-xml FILE.\n";
    return false;
  }
  return true;
}

// The file as read, and whether it holds anything.
struct Loaded {
  std::string bytes;
  setup::ExeXml doc;
  bool existed = false;
  bool blank = false;          // 0 bytes, or only blank lines and a byte-order mark
  bool backup_others = false;  // missing or blank, and the backup holds others' entries
};

bool Blank(const std::string& bytes) {
  size_t from = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  return bytes.find_first_not_of(" \t\r\n", from) == std::string::npos;
}

bool HoldsOthers(const setup::ExeXml& doc) {
  for (const setup::Addon& addon : doc.addons)
    if (!setup::IsOurs(addon)) return true;
  return false;
}

bool BackupHoldsOthers(setup_os::Files& files, const std::string& backup) {
  std::string bytes, error;
  if (!files.Exists(backup) || !files.ReadFile(backup, &bytes, &error)) return false;
  const setup::ExeXml doc = setup::ReadExeXml(bytes);
  return doc.well_formed && HoldsOthers(doc);
}

// One reading of the file.
struct Look {
  bool exists = false;
  bool read = false;
  std::string bytes;
  std::string error;
  bool operator==(const Look& other) const {
    return exists == other.exists && read == other.read && bytes == other.bytes &&
           error == other.error;
  }
};

Look LookAt(setup_os::Files& files, const std::string& path) {
  Look look;
  look.exists = files.Exists(path);
  if (look.exists) look.read = files.ReadFile(path, &look.bytes, &look.error);
  return look;
}

// What another program may leave for a moment while it writes the file.
bool Unsettled(const Look& look) {
  return !look.exists || !look.read || Blank(look.bytes) ||
         !setup::ReadExeXml(look.bytes).well_formed;
}

// Reads and judges the file: kLoaded, or the exit code when it cannot be used.
int Load(setup_os::Files& files, const std::string& path, const std::string& backup, Loaded* file,
         std::ostream& out, std::ostream& err) {
  if (setup_os::IsDirectory(path)) {
    err << path << " is a folder, not a file: the simulator reads exe.xml from a file of that "
        << "name. Move the folder away and run again. Nothing was changed.\n";
    return 2;
  }
  Look look = LookAt(files, path);
  for (int tries = 0; Unsettled(look); ++tries) {
    if (tries == kSettleTries) {
      err << path << " keeps changing: another program is writing it. Run brindlewick-setup "
          << "again when that program is done. Nothing was changed.\n";
      return 1;
    }
    files.Pause(kSettleMilliseconds);
    Look again = LookAt(files, path);
    if (again == look) break;
    look = again;
  }
  if (!look.exists) {
    out << path << " does not exist yet.\n";
    file->blank = true;
  } else if (!look.read) {
    err << path << ": cannot be read: " << look.error << ".\n";
    return 2;
  } else {
    file->existed = true;
    file->bytes = look.bytes;
  }
  // Real ones hold a few kilobytes; the parser takes lengths as int.
  if (file->bytes.size() > (16u << 20)) {
    err << path << ": " << file->bytes.size() << " bytes is far too large for an exe.xml; nothing "
        << "was changed.\n";
    return 2;
  }
  if (file->existed && Blank(file->bytes)) {
    file->blank = true;
    out << path
        << (file->bytes.empty() ? " is empty (0 bytes)"
                                : " holds only blank lines or a byte-order mark")
        << ": it is treated as missing.\n";
  }
  if (file->blank) {
    file->backup_others = BackupHoldsOthers(files, backup);
    if (file->backup_others)
      out << "The backup " << backup << " holds other programs' entries: copy it to " << path
          << " to get them back.\n";
    return kLoaded;
  }
  file->doc = setup::ReadExeXml(file->bytes);
  const setup::ExeXml& doc = file->doc;
  if (doc.declares_entities) {
    err << path << ": its DOCTYPE declares entities, which this tool does not expand, so an "
        << "entry may not be where it stands: write the entries out in full without the "
        << "<!DOCTYPE ...> and run again. Nothing was changed.\n";
    return 1;
  }
  if (doc.external_dtd) {
    err << path << ": its DOCTYPE refers to declarations outside the file, which this tool "
        << "does not read, so an entry may not be named as it seems: delete the <!DOCTYPE ...> "
        << "and run again. Nothing was changed.\n";
    return 1;
  }
  if (!doc.well_formed) {
    err << path << ":" << doc.line << ":" << doc.column << ": error: " << doc.message << "\n"
        << setup::LikelyCause(doc, file->bytes) << "\n"
        << "Nothing was changed: fix the file and run again.\n";
    if (files.Exists(backup))
      err << "A copy from before brindlewick-setup's last change is in " << backup
          << "; it may lack what other programs changed since.\n";
    return 2;
  }
  return kLoaded;
}

// Another installer may have written the file since it was read; writing
// over that would lose its entry.
bool Changed(setup_os::Files& files, const std::string& path, const Loaded& old) {
  std::string now, error;
  if (!files.Exists(path)) return old.existed;
  return !old.existed || !files.ReadFile(path, &now, &error) || now != old.bytes;
}

void SayChanged(const std::string& path, std::ostream& err) {
  err << path << " changed while brindlewick-setup worked; run it again. It was not written.\n";
}

// A second name of the file being replaced, removed however Write ends.
struct Kept {
  setup_os::Files& files;
  std::string name;
  bool keeping = false;
  ~Kept() {
    if (keeping) files.RemoveFile(name);
  }
};

// Whether another program wrote the replaced file in place while it was
// replaced: what it wrote went away with that file, which `kept` still
// names. It is put back, once whole, over ours (never over a file that
// differs from ours); what that program writes later then lands there too.
bool WrittenAsReplaced(setup_os::Files& files, const std::string& path, const std::string& written,
                       const Kept& kept, const Loaded& old, const setup::Plan& plan,
                       std::ostream& err) {
  files.Pause(kSettleMilliseconds);
  std::string replaced, again, now, error;
  if (!files.ReadFile(kept.name, &replaced, &error) || replaced == old.bytes) return false;
  for (int tries = 0; tries < kSettleTries; ++tries) {
    files.Pause(kSettleMilliseconds);
    if (!files.ReadFile(kept.name, &again, &error) || again == replaced) break;
    replaced = again;
  }
  const bool put_back = files.ReadFile(path, &now, &error) && now == plan.text &&
                        files.Replace(kept.name, written, &error);
  err << path << " was written by another program while brindlewick-setup replaced it; "
      << (put_back ? "what that program wrote was put back. Run brindlewick-setup again."
                   : "what that program wrote then may be lost. Run brindlewick-setup status "
                     "to see what it holds.")
      << "\n";
  return true;
}

// The new text beside the file; the backup, written the same way, of a file
// that held something; the swap; the read-back. Before the backup and
// before the swap it checks that no one else wrote the file meanwhile.
int Write(setup_os::Files& files, const std::string& path, const std::string& written,
          const std::string& backup, const Loaded& old, const setup::Plan& plan, std::ostream& out,
          std::ostream& err) {
  std::string error, temporary, saved;
  if (!files.WriteNew(written, plan.text, &temporary, &error)) {
    if (!temporary.empty()) files.RemoveFile(temporary);
    err << "Cannot write " << path << ": " << error << ". Nothing was changed.\n";
    return 1;
  }
  if (Changed(files, path, old)) {
    files.RemoveFile(temporary);
    SayChanged(path, err);
    return 1;
  }
  // A backup that holds other programs' entries is never replaced by a file
  // that holds none: another tool may have emptied the file in between.
  const bool keep_backup =
      old.existed && !old.blank && !HoldsOthers(old.doc) && BackupHoldsOthers(files, backup);
  const bool back_up = old.existed && !old.blank && !keep_backup;
  if (back_up && (!files.WriteNew(backup, old.bytes, &saved, &error) ||
                  !files.Replace(saved, backup, &error))) {
    if (!saved.empty()) files.RemoveFile(saved);
    files.RemoveFile(temporary);
    err << "Cannot write the backup " << backup << ": " << error << ". Nothing was changed"
        << (files.Exists(backup) ? " (the backup is as it was)" : "") << ".\n";
    return 1;
  }
  // A second name for the file about to be replaced: another program that
  // writes it in place while it is replaced writes into that one, which
  // tells. Killed runs' leftovers went with the temporary files.
  Kept kept{files, written + setup_os::kTemporaryMark + "kept"};
  kept.keeping = old.existed && files.Link(written, kept.name);
  // The last look, right before the swap: nothing but the rename follows.
  if (Changed(files, path, old)) {
    files.RemoveFile(temporary);
    SayChanged(path, err);
    if (back_up) err << backup << " now holds it as it was before that change.\n";
    return 1;
  }
  if (!files.Replace(temporary, written, &error)) {
    files.RemoveFile(temporary);
    err << "Cannot write " << path << ": " << error << ". It is as it was.\n";
    return 1;
  }
  std::string again;
  if (!files.ReadFile(path, &again, &error) || again != plan.text) {
    // Another program wrote it at the same moment (or the disk fails):
    // putting the old file back over that would lose what it wrote.
    const setup::ExeXml now = setup::ReadExeXml(again);
    err << path
        << (now.well_formed && now.root == "SimBase.Document"
                ? " was changed by another program right after brindlewick-setup wrote it"
                : " does not read back as brindlewick-setup wrote it: another program may be "
                  "writing it")
        << "; it was left as it is. ";
    if (back_up) err << "The file before this change is in " << backup << ". ";
    err << "Run brindlewick-setup status to see what it holds.\n";
    return 1;
  }
  if (kept.keeping && WrittenAsReplaced(files, path, written, kept, old, plan, err)) return 1;
  out << path << ": " << plan.message << "\n";
  if (back_up)
    out << "The previous file is kept as " << backup << ".\n";
  else if (keep_backup)
    out << "The previous file held no other program's entry; " << backup
        << " was left as it was, since it holds theirs.\n";
  else if (old.existed && files.Exists(backup))
    out << "The previous file held nothing; " << backup << " was left as it was.\n";
  return 0;
}

bool EndsWithExe(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return end == ".exe";
}

struct Unlock {
  setup_os::Files& files;
  ~Unlock() { files.Unlock(); }
};

// The program install puts in exe.xml, spelt in full.
bool ProgramToInstall(const Options& options, std::string* target, std::ostream& err) {
  std::string exe =
      options.exe_named ? options.exe : Join(setup_os::ProgramFolder(), setup_os::kProgramName);
  if (setup_os::IsDirectory(exe) || !EndsWithExe(exe)) {
    err << (exe.empty() ? "\"\"" : exe)
        << " is not a program: name Brindlewick.exe, e.g. brindlewick-setup install "
        << "\"C:\\FSX\\Brindlewick.exe\".\n";
    return false;
  }
  if (setup_os::ExistingFile(exe, target)) return true;
  err << exe << " does not exist: name the program, e.g. brindlewick-setup install "
      << "\"C:\\FSX\\Brindlewick.exe\".\n";
  return false;
}

int Change(const Options& options, const std::string& target, const std::string& path,
           setup_os::Files& files, std::ostream& out, std::ostream& err) {
  std::string written, error;
  if (!setup_os::WrittenPath(path, &written, &error)) {
    err << path << ": " << error << ". Nothing was changed.\n";
    return 1;
  }
  const std::string backup = written + kBackupSuffix;
  Unlock unlock{files};
  bool busy = false;
  // One setup at a time from the read to the swap.
  if (!options.dry_run && !files.Lock(written + kLockSuffix, &busy, &error)) {
    if (busy)
      err << "Another brindlewick-setup is changing " << path
          << "; wait until it is done and run again. Nothing was changed.\n";
    else
      err << "Cannot create the lock file " << written << kLockSuffix << ": " << error
          << ". Nothing was changed.\n";
    return 1;
  }
  // Only a setup holding the lock writes them: any there now are a killed one's.
  if (!options.dry_run) {
    int left = files.RemoveTemporaries(written) + files.RemoveTemporaries(backup);
    if (left > 0)
      out << "Removed " << left << " temporary file" << (left == 1 ? "" : "s")
          << " that a stopped brindlewick-setup left beside " << path << ".\n";
  }
  Loaded file;
  int code = Load(files, path, backup, &file, out, err);
  if (code != kLoaded) return code;
  if (options.command == "install" && file.backup_others && !options.fresh) {
    err << "Nothing was written: brindlewick-setup install --new starts a new " << path
        << " holding only Brindlewick.\n";
    return 1;
  }
  const std::string& bytes = file.bytes;
  const setup::ExeXml& doc = file.doc;
  if (!file.blank && doc.root != "SimBase.Document") {
    err << path << ": the root element is <" << doc.root
        << ">, not <SimBase.Document>: this is not the simulator's exe.xml. Nothing was changed.\n";
    return 1;
  }
  setup::Plan plan;
  if (options.command == "remove") {
    plan.message = "has no Brindlewick entry; nothing to do.";
    if (!file.blank) plan = setup::PlanRemove(bytes, doc);
  } else {
    plan = file.blank ? setup::PlanNewFile(target) : setup::PlanInstall(bytes, doc, target);
  }
  if (plan.refused) {
    err << path << ": " << plan.message << "\n";
    return 1;
  }
  if (!plan.changed) {
    out << path << ": " << plan.message << "\n";
    return 0;
  }
  if (options.dry_run) {
    out << path << ": " << plan.would
        << "\nDry run: nothing was written. The new file would read:\n"
        << setup::DecodeText(plan.text, file.blank ? setup::Encoding::kWindows1252 : doc.encoding);
    return 0;
  }
  return Write(files, path, written, backup, file, plan, out, err);
}

bool IsTrue(std::string flag) {
  for (char& c : flag)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return flag == "true";
}

// The simulators' folders, where a SimConnect installer may lie.
std::vector<std::string> Folders(const fsx::Simulators& simulators) {
  std::vector<std::string> folders;
  for (const fsx::Installation& found : simulators.found) folders.push_back(found.folder);
  return folders;
}

// The folder of the simulator that reads `exe_xml`; else the first found's,
// where the program should be.
std::string SimulatorFor(const fsx::Simulators& simulators, const std::string& exe_xml) {
  std::string simulator = simulators.found.empty() ? "" : simulators.found[0].folder;
  for (const fsx::Installation& found : simulators.found)
    if (SameFolder(found.exe_xml, exe_xml)) simulator = found.folder;
  return simulator;
}

void WarnIfElsewhere(const std::string& program, const std::string& simulator, std::ostream& out) {
  std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
  if (!simulator.empty() && !SameFolder(folder, simulator + setup_os::kSeparator))
    out << "Warning: Brindlewick.exe is not in the simulator's folder; put it there with the "
           "Quillmar folder, so it finds its placement files however the simulator starts it.\n";
}

int Status(const std::string& path, const fsx::Simulators& simulators, setup_os::Files& files,
           std::ostream& out, std::ostream& err) {
  out << "exe.xml: " << path << "\n";
  Loaded file;
  std::string written, error;
  if (!setup_os::WrittenPath(path, &written, &error)) written = path;
  int code = Load(files, path, written + kBackupSuffix, &file, out, err);
  if (code != kLoaded) return code;
  const setup::ExeXml& doc = file.doc;
  const std::string repeated = setup::RepeatedField(doc);
  if (!repeated.empty()) {
    err << path << ": " << repeated << " Until then install and remove leave it alone.\n";
    return 1;
  }
  const setup::Addon* ours = nullptr;
  for (const setup::Addon& addon : doc.addons)
    if (setup::IsOurs(addon) && !ours) ours = &addon;
  const std::string simulator = SimulatorFor(simulators, path);
  if (!ours) {
    out << "Brindlewick entry: none (brindlewick-setup install adds it).\n";
  } else {
    out << "Brindlewick entry: "
        << (IsTrue(ours->disabled)      ? "disabled"
            : IsTrue(ours->manual_load) ? "not started by the simulator (ManualLoad is True; "
                                          "brindlewick-setup install sets it to False)"
                                        : "enabled")
        << "\nPath: " << ours->path << (setup_os::Exists(ours->path) ? "" : " (does not exist)")
        << "\n";
  }
  if (IsTrue(doc.disabled))
    out << "Warning: the file's own <Disabled> is True: the simulator starts none of the "
           "programs it lists; set it to False.\n";
  if (simulator.empty()) {
    out << "Simulator folder: not found in the registry.\n";
    return 0;
  }
  std::string placement = Join(Join(simulator, "Quillmar"), "BrindlewickV2");
  int count = setup_os::CountXmlFiles(placement);
  out << "Simulator folder: " << simulator << "\n"
      << "Placement files: " << count << " in " << placement << "\n";
  if (count == 0) out << "Warning: no placement files in " << placement << ".\n";
  if (ours) WarnIfElsewhere(ours->path, simulator, out);
  return 0;
}

// Which simulators there are, then each exe.xml of theirs that exists and
// the one install would use.
int StatusAll(const Options& options, const fsx::Simulators& simulators, setup_os::Files& files,
              std::ostream& out, std::ostream& err) {
  if (simulators.found.empty())
    out << "Found: no FSX in the registry (looked at " << simulators.keys_tried << ").\n";
  for (const fsx::Installation& found : simulators.found) {
    out << "Found: " << fsx::EditionName(found) << " in " << found.folder;
    if (!found.exe_xml.empty()) out << ", which reads " << found.exe_xml;
    out << "\n";
  }
  std::vector<std::string> paths;
  int code = 0;
  if (!options.exe_xml.empty()) {
    paths.push_back(options.exe_xml);
  } else {
    for (const fsx::Installation& found : simulators.found)
      if (!found.exe_xml.empty() && setup_os::Exists(found.exe_xml) &&
          std::find(paths.begin(), paths.end(), found.exe_xml) == paths.end())
        paths.push_back(found.exe_xml);
    // The one install would write, found as install finds it (or why not).
    std::string path;
    if (!FindExeXml(simulators, Join(setup_os::ProgramFolder(), setup_os::kProgramName), &path,
                    err))
      code = 1;
    else if (std::find(paths.begin(), paths.end(), path) == paths.end())
      paths.push_back(path);
  }
  for (const std::string& path : paths)
    code = std::max(code, Status(path, simulators, files, out, err));
  ReportSimConnect(Folders(simulators), out);
  return code;
}

// The program's last log, for whoever helps the pilot.
void ReportLog(const std::string& folder, std::ostream& out) {
  if (folder.empty()) return;
  std::string path = folder + setup_os::kSeparator + kLogName, lines;
  if (!ReadLastLines(path, 20, &lines)) {
    out << "Log: " << path << " (none yet: Brindlewick has not run)\n";
    return;
  }
  out << "Log: " << path << ", its last lines:\n" << log_os::ConsoleTextToUtf8(lines);
}

}  // namespace

int RunSetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             setup_os::Files& files) {
  Options options;
  if (!ParseOptions(args, &options, err)) return 1;
  fsx::Simulators simulators = fsx::FindSimulators(fsx::Spelling::kUtf8);
  if (options.command == "status") {
    out << "brindlewick-setup " BRINDLEWICK_VERSION "\n";
    int code = StatusAll(options, simulators, files, out, err);
    ReportLog(log_os::Folder(), out);
    return code;
  }
  std::string target;
  if (options.command == "install" && !ProgramToInstall(options, &target, err)) return 1;
  std::string path = options.exe_xml;
  if (path.empty() && !FindExeXml(simulators, target, &path, err)) return 1;
  int code = Change(options, target, path, files, out, err);
  if (options.command == "install" && code == 0)
    WarnIfElsewhere(target, SimulatorFor(simulators, path), out);
  // It still installs: SimConnect may come afterwards, before the next flight.
  if (options.command == "install" && code == 0) WarnWithoutSimConnect(Folders(simulators), out);
  return code;
}

int RunSetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  setup_os::Files files;
  return RunSetup(args, out, err, files);
}
