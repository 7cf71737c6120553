#include "base/paths.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/errors.h"
#include "base/message.h"

namespace {

const char kGlobSpecials[] = "*?[]\\";
const char kRegexSpecials[] = "^.[]$()|*+?{}\\";

std::string escapeWith(const std::string &text, const char *specials) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c != '\0' && strchr(specials, c)) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string homeOfRealUser() {
  if (struct passwd *entry = getpwuid(getuid())) return entry->pw_dir;
  if (const char *home = getenv("HOME")) return home;
  throw ErrorGenericSyntax(_("error obtaining the user home directory"));
}

std::string unescapeOrThrow(const std::string &text, const std::string &shown) {
  try {
    return unescapePattern(text);
  } catch (const ErrorRange &) {
    throw ErrorGenericSyntax(_("bad quoting for directory `%$'"), shown);
  }
}

// Expands a leading "~" or "~user"; other names pass through (unescaped in
// pattern mode).
std::string expandHome(const std::string &name, bool patternMode, bool regexMode) {
  if (name[0] != '~') return patternMode ? unescapeOrThrow(name, name) : name;
  std::string home;
  std::string rest;
  if (name.size() == 1 || name[1] == '/') {
    home = homeOfRealUser();
    rest = name.substr(1);
  } else {
    size_t slash = name.find('/');
    std::string user =
        name.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
    if (patternMode) user = unescapeOrThrow(user, user);
    struct passwd *entry = sys::getpwnam(user);
    if (!entry)
      throw ErrorGenericSyntax(_("error obtaining home directory for user `%$'"), user);
    home = entry->pw_dir;
    if (slash != std::string::npos) rest = name.substr(slash);
  }
  if (patternMode) {
    home = regexMode ? escapeRegex(home) : escapeGlob(home);
    rest = unescapeOrThrow(rest, rest);
  }
  return home + rest;
}

void eraseAll(std::string &text, const std::string &what, size_t keep) {
  for (size_t at; (at = text.find(what)) != std::string::npos;)
    text.erase(at, what.size() - keep);
}

bool endsWith(const std::string &text, const std::string &tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string getCurrentDir() {
  char buffer[1024];
  if (!getcwd(buffer, sizeof buffer)) return std::string();
  return buffer;
}

std::string readLinkTarget(const std::string &path) {
  char buffer[1024];
  ssize_t got = readlink(path.c_str(), buffer, sizeof buffer);
  if (got <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(got));
}

bool pathExists(const std::string &path) {
  if (path.size() < PATH_MAX) return ::access(path.c_str(), F_OK) == 0;
#if defined(O_PATH) && !defined(VOK_PORTABLE)
  constexpr int kNameOnly = O_PATH;
#elif defined(O_SEARCH)
  constexpr int kNameOnly = O_SEARCH;
#else
  constexpr int kNameOnly = O_RDONLY;
#endif
  int dir = open(path[0] == '/' ? "/" : ".", kNameOnly | O_DIRECTORY | O_CLOEXEC);
  for (size_t at = 0; dir >= 0 && at < path.size();) {
    size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    const std::string component = path.substr(at, slash - at);
    at = slash + 1;
    if (component.empty()) continue;
    const int next = openat(dir, component.c_str(), kNameOnly | O_CLOEXEC);
    close(dir);
    dir = next;
  }
  if (dir < 0) return false;
  close(dir);
  return true;
}

std::string makeAbsolute(const std::string &path, const std::string &base) {
  if (path.empty() || path[0] == '~' || path[0] == '/') return path;
  return base + '/' + path;
}

std::string expandDirName(const std::string &name, bool patternMode, bool regexMode) {
  if (name.empty()) return name;
  std::string result = expandHome(name, patternMode, regexMode);

  const char *starts = regexMode ? "/\\(.[^" : "/\\*?[";
  // strchr also finds the terminating NUL, so a leading NUL byte (from a
  // "\x00" escape) must be refused by name.
  if (result.empty() || result[0] == '\0' || !strchr(starts, result[0]))
    throw ErrorGenericSyntax(_("bad directory `%$'"), result);

  eraseAll(result, "//", 1);
  // "/./" loses its "/." and a final "/." its '.'; the regex forms escape
  // the dot, which is how a literal "." component is written there.
  const std::string dotDir = regexMode ? "/\\./" : "/./";
  eraseAll(result, dotDir, 1);
  const std::string dotEnd = regexMode ? "/\\." : "/.";
  if (endsWith(result, dotEnd)) result.erase(result.size() - dotEnd.size() + 1);

  if (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

std::string unescapePattern(const std::string &text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      result += c;
    } else if (i + 1 == text.size()) {
      break;
    } else if (text[i + 1] == 'x') {
      int high = i + 2 < text.size() ? hexDigitValue(text[i + 2]) : -1;
      int low = i + 3 < text.size() ? hexDigitValue(text[i + 3]) : -1;
      if (high < 0 || low < 0) throw ErrorRange();
      result += static_cast<char>(high * 16 + low);
      i += 3;
    } else if (text[i + 1] == '"') {
      result += '"';
      ++i;
    } else {
      result += c;
      result += text[++i];
    }
  }
  return result;
}

std::string escapeGlob(const std::string &text) {
  return escapeWith(text, kGlobSpecials);
}

std::string escapeRegex(const std::string &text) {
  return escapeWith(text, kRegexSpecials);
}

uint32_t parseUnsigned(const char *text, char terminator) {
  if (*text == terminator) throw ErrorRange();
  uint64_t value = 0;
  for (const char *p = text; *p != terminator; ++p) {
    if (*p < '0' || *p > '9') throw ErrorRange();
    value = value * 10 + static_cast<uint64_t>(*p - '0');
    if (value > 4294967295ULL) throw ErrorRange();
  }
  return static_cast<uint32_t>(value);
}

namespace sys {
int access(const std::string &path, int mode) { return ::access(path.c_str(), mode); }
struct passwd *getpwnam(const std::string &name) {
  return ::getpwnam(name.c_str());
}
FILE *fopen(const std::string &path, const char *mode) {
  return ::fopen(path.c_str(), mode);
}
int fputs(const std::string &text, FILE *file) { return ::fputs(text.c_str(), file); }
int fnmatch(const std::string &pattern, const std::string &name, int flags) {
  return ::fnmatch(pattern.c_str(), name.c_str(), flags);
}
int stat(const std::string &path, struct stat *buffer) {
  return ::stat(path.c_str(), buffer);
}
int lstat(const std::string &path, struct stat *buffer) {
  return ::lstat(path.c_str(), buffer);
}
int system(const std::string &command) { return ::system(command.c_str()); }
}  // namespace sys

std::string unescapeEntry(const std::string &text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == 'x') {
      auto hex = [&](size_t at) { return at < text.size() ? hexDigitValue(text[at]) : -1; };
      int high = hex(i + 2), low = hex(i + 3);
      if (high < 0 || low < 0) throw ErrorRange();
      result += static_cast<char>(high * 16 + low);
      i += 3;
    } else if (i + 1 < text.size()) {
      result += text[++i];
    }
  }
  return result;
}
