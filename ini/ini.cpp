#include "ini/ini.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "os/regular_file.h"

namespace ini {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n\v\f";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

void ReadIni(const std::string& text, const std::function<bool(const Line&)>& visit) {
  Line line;
  size_t start = 0;
  // A UTF-8 byte order mark, as some editors write, is not part of the text.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
  while (start <= text.size()) {
    size_t stop = text.find('\n', start);
    if (stop == std::string::npos) stop = text.size();
    // Within the line: a search to the end of the text for each line would
    // make a long file without ';' take quadratic time.
    const void* comment = memchr(text.data() + start, ';', stop - start);
    size_t end =
        comment ? static_cast<size_t>(static_cast<const char*>(comment) - text.data()) : stop;
    line.text = Trim(text.substr(start, end - start));
    start = stop + 1;
    ++line.number;
    if (line.text.empty()) continue;

    line.name.clear();
    line.key.clear();
    line.value.clear();
    size_t equals = line.text.find('=');
    if (line.text[0] == '[') {
      bool closed = line.text.back() == ']';
      line.kind = closed ? LineKind::kSection : LineKind::kOpenSection;
      if (closed) line.name = Trim(line.text.substr(1, line.text.size() - 2));
    } else if (equals == std::string::npos || equals == 0) {
      line.kind = LineKind::kOther;
    } else {
      line.kind = LineKind::kKeyValue;
      line.key = Trim(line.text.substr(0, equals));
      line.value = Trim(line.text.substr(equals + 1));
    }
    if (!visit(line)) return;
  }
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  FILE* file = os::OpenRegularFile(path);
  if (file == nullptr) return false;
  text->clear();
  char chunk[16384];
  size_t count;
  while ((count = fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, count);
  bool failed = ferror(file) != 0;
  int reason = errno;
  fclose(file);
  errno = failed ? reason : 0;
  return !failed;
}

}  // namespace ini
