#include "config/scan_text.h"

#include <cctype>
#include <cstring>
#include <string>

#include "base/errors.h"

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

size_t skipBlanks(const char *line, size_t from, size_t length) {
  while (from < length && isBlank(line[from])) ++from;
  return from < length ? from : length;
}

size_t wordEnd(const char *line, size_t from, size_t length) {
  while (from < length && !isBlank(line[from]) && line[from] != ',' &&
         line[from] != '=')
    ++from;
  return from < length ? from : length;
}

size_t expectEquals(const char *line, size_t from, size_t length) {
  size_t at = skipBlanks(line, from, length);
  if (at >= length || line[at] != '=') throw ErrorSeek();
  return skipBlanks(line, at + 1, length);
}

bool restIsBlank(const char *line, size_t from, size_t length) {
  for (; from < length; ++from)
    if (line[from] != ' ' && line[from] != '\t') return false;
  return true;
}

// Iterative so that a line of many nested quotes cannot exhaust the stack:
// the stack of open quote characters lives on the heap in `open`.
size_t findChar(char c, const char *line, size_t from, size_t length) {
  std::string open;  // quote characters of the runs we are inside
  for (size_t at = from; at < length; ++at) {
    char wanted = open.empty() ? c : open.back();
    char here = line[at];
    if (here == '\\') {
      // Searching for a backslash finds the second of a pair.
      if (wanted == '\\' && at + 1 < length && line[at + 1] == '\\') return at + 1;
      if (at + 1 >= length) throw ErrorSeek();
      ++at;
      continue;
    }
    if (here == wanted) {
      if (open.empty()) return at;
      open.pop_back();
      continue;
    }
    if (here == '"' || here == '\'' || here == '`') open.push_back(here);
  }
  throw ErrorSeek();
}

bool startsWithWord(const char *line, size_t from, size_t length, const char *word) {
  size_t n = strlen(word);
  if (from > length || length - from < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (tolower(static_cast<unsigned char>(line[from + i])) !=
        tolower(static_cast<unsigned char>(word[i])))
      return false;
  return true;
}
