// The two drawers of the full-screen view: the directory tree as connected
// lines, one directory a line and each a link to its full path, and a
// numbered list of directory paths (matches of a pattern, or bookmarks).
#ifndef VOK_HYPER_DRAWERS_H
#define VOK_HYPER_DRAWERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "hyper/document.h"
#include "tree/dir_tree.h"

// The texts that follow a directory's name for its state, looked up in the
// catalogue when a drawer is made.
struct StateTags {
  StateTags();
  std::string unreadable, skipped, outside, added, notFound;
};

class HyperTreeDraw : public HyperDraw, public LinkSource {
 public:
  // The roots are not owned and must outlive the drawer; the scan time goes
  // into the title.
  HyperTreeDraw(const DirNodeList &treeRoots, int64_t lastScanTime)
      : roots(&treeRoots), scanTime(lastScanTime) {}
  void draw(HyperDocument &document, HyperPad *pad) override;
  bool measuresWhileDrawing() const override { return true; }
  bool drawRows(HyperDocument &document, HyperPad *pad, long first, long count) override;
  bool recordsInSteps() const override { return true; }
  void measure(HyperDocument &document) override;
  bool recordRows(HyperDocument &document, HyperPad *pad, long first, long stop) override;

  // The links, named from the notes of the last recording pass.
  std::string target(uint32_t ref) const override;
  std::string_view text(uint32_t ref, std::string &scratch) const override;
  std::string_view targetLastComponent(uint32_t ref, std::string &scratch) const override;
  std::string anchorName(uint32_t ref) const override;
  std::string_view anchorLastComponent(uint32_t ref) const override;

  // Where the walk stands at the start of a row: the root, the open levels
  // and the vertical lines.
  struct Level {
    const DirNodeList *children;
    size_t next;
    long indent;
    uint32_t note;  // of the node whose children these are
  };
  // A node the recording pass drew, and its parent's note.
  struct Note {
    const DirNode *node;
    uint32_t parent;
  };
  struct Place {
    size_t root = 0;
    std::vector<Level> levels;
    std::vector<long> verticals;
  };

  const DirNodeList *roots;
  int64_t scanTime;
  StateTags tags;
  long lineCount = 0;           // lines drawn
  long widestLine = 0;          // the longest line
  std::vector<long> verticals;  // columns of the continuing vertical lines
  long lineWidth = 0;
  // The places of rows kSliceRows, 2 kSliceRows, ... as the last recording
  // pass found them.
  std::vector<Place> places;
  ChunkedVector<Note> notes;
};

class HyperListDraw : public HyperDraw {
 public:
  // The entries are not owned and must outlive the drawer.
  HyperListDraw(const std::vector<std::string> &listEntries, int64_t lastScanTime);
  void draw(HyperDocument &document, HyperPad *pad) override;

  long digits;
  size_t widest = 0;
  const std::vector<std::string> *entries;
  int64_t scanTime;
};

// The title's date of a scan, "" when it cannot be shown.
std::string lastScanText(int64_t scanTime);

#endif
