#include "setup/exe_xml_edit.h"

#include <algorithm>
#include <vector>

namespace setup {

const char kEntryName[] = "Brindlewick";

namespace {

struct Splice {
  Span span;
  std::string text;
};

std::string Apply(std::string bytes, std::vector<Splice> splices) {
  std::sort(splices.begin(), splices.end(),
            [](const Splice& a, const Splice& b) { return a.span.begin > b.span.begin; });
  for (const Splice& s : splices) bytes.replace(s.span.begin, s.span.end - s.span.begin, s.text);
  return bytes;
}

// The line end the file uses (CRLF for a file without one: it is a Windows file).
std::string LineEnd(const std::string& bytes) {
  size_t lf = bytes.find('\n');
  return lf == std::string::npos || (lf > 0 && bytes[lf - 1] == '\r') ? "\r\n" : "\n";
}

// Where the line holding `at` begins, when only blanks stand before `at` on it.
bool LineStart(const std::string& bytes, size_t at, size_t* start) {
  size_t i = at;
  while (i > 0 && (bytes[i - 1] == ' ' || bytes[i - 1] == '\t')) --i;
  if (i > 0 && bytes[i - 1] != '\n') return false;
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
  for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
  return out;
}

bool Ours(const Addon& addon) { return addon.name == kEntryName; }

// The entry's element with its own line (indentation and line end), when it
// stands alone on it.
Span WholeLines(const std::string& bytes, Span element) {
  size_t start, end = element.end;
  while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t')) ++end;
  if (end < bytes.size() && bytes[end] == '\r') ++end;
  if (!LineStart(bytes, element.begin, &start) || end >= bytes.size() || bytes[end] != '\n')
    return element;
  return {start, end + 1};
}

// Our entry's text, indented and ended like the file's lines; `path` encoded.
std::string Entry(const std::string& indent, const std::string& inner, const std::string& nl,
                  const std::string& path) {
  return indent + "<Launch.Addon>" + nl + inner + "<Name>" + kEntryName + "</Name>" + nl +
         inner + "<Disabled>False</Disabled>" + nl + inner + "<ManualLoad>False</ManualLoad>" +
         nl + inner + "<Path>" + path + "</Path>" + nl + indent + "</Launch.Addon>";
}

bool EncodePath(const std::string& path, Encoding encoding, std::string* bytes, Plan* plan) {
  if (encoding == Encoding::kUtf16 || encoding == Encoding::kOther) {
    plan->refused = true;
    plan->message = std::string("it is written in ") + EncodingName(encoding) +
                    "; this tool writes only Windows-1252, ISO-8859-1, US-ASCII and UTF-8 "
                    "files. Nothing was changed.";
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

}  // namespace

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
  return plan;
}

Plan PlanInstall(const std::string& bytes, const ExeXml& doc, const std::string& path) {
  Plan plan;
  std::string encoded;
  if (!EncodePath(path, doc.encoding, &encoded, &plan)) return plan;
  std::vector<Splice> splices;
  const Addon* ours = nullptr;
  int duplicates = 0;
  for (const Addon& addon : doc.addons) {
    if (!Ours(addon)) continue;
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
    plan.message = "updated the Brindlewick entry (Path: " + path + ", enabled).";
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
      splices.push_back({{doc.root_end_tag, doc.root_end_tag}, nl + entry + nl});
    }
    plan.message = "added the Brindlewick entry (Path: " + path + ").";
  }
  if (duplicates > 0)
    plan.message += " Took out " + std::to_string(duplicates) + " more Brindlewick " +
                    (duplicates == 1 ? "entry" : "entries") + " (duplicates).";
  plan.changed = !splices.empty();
  if (!plan.changed) plan.message = "already starts Brindlewick (Path: " + path + "); nothing to do.";
  plan.text = Apply(bytes, splices);
  return plan;
}

Plan PlanRemove(const std::string& bytes, const ExeXml& doc) {
  Plan plan;
  std::vector<Splice> splices;
  for (const Addon& addon : doc.addons)
    if (Ours(addon)) splices.push_back({WholeLines(bytes, addon.element), ""});
  if (!splices.empty() && (doc.encoding == Encoding::kUtf16 || doc.encoding == Encoding::kOther)) {
    std::string unused;
    EncodePath("", doc.encoding, &unused, &plan);
    return plan;
  }
  plan.changed = !splices.empty();
  plan.text = Apply(bytes, splices);
  plan.message = splices.empty() ? "has no Brindlewick entry; nothing to do."
                 : splices.size() == 1
                     ? "removed the Brindlewick entry."
                     : "removed " + std::to_string(splices.size()) + " Brindlewick entries.";
  return plan;
}

}  // namespace setup
