// The two drawers of the full-screen view: the directory tree as connected
// lines, one directory a line and each a link to its full path, and a
// numbered list of directory paths (matches of a pattern, or bookmarks).
#ifndef VOK_HYPER_DRAWERS_H
#define VOK_HYPER_DRAWERS_H

#include <string>
#include <vector>

#include "hyper/document.h"
#include "tree/dir_tree.h"

// Lines drawn and the longest line of the last tree drawn in this process.
extern long lineCount;
extern long widestLine;

// Looks up the state tags (" [unreadable]", " [*]", ...) in the catalogue;
// called before each display.
void prepareTags();

class HyperTreeDraw : public HyperDraw {
 public:
  // The roots are not owned and must outlive the drawer.
  explicit HyperTreeDraw(const DirNodeList *roots) : roots(roots) {}
  void draw(HyperDocument &document, HyperPad *pad) override;

  const DirNodeList *roots;
  std::vector<long> verticals;  // columns of the continuing vertical lines
  long lineWidth = 0;
};

class HyperListDraw : public HyperDraw {
 public:
  // The entries are not owned and must outlive the drawer.
  explicit HyperListDraw(const std::vector<std::string> *entries);
  void draw(HyperDocument &document, HyperPad *pad) override;

  long digits;
  size_t widest = 0;
  const std::vector<std::string> *entries;
};

// The title's date of the last scan, "" when it cannot be shown.
std::string lastScanText();

#endif
