#include "check/title_index.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "ini/ini.h"
#include "os/os.h"
#include "os/regular_file.h"

const char* const kDefaultSearchFolders[6] = {
    "SimObjects\\Airplanes", "SimObjects\\Rotorcraft", "SimObjects\\GroundVehicles",
    "SimObjects\\Boats",     "SimObjects\\Animals",    "SimObjects\\Misc"};

namespace {

// Search results as os::FindFirst documents them.
const int kNothingMatches = 2;

bool IsAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

// Joined with the separator the folder is written with, so Windows paths
// stay Windows paths in messages.
std::string Join(const std::string& folder, const std::string& name) {
  bool windows = folder.find('\\') != std::string::npos;
  std::string shown = name;
  if (!windows) std::replace(shown.begin(), shown.end(), '\\', '/');
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + shown;
  return folder + (windows ? "\\" : "/") + shown;
}

// One pair of double quotes around a title is not part of it.
std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return ini::Trim(value.substr(1, value.size() - 2));
  }
  return value;
}

bool IsFltsimSection(const std::string& name) {
  std::string lower = ini::Lower(name);
  if (lower.compare(0, 7, "fltsim.") != 0 || lower.size() == 7) return false;
  return lower.find_first_not_of("0123456789", 7) == std::string::npos;
}

// The names in `folder` that match `wildcard` ("*" or "*.cfg").
std::vector<std::string> List(const std::string& folder, const wchar_t* wildcard, int* error) {
  std::vector<std::string> names;
  std::string name;
  *error = 0;
  std::wstring pattern = os::NarrowToWide(folder) + L"\\" + wildcard;
  os::FindState* search = os::FindFirst(pattern.c_str(), &name, error);
  if (!search) return names;
  do {
    if (name != "." && name != "..") names.push_back(name);
  } while (os::FindNext(search, &name));
  os::FindEnd(search);
  return names;
}

// Windows-1252's letters at 0x80 to 0x9F, by code point; 0 where it has none.
const uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char Cp1252(unsigned long point) {
  if (point < 0x80 || (point >= 0xA0 && point <= 0xFF)) return static_cast<char>(point);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == point) return static_cast<char>(0x80 + i);
  }
  return '?';  // as the simulator's narrow calls get it
}

// UTF-16 text (after its byte-order mark) as Windows-1252.
std::string FromUtf16(const std::string& bytes, bool bigEndian) {
  std::string out;
  auto unit = [&](size_t at) {
    unsigned char a = static_cast<unsigned char>(bytes[at]);
    unsigned char b = static_cast<unsigned char>(bytes[at + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
    unsigned long point = static_cast<unsigned long>(unit(at));
    if (point >= 0xD800 && point <= 0xDBFF && at + 3 < bytes.size()) {
      unsigned long low = static_cast<unsigned long>(unit(at + 2));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        point = 0x10000 + ((point - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    out.push_back(Cp1252(point));
  }
  return out;
}

}  // namespace

bool DecodeTitleText(std::string* text, std::string* problem) {
  const std::string& t = *text;
  if (t.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text->erase(0, 3);
  } else if (t.compare(0, 2, "\xFF\xFE") == 0 || t.compare(0, 2, "\xFE\xFF") == 0) {
    *text = FromUtf16(t, t[0] == '\xFE');
  } else if (t.find('\0') != std::string::npos) {
    *problem =
        "it holds zero bytes, as UTF-16 text without a byte-order mark does: its titles "
        "are not read; save it as ANSI, UTF-8 or UTF-16 with a byte-order mark";
    return false;
  }
  return true;
}

namespace {

void IndexContainerFile(const std::string& file, TitleIndex* index) {
  std::string text;
  if (!ini::ReadWholeFile(os::NativePath(file), &text)) {
    index->notes.push_back({file, 0, "cannot be read: " + os::ErrorText(errno)});
    return;
  }
  std::string problem;
  if (!DecodeTitleText(&text, &problem)) {
    index->notes.push_back({file, 0, problem});
    return;
  }
  size_t before = index->titles.size();
  IndexContainerText(text, file, index);
  if (index->titles.size() == before) {
    index->notes.push_back(
        {file, 0, "no title read from it: no [fltsim.N] section has a title= line"});
  }
}

void IndexSearchFolder(const std::string& folder, TitleIndex* index) {
  int error;
  for (const std::string& name : List(folder, L"*", &error)) {
    std::string container = Join(folder, name);
    if (!os::IsDirectory(os::NativePath(container))) continue;
    for (const std::string& cfg : List(container, L"*.cfg", &error)) {
      std::string lower = ini::Lower(cfg);
      if (lower == "sim.cfg" || lower == "aircraft.cfg") {
        IndexContainerFile(Join(container, cfg), index);
      }
    }
  }
}

}  // namespace

std::string FoldCase(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
      b = static_cast<unsigned char>(b + 0x20);
    } else if (b == 0x8A || b == 0x8C || b == 0x8E) {  // Š Œ Ž
      b = static_cast<unsigned char>(b + 0x10);
    } else if (b == 0x9F) {  // Ÿ
      b = 0xFF;
    }
    c = static_cast<char>(b);
  }
  return out;
}

void AddTitle(const std::string& title, const std::string& file, int line, TitleIndex* index) {
  if (title.empty()) return;
  auto found = index->exact.emplace(title, index->titles.size());
  if (!found.second) {
    const InstalledTitle& first = index->titles[found.first->second];
    index->notes.push_back({file, line,
                            "the title \"" + title + "\" is also defined at " + first.file + ":" +
                                std::to_string(first.line) +
                                ": which of the two the simulator creates is not known"});
  }
  index->folded.emplace(FoldCase(title), index->titles.size());
  index->titles.push_back({title, file, line});
}

void IndexContainerText(const std::string& text, const std::string& file, TitleIndex* index) {
  bool inFltsim = false;
  ini::ReadIni(text, [&](const ini::Line& line) {
    if (line.kind == ini::LineKind::kSection) {
      inFltsim = IsFltsimSection(line.name);
    } else if (line.kind == ini::LineKind::kKeyValue && ini::Lower(line.key) == "title") {
      if (inFltsim) {
        AddTitle(Unquoted(line.value), file, line.number, index);
      } else {
        index->notes.push_back(
            {file, line.number, "title= outside a [fltsim.N] section: the simulator ignores it"});
      }
    }
    return true;
  });
}

std::vector<std::string> SearchFoldersFromFsxCfg(const std::string& text) {
  std::map<unsigned long, std::string> paths;
  bool inMain = false;
  ini::ReadIni(text, [&](const ini::Line& line) {
    if (line.kind == ini::LineKind::kSection) inMain = ini::Lower(line.name) == "main";
    if (!inMain || line.kind != ini::LineKind::kKeyValue) return true;
    std::string key = ini::Lower(line.key);
    const std::string prefix = "simobjectpaths.";
    if (key.compare(0, prefix.size(), prefix) != 0 || key.size() == prefix.size() ||
        key.find_first_not_of("0123456789", prefix.size()) != std::string::npos) {
      return true;
    }
    if (!line.value.empty()) paths[strtoul(key.c_str() + prefix.size(), nullptr, 10)] = line.value;
    return true;
  });
  std::vector<std::string> folders;
  for (const auto& path : paths) folders.push_back(path.second);
  if (folders.empty()) folders.assign(kDefaultSearchFolders, kDefaultSearchFolders + 6);
  return folders;
}

bool IndexSimulator(const std::string& simFolder, const std::string& fsxCfg, TitleIndex* index,
                    std::string* problem) {
  if (!os::IsDirectory(os::NativePath(simFolder))) {
    *problem = "--sim " + simFolder + ": no such folder; give the simulator's folder";
    return false;
  }
  std::string cfgText;
  if (!fsxCfg.empty() && !ini::ReadWholeFile(os::NativePath(fsxCfg), &cfgText)) {
    *problem = "--fsx-cfg " + fsxCfg + ": cannot be read (" + os::ErrorText(errno) + ")";
    return false;
  }
  bool anyFolder = false;
  for (const std::string& path : SearchFoldersFromFsxCfg(cfgText)) {
    std::string folder = IsAbsolute(path) ? path : Join(simFolder, path);
    if (!os::IsDirectory(os::NativePath(folder))) continue;
    anyFolder = true;
    IndexSearchFolder(folder, index);
  }
  if (!anyFolder) {
    *problem = simFolder + ": none of the simulator's object folders is there (" +
               "SimObjects\\Airplanes, SimObjects\\Misc...); give the simulator's folder";
    return false;
  }
  return true;
}

bool IndexTitleList(const std::string& path, TitleIndex* index, std::string* problem) {
  std::string text;
  if (!ini::ReadWholeFile(os::NativePath(path), &text)) {
    *problem = "--titles " + path + ": cannot be read (" + os::ErrorText(errno) + ")";
    return false;
  }
  std::string why;
  if (!DecodeTitleText(&text, &why)) {
    *problem = "--titles " + path + ": " + why;
    return false;
  }
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = text.find('\n', start);
    if (stop == std::string::npos) stop = text.size();
    AddTitle(Unquoted(ini::Trim(text.substr(start, stop - start))), path, ++number, index);
    start = stop + 1;
  }
  return true;
}
