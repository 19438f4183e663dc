#include "setup/setup_run.h"

#include "setup/exe_xml.h"
#include "setup/exe_xml_edit.h"
#include "setup/setup_os.h"
#include "setup/simconnect_status.h"

namespace {

const char kUsage[] =
    "Usage: brindlewick-setup install [EXE] | remove | status [--exe-xml FILE] [--dry-run]\n"
    "  install [EXE]   makes the simulator start Brindlewick (default: the Brindlewick.exe\n"
    "                  beside this tool)\n"
    "  remove          takes the Brindlewick entry out of exe.xml\n"
    "  status          says what exe.xml holds for Brindlewick\n"
    "  --exe-xml FILE  the exe.xml to use (default: %APPDATA%\\Microsoft\\FSX\\exe.xml)\n"
    "  --dry-run       prints what would be written and changes nothing\n"
    "Exit code: 0 done or nothing to do, 1 refused, 2 exe.xml unreadable or broken.\n";

const char kBackupSuffix[] = ".brindlewick-backup";
const char kTemporarySuffix[] = ".brindlewick-new";

struct Options {
  std::string command;
  std::string exe;
  std::string exe_xml;
  bool dry_run = false;
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
    } else if (args[i] == "--exe-xml" && i + 1 < args.size()) {
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
  if (words.size() == 2) options->exe = words[1];
  return true;
}

// %APPDATA%\Microsoft\FSX\exe.xml, or the Steam edition's beside it.
bool FindExeXml(std::string* path, std::ostream& err) {
  std::string appdata = setup_os::AppDataFolder();
  if (appdata.empty()) {
    err << "No application-data folder here: name the file with --exe-xml FILE.\n";
    return false;
  }
  std::string boxed = Join(Join(Join(appdata, "Microsoft"), "FSX"), "exe.xml");
  std::string steam = Join(Join(Join(appdata, "Microsoft"), "FSX-SE"), "exe.xml");
  bool has_boxed = setup_os::Exists(boxed), has_steam = setup_os::Exists(steam);
  if (has_boxed && has_steam) {
    err << "Found two exe.xml files, the boxed simulator's and the Steam edition's:\n  " << boxed
        << "\n  " << steam << "\nName the one to change with --exe-xml FILE.\n";
    return false;
  }
  std::string steam_folder = steam.substr(0, steam.rfind(setup_os::kSeparator));
  *path = has_steam || (!has_boxed && !setup_os::IsDirectory(boxed.substr(0, boxed.rfind(setup_os::kSeparator))) &&
                        setup_os::IsDirectory(steam_folder))
              ? steam
              : boxed;
  if (!setup_os::IsDirectory(path->substr(0, path->rfind(setup_os::kSeparator)))) {
    err << "The simulator's settings folder " << path->substr(0, path->rfind(setup_os::kSeparator))
        << " does not exist: start the simulator once, or name the file with --exe-xml FILE.\n";
    return false;
  }
  return true;
}

// Reads and judges the file; false (exit code 2) when it cannot be used.
// A missing or empty file leaves `bytes` empty.
bool Load(const std::string& path, std::string* bytes, setup::ExeXml* doc, std::ostream& out,
          std::ostream& err) {
  bytes->clear();
  if (!setup_os::Exists(path)) {
    out << path << " does not exist yet.\n";
    return true;
  }
  std::string error;
  if (!setup_os::ReadFile(path, bytes, &error)) {
    err << path << ": cannot be read: " << error << ".\n";
    return false;
  }
  // Real ones hold a few kilobytes; the parser takes lengths as int.
  if (bytes->size() > (16u << 20)) {
    err << path << ": " << bytes->size() << " bytes is far too large for an exe.xml; nothing "
        << "was changed.\n";
    return false;
  }
  if (bytes->empty()) {
    out << path << " is empty (0 bytes): it is treated as missing.\n";
    return true;
  }
  *doc = setup::ReadExeXml(*bytes);
  if (!doc->well_formed) {
    err << path << ":" << doc->line << ":" << doc->column << ": error: " << doc->message << "\n"
        << setup::LikelyCause(doc->error_code) << "\n"
        << "Nothing was changed: fix the file (a copy of it may be in " << path << kBackupSuffix
        << ") and run again.\n";
    return false;
  }
  return true;
}

// The backup, the new text beside the file, the swap, the read-back.
int Write(const std::string& path, const std::string& old_bytes, bool existed,
          const setup::Plan& plan, std::ostream& out, std::ostream& err) {
  std::string error, backup = path + kBackupSuffix, temporary = path + kTemporarySuffix;
  if (existed && !setup_os::WriteFile(backup, old_bytes, &error)) {
    err << "Cannot write the backup " << backup << ": " << error << ". Nothing was changed.\n";
    return 1;
  }
  if (!setup_os::WriteFile(temporary, plan.text, &error) ||
      !setup_os::Replace(temporary, path, &error)) {
    setup_os::RemoveFile(temporary);
    err << "Cannot write " << path << ": " << error << ". Nothing was changed.\n";
    return 1;
  }
  std::string again;
  if (!setup_os::ReadFile(path, &again, &error) || again != plan.text ||
      !setup::ReadExeXml(again).well_formed) {
    err << path << " does not read back as written"
        << (existed ? "; the previous file is in " + backup : std::string()) << ".\n";
    return 1;
  }
  out << path << ": " << plan.message << "\n";
  if (existed) out << "The previous file is kept as " << backup << ".\n";
  return 0;
}

int Change(const Options& options, const std::string& path, std::ostream& out,
           std::ostream& err) {
  std::string target;
  if (options.command == "install") {
    std::string exe = options.exe.empty() ? Join(setup_os::ProgramFolder(), setup_os::kProgramName)
                                          : options.exe;
    if (!setup_os::ExistingFile(exe, &target)) {
      err << exe << " does not exist: name the program, e.g. brindlewick-setup install "
          << "\"C:\\FSX\\Brindlewick.exe\".\n";
      return 1;
    }
  }
  std::string bytes;
  setup::ExeXml doc;
  if (!Load(path, &bytes, &doc, out, err)) return 2;
  bool existed = setup_os::Exists(path);
  if (!bytes.empty() && doc.root != "SimBase.Document") {
    err << path << ": the root element is <" << doc.root
        << ">, not <SimBase.Document>: this is not the simulator's exe.xml. Nothing was changed.\n";
    return 1;
  }
  setup::Plan plan;
  if (options.command == "remove") {
    plan = bytes.empty() ? setup::Plan{false, false, "", "has no Brindlewick entry; nothing to do."}
                         : setup::PlanRemove(bytes, doc);
  } else {
    plan = bytes.empty() ? setup::PlanNewFile(target) : setup::PlanInstall(bytes, doc, target);
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
    out << path << ": " << plan.message << "\nDry run: nothing was written. The new file would read:\n"
        << setup::DecodeText(plan.text, bytes.empty() ? setup::Encoding::kWindows1252 : doc.encoding);
    return 0;
  }
  return Write(path, bytes, existed, plan, out, err);
}

int Status(const std::string& path, std::ostream& out, std::ostream& err) {
  std::string bytes;
  setup::ExeXml doc;
  out << "exe.xml: " << path << "\n";
  if (!Load(path, &bytes, &doc, out, err)) return 2;
  const setup::Addon* ours = nullptr;
  for (const setup::Addon& addon : doc.addons)
    if (addon.name == setup::kEntryName && !ours) ours = &addon;
  std::string simulator = setup_os::SimulatorFolder();
  if (!ours) {
    out << "Brindlewick entry: none (brindlewick-setup install adds it).\n";
  } else {
    out << "Brindlewick entry: " << (ours->disabled == "False" || ours->disabled.empty() ? "enabled" : "disabled")
        << "\nPath: " << ours->path << (setup_os::Exists(ours->path) ? "" : " (does not exist)")
        << "\n";
  }
  ReportSimConnect(simulator, out);
  if (simulator.empty()) {
    out << "Simulator folder: not found in the registry.\n";
    return 0;
  }
  std::string placement = Join(Join(simulator, "Quillmar"), "BrindlewickV2");
  int files = setup_os::CountXmlFiles(placement);
  out << "Simulator folder: " << simulator << "\n"
      << "Placement files: " << files << " in " << placement << "\n";
  if (files == 0) out << "Warning: no placement files in " << placement << ".\n";
  std::string folder = ours ? ours->path.substr(0, ours->path.find_last_of("\\/") + 1) : "";
  if (ours && !SameFolder(folder, simulator + setup_os::kSeparator))
    out << "Warning: Brindlewick.exe is not in the simulator's folder; put it there with the "
           "Quillmar folder, so it finds its placement files however the simulator starts it.\n";
  return 0;
}

}  // namespace

int RunSetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  if (!ParseOptions(args, &options, err)) return 1;
  std::string path = options.exe_xml;
  if (path.empty() && !FindExeXml(&path, err)) return 1;
  if (options.command == "status") return Status(path, out, err);
  int code = Change(options, path, out, err);
  // It still installs: SimConnect may come afterwards, before the next flight.
  if (options.command == "install" && code == 0)
    WarnWithoutSimConnect(setup_os::SimulatorFolder(), out);
  return code;
}
