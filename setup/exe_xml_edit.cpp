#include "setup/exe_xml_edit.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "text/utf8.h"

namespace setup {

const char kEntryName[] = "Brindlewick";

namespace {

struct Splice {
  Span span;
  std::string text;
};

std::string Apply(std::string bytes, std::vector<Splice> splices) {
  // Two entries of ours in a row may both claim the line end between them.
  std::sort(splices.begin(), splices.end(),
            [](const Splice& a, const Splice& b) { return a.span.begin < b.span.begin; });
  for (size_t i = 1; i < splices.size(); ++i) {
    Span& span = splices[i].span;
    span.begin = std::max(span.begin, splices[i - 1].span.end);
    span.end = std::max(span.end, span.begin);
  }
  for (auto s = splices.rbegin(); s != splices.rend(); ++s)
    bytes.replace(s->span.begin, s->span.end - s->span.begin, s->text);
  return bytes;
}

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// The line end the file uses: CRLF, LF or a lone CR as the old Mac editors
// wrote (CRLF for a file without one: it is a Windows file).
std::string LineEnd(const std::string& bytes) {
  size_t at = bytes.find_first_of("\r\n");
  if (at == std::string::npos) return "\r\n";
  if (bytes[at] == '\n') return "\n";
  return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? "\r\n" : "\r";
}

// Where the line holding `at` begins, when only blanks stand before `at` on it.
bool LineStart(const std::string& bytes, size_t at, size_t* start) {
  size_t i = at;
  while (i > 0 && (bytes[i - 1] == ' ' || bytes[i - 1] == '\t')) --i;
  if (i > 0 && !IsLineEnd(bytes[i - 1])) return false;
  *start = i;
  return true;
}

// The indentation of the element at `at`; `fallback` when it shares its line.
std::string IndentOf(const std::string& bytes, size_t at, const std::string& fallback) {
  size_t start;
  return at > 0 && LineStart(bytes, at, &start) ? bytes.substr(start, at - start) : fallback;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text)
    out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
  return out;
}

// The entry's element with its own line (indentation and line end), when it
// stands alone on it. When it starts a line that something else ends (the
// root's end tag, as install leaves it in such a file), the line end before
// it goes with it, so that the two lines become the one they were.
Span WholeLines(const std::string& bytes, Span element) {
  size_t start, end = element.end;
  while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t')) ++end;
  size_t after = end;
  if (after < bytes.size() && bytes[after] == '\r') ++after;
  if (after < bytes.size() && bytes[after] == '\n') ++after;
  if (!LineStart(bytes, element.begin, &start)) return element;
  if (after > end) return {start, after};
  if (start == 0) return element;
  size_t before = start - 1;
  if (bytes[before] == '\n' && before > 0 && bytes[before - 1] == '\r') --before;
  return {before, element.end};
}

bool Off(const std::string& flag) { return flag.empty() || flag == "False"; }

bool Begins(const std::string& bytes, Span span, const std::string& tag) {
  return span.end > span.begin && span.end <= bytes.size() &&
         bytes.compare(span.begin, tag.size(), tag) == 0 && bytes[span.end - 1] == '>';
}

// Every span the parser gave stands where its element does: splicing at a
// wrong offset would cut another product's bytes.
bool SpansHold(const std::string& bytes, const ExeXml& doc) {
  if (!Begins(bytes, doc.root_start_tag, "<" + doc.root)) return false;
  if (!doc.root_empty_tag &&
      bytes.compare(doc.root_end_tag, doc.root.size() + 2, "</" + doc.root) != 0)
    return false;
  for (const Addon& a : doc.addons) {
    if (!Begins(bytes, a.element, "<Launch.Addon")) return false;
    if (a.path_element.end && !Begins(bytes, a.path_element, "<Path")) return false;
    if (a.disabled_element.end && !Begins(bytes, a.disabled_element, "<Disabled")) return false;
    if (a.manual_load_element.end && !Begins(bytes, a.manual_load_element, "<ManualLoad"))
      return false;
  }
  return true;
}

// What is not ours, without blanks: our entries cut out, an empty root
// element written as a start and an end tag, as install writes it.
std::string Skeleton(const std::string& bytes, const ExeXml& doc) {
  std::string out;
  size_t at = 0;
  auto keep = [&](size_t end) {
    for (; at < end; ++at)
      if (bytes[at] != ' ' && bytes[at] != '\t' && !IsLineEnd(bytes[at])) out += bytes[at];
  };
  for (const Addon& addon : doc.addons) {
    if (!IsOurs(addon)) continue;
    keep(addon.element.begin);
    at = addon.element.end;
  }
  if (doc.root_empty_tag) {
    keep(doc.root_start_tag.end - 2);
    out += "></" + doc.root + ">";
    at = doc.root_start_tag.end;
  }
  keep(bytes.size());
  return out;
}

std::vector<std::string> Others(const std::string& bytes, const ExeXml& doc) {
  std::vector<std::string> others;
  for (const Addon& addon : doc.addons)
    if (!IsOurs(addon))
      others.push_back(bytes.substr(addon.element.begin, addon.element.end - addon.element.begin));
  return others;
}

// A character XML 1.0 allows in a text; control characters, which no
// Windows file name holds either, are refused with them.
bool XmlCharacter(unsigned long point) {
  return (point >= 0x20 && point < 0xD800) || (point >= 0xE000 && point < 0xFFFE) ||
         (point >= 0x10000 && point <= 0x10FFFF);
}

std::string Hex(unsigned long point) {
  char text[16];
  snprintf(text, sizeof text, "U+%04lX", point);
  return text;
}

Plan Refused(const std::string& message) {
  Plan plan;
  plan.refused = true;
  plan.message = message;
  return plan;
}

// The finished plan, or a refusal when its text fails the proof.
Plan Checked(Plan plan, const std::string& before, const ExeXml* old, const std::string* path) {
  if (plan.refused || !plan.changed) return plan;
  std::string why = Proven(before, old, plan.text, path);
  if (why.empty()) return plan;
  plan = Refused("the new text failed its check (" + why +
                 "): a fault of brindlewick-setup; please report it. Nothing was changed.");
  plan.unproven = true;
  return plan;
}

// Our entry's text, indented and ended like the file's lines; `path` encoded.
std::string Entry(const std::string& indent, const std::string& inner, const std::string& nl,
                  const std::string& path) {
  return indent + "<Launch.Addon>" + nl + inner + "<Name>" + kEntryName + "</Name>" + nl + inner +
         "<Disabled>False</Disabled>" + nl + inner + "<ManualLoad>False</ManualLoad>" + nl + inner +
         "<Path>" + path + "</Path>" + nl + indent + "</Launch.Addon>";
}

bool EncodePath(const std::string& path, Encoding encoding, std::string* bytes, Plan* plan) {
  for (size_t i = 0; i < path.size();) {
    Utf8Char c = ReadUtf8(path.data() + i, path.size() - i);
    if (c.valid && !XmlCharacter(c.point)) {
      *plan = Refused("the path " + path + " holds a character an XML file cannot hold (" +
                      Hex(c.point) +
                      "): put Brindlewick.exe in a folder whose name has none. Nothing was "
                      "changed.");
      return false;
    }
    i += c.length;
  }
  if (encoding == Encoding::kUtf16 || encoding == Encoding::kOther) {
    plan->refused = true;
    // Notepad's "ANSI" is the Windows-1252 of the simulator's own files.
    plan->message =
        std::string("it is written in ") + EncodingName(encoding) +
        "; this tool writes only Windows-1252, ISO-8859-1, US-ASCII and UTF-8 files. Nothing "
        "was changed. Open it in Notepad, choose File > Save As, set Encoding to ANSI, save it "
        "and run again; or " +
        (path.empty()
             ? std::string("delete the <Launch.Addon> whose <Name> is Brindlewick by hand.")
             : "add this entry by hand before </SimBase.Document>:\n" +
                   Entry("  ", "    ", "\n", Escape(path)));
    return false;
  }
  if (!EncodeText(Escape(path), encoding, bytes)) {
    plan->refused = true;
    plan->message = "the path " + path + " cannot be written in the file's encoding (" +
                    EncodingName(encoding) +
                    "): put Brindlewick.exe in a folder whose name it can hold. Nothing was "
                    "changed.";
    return false;
  }
  return true;
}

bool OurName(const std::string& name) {
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  const std::string ours = kEntryName;
  return name.size() == ours.size() &&
         std::equal(ours.begin(), ours.end(), name.begin(),
                    [&](char a, char b) { return upper(a) == upper(b); });
}

}  // namespace

bool IsOurs(const Addon& addon) { return OurName(addon.name); }

std::string RepeatedField(const ExeXml& doc) {
  for (const Addon& addon : doc.addons) {
    if (std::none_of(addon.names.begin(), addon.names.end(), OurName)) continue;
    const char* repeated = addon.names.size() > 1   ? "Name"
                           : addon.paths > 1        ? "Path"
                           : addon.disableds > 1    ? "Disabled"
                           : addon.manual_loads > 1 ? "ManualLoad"
                                                    : nullptr;
    if (repeated)
      return std::string("an entry naming ") + kEntryName + " has more than one <" + repeated +
             ">: fix that entry by hand (one <Name>, <Path>, <Disabled> and <ManualLoad> "
             "each) and run again.";
  }
  return "";
}

std::string Proven(const std::string& before, const ExeXml* old, const std::string& after,
                   const std::string* path) {
  ExeXml doc = ReadExeXml(after);
  if (!doc.well_formed)
    return "it does not parse: line " + std::to_string(doc.line) + ", column " +
           std::to_string(doc.column) + ": " + doc.message;
  if (doc.root != "SimBase.Document" || !SpansHold(after, doc))
    return "its elements are not where the parser puts them";
  const Addon* entry = nullptr;
  int ours = 0;
  for (const Addon& addon : doc.addons)
    if (IsOurs(addon)) entry = &addon, ++ours;
  if (ours != (path ? 1 : 0)) return "it holds " + std::to_string(ours) + " entries of ours";
  if (path && (entry->path != *path || !Off(entry->disabled) || !Off(entry->manual_load)))
    return "our entry does not start " + *path + " by itself";
  if (old && Others(before, *old) != Others(after, doc))
    return "another product's entry is not as it was";
  if (old && Skeleton(before, *old) != Skeleton(after, doc))
    return "something outside our entry changed";
  return "";
}

Plan PlanNewFile(const std::string& path) {
  Plan plan;
  std::string encoded;
  if (!EncodePath(path, Encoding::kWindows1252, &encoded, &plan)) return plan;
  const std::string nl = "\r\n";
  plan.changed = true;
  plan.text = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>" + nl +
              "<SimBase.Document Type=\"Launch\" version=\"1,0\">" + nl +
              "  <Descr>Launch</Descr>" + nl + "  <Filename>exe.xml</Filename>" + nl +
              "  <Disabled>False</Disabled>" + nl +
              "  <Launch.ManualLoad>False</Launch.ManualLoad>" + nl +
              Entry("  ", "    ", nl, encoded) + nl + "</SimBase.Document>" + nl;
  plan.message = "created with the Brindlewick entry (Path: " + path + ").";
  plan.would = "would be created with the Brindlewick entry (Path: " + path + ").";
  return Checked(plan, "", nullptr, &path);
}

Plan PlanInstall(const std::string& bytes, const ExeXml& doc, const std::string& path) {
  const std::string repeated = RepeatedField(doc);
  if (!repeated.empty()) return Refused(repeated + " Nothing was changed.");
  Plan plan;
  std::string encoded;
  if (!EncodePath(path, doc.encoding, &encoded, &plan)) return plan;
  if (!SpansHold(bytes, doc))
    return Refused("its elements are not where the parser puts them. Nothing was changed.");
  std::vector<Splice> splices;
  const Addon* ours = nullptr;
  int duplicates = 0;
  for (const Addon& addon : doc.addons) {
    if (!IsOurs(addon)) continue;
    if (ours) {
      splices.push_back({WholeLines(bytes, addon.element), ""});
      ++duplicates;
    } else {
      ours = &addon;
    }
  }
  const std::string nl = LineEnd(bytes);
  if (ours) {
    std::string indent = IndentOf(bytes, ours->element.begin, "");
    std::string inner = IndentOf(bytes, ours->path_element.begin, indent + "  ");
    const std::string path_element = "<Path>" + encoded + "</Path>";
    size_t line;
    if (ours->path_element.end == 0) {
      // No <Path>: one goes on a line of its own before </Launch.Addon>,
      // the last end tag inside the entry (the root's may follow at once).
      size_t end_tag = bytes.rfind("</", ours->element.end - 1);
      if (LineStart(bytes, end_tag, &line))
        splices.push_back({{line, line}, inner + path_element + nl});
      else
        splices.push_back({{end_tag, end_tag}, path_element});
    } else if (bytes.compare(ours->path_element.begin,
                             ours->path_element.end - ours->path_element.begin,
                             path_element) != 0) {
      splices.push_back({ours->path_element, path_element});
    }
    if (ours->disabled_element.end != 0 && ours->disabled != "False")
      splices.push_back({ours->disabled_element, "<Disabled>False</Disabled>"});
    // The simulator leaves an entry of ManualLoad True for the user to start.
    if (ours->manual_load_element.end != 0 && ours->manual_load != "False")
      splices.push_back({ours->manual_load_element, "<ManualLoad>False</ManualLoad>"});
    plan.message = "updated the Brindlewick entry (Path: " + path + ", enabled).";
    plan.would = "would update the Brindlewick entry (Path: " + path + ", enabled).";
  } else {
    size_t first = doc.addons.empty() ? doc.first_child : doc.addons.back().element.begin;
    std::string indent = IndentOf(bytes, first, "  ");
    std::string inner = indent.empty() ? "  " : indent + indent;
    std::string entry = Entry(indent, inner, nl, encoded);
    size_t line;
    if (doc.root_empty_tag) {
      Span close{doc.root_start_tag.end - 2, doc.root_start_tag.end};
      splices.push_back({close, ">" + nl + entry + nl + "</" + doc.root + ">"});
    } else if (LineStart(bytes, doc.root_end_tag, &line) && line > 0) {
      splices.push_back({{line, line}, entry + nl});
    } else {
      // The root's end tag keeps its place after the last entry's, so that
      // remove gives back the very line.
      splices.push_back({{doc.root_end_tag, doc.root_end_tag}, nl + entry});
    }
    plan.message = "added the Brindlewick entry (Path: " + path + ").";
    plan.would = "would add the Brindlewick entry (Path: " + path + ").";
  }
  if (duplicates > 0) {
    const std::string more = std::to_string(duplicates) + " more Brindlewick " +
                             (duplicates == 1 ? "entry" : "entries") + " (duplicates).";
    plan.message += " Took out " + more;
    plan.would += " Would take out " + more;
  }
  plan.changed = !splices.empty();
  if (!plan.changed)
    plan.message = "already starts Brindlewick (Path: " + path + "); nothing to do.";
  plan.text = Apply(bytes, splices);
  return Checked(plan, bytes, &doc, &path);
}

Plan PlanRemove(const std::string& bytes, const ExeXml& doc) {
  const std::string repeated = RepeatedField(doc);
  if (!repeated.empty()) return Refused(repeated + " Nothing was changed.");
  Plan plan;
  std::vector<Splice> splices;
  for (const Addon& addon : doc.addons)
    if (IsOurs(addon)) splices.push_back({WholeLines(bytes, addon.element), ""});
  if (!splices.empty() && (doc.encoding == Encoding::kUtf16 || doc.encoding == Encoding::kOther)) {
    std::string unused;
    EncodePath("", doc.encoding, &unused, &plan);
    return plan;
  }
  if (!splices.empty() && !SpansHold(bytes, doc))
    return Refused("its elements are not where the parser puts them. Nothing was changed.");
  plan.changed = !splices.empty();
  plan.text = Apply(bytes, splices);
  const std::string what = splices.size() == 1
                               ? "the Brindlewick entry."
                               : std::to_string(splices.size()) + " Brindlewick entries.";
  plan.message = splices.empty() ? "has no Brindlewick entry; nothing to do." : "removed " + what;
  plan.would = "would remove " + what;
  return Checked(plan, bytes, &doc, nullptr);
}

}  // namespace setup
