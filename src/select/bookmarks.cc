#include "select/bookmarks.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <memory>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "tree/lookup.h"

namespace {

// A line that names no directory the program can use is kept as it stands.
Bookmark parseBookmark(const std::string &line) {
  try {
    return {expandDirName(unescapeEntry(line), false, false), line, true, ""};
  } catch (const ErrorRange &) {
    return {"", line, false, _("malformed \\x escape")};
  } catch (const ErrorGenericSyntax &error) {
    return {"", line, false, error.what()};
  }
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

BookmarkList readBookmarks(const std::string &file, bool report) {
  BookmarkList list;
  std::unique_ptr<FILE, int (*)(FILE *)> in(sys::fopen(file, "r"), fclose);
  if (!in) return list;
  std::string line;
  int c;
  auto takeLine = [&] {
    list.push_back(parseBookmark(line));
    line.clear();
  };
  while ((c = getc(in.get())) != EOF) {
    if (c == '\n')
      takeLine();
    else
      line += static_cast<char>(c);
  }
  if (ferror(in.get())) throw ErrorGenericFile(_("error reading file %$"), file);
  if (!line.empty()) takeLine();
  if (report) reportUnusedLines(file, list);
  return list;
}

void reportUnusedLines(const std::string &file, const BookmarkList &list) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].usable) continue;
    std::cout.flush();
    MessageFormat(std::cerr, _("%$: %$, line %$: %$; the line is kept but not used\n"))
        .arg(programName)
        .arg(file)
        .arg(std::to_string(i + 1))
        .arg(list[i].reason);
  }
}

bool bookmarkMatches(const Bookmark &entry, const std::string &literal,
                     const PatternRef &expression) {
  return entry.usable && literalInLastComponent(literal, entry.path) &&
         matchesPattern(expression, entry.path);
}

void writeBookmarks(const std::string &file, const BookmarkList &list) {
  SafeFileWriter out(file);
  if (!out.ok()) throw ErrorGenericFile(_("cannot create file %$"), file);
  std::string text;
  for (const Bookmark &entry : list) text += entry.line + '\n';
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(out.fd(), text.data() + done, text.size() - done);
    if (n <= 0) throw ErrorGenericFile(_("error writing file %$"), file);
    done += static_cast<size_t>(n);
  }
  if (!out.commit()) throw ErrorGenericFile(_("error writing file %$"), file);
}

MatchList matchingBookmarks(const BookmarkList &list, const DirNodeList &roots,
                            const std::string &literal, const PatternRef &expression) {
  MatchList matches;
  for (const Bookmark &entry : list) {
    if (!bookmarkMatches(entry, literal, expression)) continue;
    DirLocation found = findPath(roots, entry.path);
    if (found.node) matches.push_back({entry.path, found.node, false, 0});
  }
  return matches;
}

