// The value kinds of the directory lists: SkipDir, StartDir and DefaultTree,
// MountDir, and the three Clear commands.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fnmatch.h>
#include <iostream>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "config/commands.h"
#include "config/reader.h"
#include "config/scan_text.h"

namespace {

struct QuotedEntry {
  std::string raw;   // between the quotes, as written
  bool isRegex = false;
  size_t after = 0;  // position after the closing quote
};

// Reads `= [r]"text"`; the 'r' marks a regular expression where allowed.
QuotedEntry readQuoted(const CommandLine &command, size_t from, bool regexAllowed,
                       bool extraBeforeEmpty) {
  QuotedEntry entry;
  size_t at = command.valueStart(from);
  if (regexAllowed && at < command.length &&
      (command.line[at] == 'r' || command.line[at] == 'R')) {
    entry.isRegex = true;
    at = skipBlanks(command.line, at + 1, command.length);
  }
  size_t close = 0;
  bool found = at < command.length && command.line[at] == '"';
  if (found) {
    try {
      close = findChar('"', command.line, at + 1, command.length);
    } catch (const ErrorSeek &) {
      found = false;
    }
  }
  if (!found) command.fail("`\"' required");
  entry.raw.assign(command.line + at + 1, close - at - 1);
  entry.after = close + 1;
  if (extraBeforeEmpty && !restIsBlank(command.line, entry.after, command.length))
    command.fail("extra characters");
  if (entry.raw.empty()) command.fail("blank entry encountered");
  return entry;
}

std::string expand(const CommandLine &command, const QuotedEntry &entry) {
  try {
    return expandDirName(entry.raw, true, entry.isRegex);
  } catch (const ErrorGenericSyntax &error) {
    reportCommandError(error.what(), command.name, command.line, command.length);
  }
}

// The directory's path with links resolved, when the program can enter it;
// the text unchanged otherwise.
std::string physicalPath(const std::string &text, FileSystem &fs) {
  const std::string found = fs.physicalPath(text);
  return found.empty() ? text : found;
}

// Options after the closing quote: `, Word` repeated. readOption handles one
// word (positioned at its start) and returns the position after its value.
template <class ReadOption>
void readOptions(const CommandLine &command, size_t at, ReadOption readOption) {
  at = skipBlanks(command.line, at, command.length);
  while (!restIsBlank(command.line, at, command.length)) {
    if (command.line[at] != ',') command.fail("comma expected");
    at = readOption(skipBlanks(command.line, at + 1, command.length));
  }
}

bool isWord(const CommandLine &command, size_t from, size_t end, const char *word) {
  return strlen(word) == end - from && startsWithWord(command.line, from, end, word);
}

void refuseRoot(const CommandLine &command, const std::string &text) {
  if (text == "/") command.fail("cannot skip root directory");
}

void parseSkipEntry(ConfigReader &reader, const CommandLine &command, size_t from,
                    const ConfigCommand &target) {
  const char *line = command.line;
  const size_t length = command.length;
  QuotedEntry entry = readQuoted(command, from, true, false);
  refuseRoot(command, entry.raw);
  std::string text = expand(command, entry);
  // "//", "/." or a home directory of "/" only become the root once expanded;
  // skipping it would leave nothing to scan.
  refuseRoot(command, text);
  text = physicalPath(text, reader.fileSystem());
  refuseRoot(command, text);
  ProfileConfig &profile = reader.sectionProfile();
  bool globDot = profile.GlobDot, globPath = profile.GlobPath;
  readOptions(command, entry.after, [&](size_t at) {
    size_t end = wordEnd(line, at, length);
    bool *option = isWord(command, at, end, "GlobDot")    ? &globDot
                   : isWord(command, at, end, "GlobPath") ? &globPath
                                                          : nullptr;
    if (!option) command.fail("invalid option");
    if (entry.isRegex) command.fail("invalid regex option");
    at = command.valueStart(end);
    *option = parseYesNo(command, at);
    return at;
  });
  auto created = std::make_shared<const DirConfig>(text, entry.isRegex, globDot, globPath);
  if (entry.isRegex && !created->compiled()) command.fail("invalid regular expression");
  addDirEntry(profile.*target.target.dirs, DirConfigRef(created));
}

void parseDirEntry(ConfigReader &reader, const CommandLine &command, size_t from,
                   const ConfigCommand &target) {
  QuotedEntry entry = readQuoted(command, from, false, false);
  if (!restIsBlank(command.line, entry.after, command.length))
    command.fail("extra characters");
  std::string text = expand(command, entry);
  ProfileConfig &profile = reader.sectionProfile();
  addDirEntry(profile.*target.target.dirs,
              DirConfigRef(std::make_shared<const DirConfig>(text, false, profile.GlobDot,
                                                             profile.GlobPath)));
}

void parseMountEntry(ConfigReader &reader, const CommandLine &command, size_t from,
                     const ConfigCommand &target) {
  const char *line = command.line;
  const size_t length = command.length;
  QuotedEntry entry = readQuoted(command, from, false, false);
  std::string text = physicalPath(expand(command, entry), reader.fileSystem());
  std::vector<int> options;
  readOptions(command, entry.after, [&](size_t at) {
    static const char *const kWords[] = {"Skip", "All", "Tree"};
    size_t end = wordEnd(line, at, length);
    for (int code = 0; code < 3; ++code) {
      if (isWord(command, at, end, kWords[code])) {
        options.push_back(code);
        return end;
      }
    }
    command.fail("invalid option");
  });
  addDirEntry(reader.sectionProfile().*target.target.mounts,
              MountDirConfigRef(std::make_shared<const MountDirConfig>(text, options)));
}

// Removes from list every entry whose text the pattern matches, or all of
// them for the value "all".
template <class List>
void clearEntries(const CommandLine &command, size_t from, List &list) {
  size_t at = command.valueStart(from);
  if (startsWithWord(command.line, at, command.length, "all")) {
    if (!restIsBlank(command.line, at + 3, command.length)) command.fail("extra characters");
    list.clear();
    return;
  }
  QuotedEntry entry = readQuoted(command, from, true, true);
  std::string text = expand(command, entry);
  DirConfig pattern(text, entry.isRegex, false, false);
  if (entry.isRegex && !pattern.compiled()) command.fail("invalid regular expression");
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const auto &old) { return matchesEntry(pattern, old->text); }),
             list.end());
}

void parseClear(ConfigReader &reader, const CommandLine &command, size_t from,
                const ConfigCommand &target) {
  clearEntries(command, from, reader.sectionProfile().*target.target.dirs);
}

void parseClearMount(ConfigReader &reader, const CommandLine &command, size_t from,
                     const ConfigCommand &target) {
  clearEntries(command, from, reader.sectionProfile().*target.target.mounts);
}

// Lists print one entry a line, lined up under the first one.
template <class List, class Suffix>
void printList(const char *name, const List &list, Suffix suffix) {
  std::cout << name << ": ";
  const std::string indent(strlen(name) + 2, ' ');
  bool first = true;
  for (const auto &entry : list) {
    std::cout << (first ? "" : indent) << entry->text << suffix(*entry) << '\n';
    first = false;
  }
  if (first) std::cout << '\n';
}

void printDirList(const ProfileConfig &profile, const ConfigCommand &command) {
  printList(command.name, profile.*command.target.dirs,
            [](const DirConfig &) { return std::string(); });
}

void printSkipList(const ProfileConfig &profile, const ConfigCommand &command) {
  printList(command.name, profile.*command.target.dirs, [](const DirConfig &entry) {
    if (entry.isRegex) return std::string("   [ Regex ]");
    if (!entry.globDot && !entry.globPath) return std::string();
    return std::string("   [") + (entry.globDot ? " GlobDot" : "") +
           (entry.globPath ? " GlobPath" : "") + " ]";
  });
}

void printMountList(const ProfileConfig &profile, const ConfigCommand &command) {
  printList(command.name, profile.*command.target.mounts, [](const MountDirConfig &entry) {
    static const char *const kWords[] = {" Skip", " All", " Tree"};
    std::string text = entry.options.empty() ? "" : " ";
    for (int code : entry.options) text += kWords[code];
    return text;
  });
}

}  // namespace

const ConfigValueType skipEntryType{parseSkipEntry, printSkipList};
const ConfigValueType dirEntryType{parseDirEntry, printDirList};
const ConfigValueType clearType{parseClear, nullptr};
const ConfigValueType mountEntryType{parseMountEntry, printMountList};
const ConfigValueType clearMountType{parseClearMount, nullptr};
