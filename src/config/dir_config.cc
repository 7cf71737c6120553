#include "config/dir_config.h"

#include <fnmatch.h>


namespace {
std::string anchored(const std::string &text) {
  std::string pattern = text;
  if (pattern.empty() || pattern.front() != '^') pattern.insert(0, 1, '^');
  if (pattern.back() != '$') pattern += '$';
  return pattern;
}
}  // namespace

DirConfig::DirConfig(std::string entryText, bool regex, bool dot, bool path)
    : text(std::move(entryText)), isRegex(regex), globDot(dot), globPath(path) {
  if (isRegex) compiled_ = regcomp(&regex_, anchored(text).c_str(), REG_EXTENDED) == 0;
}

DirConfig::~DirConfig() {
  if (compiled_) regfree(&regex_);
}

bool DirConfig::equals(const DirConfig &other) const {
  return text == other.text && isRegex == other.isRegex && globDot == other.globDot &&
         globPath == other.globPath;
}

bool DirConfig::regexMatches(const std::string &path) const {
  return compiled_ && regexec(&regex_, path.c_str(), 0, nullptr, 0) == 0;
}

bool matchesEntry(const DirConfig &entry, const std::string &path) {
  if (entry.isRegex) return entry.regexMatches(path);
  int flags = (entry.globDot ? 0 : FNM_PERIOD) | (entry.globPath ? 0 : FNM_PATHNAME);
  return fnmatch(entry.text.c_str(), path.c_str(), flags) == 0;
}

bool matchesSkipDir(const DirList &skipDirs, const std::string &path) {
  if (path == "/proc" || path == "/dev") return true;
  for (const DirConfigRef &entry : skipDirs)
    if (matchesEntry(*entry, path)) return true;
  return false;
}

bool isStartDir(const DirList &startDirs, const std::string &path) {
  for (const DirConfigRef &entry : startDirs)
    if (entry->text == path) return true;
  return false;
}

bool matchesMountDir(const MountDirList &mountDirs, const std::string &path) {
  for (const MountDirConfigRef &entry : mountDirs)
    if (matchesEntry(*entry, path)) return true;
  return false;
}
