// Entries of the four directory lists of a profile (StartDir, SkipDir,
// DefaultTree, MountDir) and the tests that scans and searches run on them.
#ifndef VOK_CONFIG_DIR_CONFIG_H
#define VOK_CONFIG_DIR_CONFIG_H

#include <regex.h>

#include <memory>
#include <string>
#include <vector>

// One entry; never changed after creation and shared between the profiles
// that were copied from one another.
class DirConfig {
 public:
  // A regular-expression text is compiled at once, anchored at both ends;
  // compiled() tells whether that worked. An entry whose expression did not
  // compile matches nothing.
  DirConfig(std::string text, bool isRegex, bool globDot, bool globPath);
  DirConfig(const DirConfig &) = delete;
  DirConfig &operator=(const DirConfig &) = delete;
  virtual ~DirConfig();

  virtual bool equals(const DirConfig &other) const;
  virtual bool differs(const DirConfig &other) const { return !equals(other); }
  bool compiled() const { return compiled_; }
  bool regexMatches(const std::string &path) const;

  const std::string text;
  const bool isRegex;
  const bool globDot;
  const bool globPath;

 private:
  regex_t regex_;
  bool compiled_ = false;
};

enum MountOption { kMountSkip = 0, kMountAll = 1, kMountTree = 2 };

class MountDirConfig : public DirConfig {
 public:
  MountDirConfig(std::string entryText, std::vector<int> mountOptions)
      : DirConfig(std::move(entryText), false, false, false),
        options(std::move(mountOptions)) {}
  const std::vector<int> options;  // MountOption codes in the order written
};

using DirConfigRef = std::shared_ptr<const DirConfig>;
using MountDirConfigRef = std::shared_ptr<const MountDirConfig>;
using DirList = std::vector<DirConfigRef>;
using MountDirList = std::vector<MountDirConfigRef>;

// The matching rule shared by every list: an anchored regular expression,
// or fnmatch with FNM_PERIOD unless globDot and FNM_PATHNAME unless globPath.
bool matchesEntry(const DirConfig &entry, const std::string &path);

// The tests scans and lookups make against a profile's lists.
// "/proc" and "/dev" are always skipped.
bool matchesSkipDir(const DirList &skipDirs, const std::string &path);
bool isStartDir(const DirList &startDirs, const std::string &path);
bool matchesMountDir(const MountDirList &mountDirs, const std::string &path);

// Adds an entry: a new text is appended; the same text with the same flags
// keeps the old entry in its place; different flags move it to the end.
template <class Ref>
void addDirEntry(std::vector<Ref> &list, Ref entry) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if ((*it)->text != entry->text) continue;
    if ((*it)->equals(*entry)) return;
    list.erase(it);
    break;
  }
  list.push_back(std::move(entry));
}

#endif
