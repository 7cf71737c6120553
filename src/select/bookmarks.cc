#include "select/bookmarks.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <memory>

#include "base/errors.h"
#include "base/globals.h"
#include "base/message.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "scan/scan_commands.h"
#include "scan/scanner.h"
#include "select/jump.h"
#include "select/pattern.h"
#include "select/views.h"
#include "tree/dir_tree.h"
#include "tree/tree_file.h"

std::vector<std::string> bookmarkList;

namespace {

void warn(const char *format, const std::string &path) {
  std::cout.flush();
  MessageFormat(std::cerr, format).arg(programName).arg(path);
}

bool inTree(const std::string &path) {
  return lookupPath(path, false, false, false).node != nullptr;
}

// Adds or removes each directory argument (or the current directory).
// False when there was nothing to do: the file is then not rewritten.
bool forEachArgument(int argc, char **argv, int first,
                     void (*apply)(const std::string &, bool)) {
  if (first >= argc) {
    if (currentDir.empty()) {
      std::cout.flush();
      MessageFormat(std::cerr, _("%$: cannot determine current directory\n"
                                 "        Directory ignored"))
          .arg(programName);
      std::cerr << '\n';
      return false;
    }
    apply(currentDir, true);
    return true;
  }
  for (int i = first; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.empty()) continue;
    if (arg[0] != '/' && arg[0] != '~' && currentDir.empty()) {
      std::cout.flush();
      MessageFormat(std::cerr, _("%$: cannot determine current directory for path %$\n"
                                 "        Directory ignored"))
          .arg(programName)
          .arg(arg);
      std::cerr << '\n';
      continue;
    }
    apply(makeAbsolute(arg, currentDir), true);
  }
  return true;
}

}  // namespace

std::string escapeBookmark(const std::string &path) {
  static const char kHex[] = "0123456789abcdef";
  std::string line;
  for (char c : path) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\'' || c == '"' || c == '`' || c == '\\') {
      line += '\\';
      line += c;
    } else if (byte < 0x80 && !isgraph(byte)) {
      line += "\\x";
      line += kHex[byte >> 4];
      line += kHex[byte & 15];
    } else {
      line += c;
    }
  }
  return line;
}

void readBookmarks() {
  bookmarkList.clear();
  std::unique_ptr<FILE, int (*)(FILE *)> file(sys::fopen(bookmarkFile, "r"), fclose);
  if (!file) return;
  std::string line;
  int c;
  auto takeLine = [&] {
    try {
      addBookmark(unescapeEntry(line), false);
    } catch (const ErrorRange &) {
    } catch (const ErrorGenericSyntax &) {
      // A damaged line (a relative path, say) must not disable every
      // bookmark command; it is left out like a line with a bad escape.
    }
    line.clear();
  };
  while ((c = getc(file.get())) != EOF) {
    if (c == '\n')
      takeLine();
    else
      line += static_cast<char>(c);
  }
  if (ferror(file.get()))
    throw ErrorGenericFile(_("error reading file %$"), bookmarkFile);
  if (!line.empty()) takeLine();
}

void writeBookmarks() {
  SafeFileWriter file(bookmarkFile);
  if (!file.ok()) throw ErrorGenericFile(_("cannot create file %$"), bookmarkFile);
  std::string text;
  for (const std::string &entry : bookmarkList) text += escapeBookmark(entry) + '\n';
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(file.fd(), text.data() + done, text.size() - done);
    if (n <= 0) throw ErrorGenericFile(_("error writing file %$"), bookmarkFile);
    done += static_cast<size_t>(n);
  }
  if (!file.commit()) throw ErrorGenericFile(_("error writing file %$"), bookmarkFile);
}

void addBookmark(const std::string &path, bool verify) {
  const std::string name = expandDirName(path, false, false);
  if (verify) {
    if (!inTree(name)) {
      warn(_("%$: cannot find %$ in saved directory tree\n"), name);
      return;
    }
    for (const std::string &entry : bookmarkList) {
      if (entry == name) {
        warn(_("%$: directory %$ already bookmarked\n"), name);
        return;
      }
    }
  }
  bookmarkList.push_back(name);
}

void removeBookmark(const std::string &path, bool verify) {
  const std::string name = expandDirName(path, false, false);
  if (verify && !inTree(name))
    warn(_("%$: cannot find %$ in saved directory tree\n        Directory ignored\n"),
         name);
  std::vector<std::string> kept;
  for (std::string &entry : bookmarkList)
    if (entry != name) kept.push_back(std::move(entry));
  bookmarkList.swap(kept);
}

void addBookmarksCommand(int argc, char **argv, int first) {
  loadTree(true);
  readBookmarks();
  if (forEachArgument(argc, argv, first, addBookmark)) writeBookmarks();
}

void removeBookmarksCommand(int argc, char **argv, int first) {
  loadTree(true);
  readBookmarks();
  if (forEachArgument(argc, argv, first, removeBookmark)) writeBookmarks();
}

MatchList matchingBookmarks(const std::string &literal, const PatternRef &expression) {
  MatchList matches;
  for (const std::string &path : bookmarkList) {
    if (!literalInLastComponent(literal, path) || !matchesPattern(expression, path))
      continue;
    DirLocation found = lookupPath(path, false, false, false);
    if (found.node) matches.push_back({path, found.node, false, 0});
  }
  return matches;
}

void listBookmarksCommand(const std::string &pattern) {
  loadTree(true);
  readBookmarks();
  MatchList matches = pattern.empty() ? matchingBookmarks("", nullptr)
                                      : matchingBookmarks(patternLiteral(pattern),
                                                          compilePattern(pattern));
  if (matches.empty()) {
    std::cout.flush();
    MessageFormat(std::cerr, _("%$: no bookmarks found\n")).arg(programName);
    return;
  }
  showMatchList(matches);
}
