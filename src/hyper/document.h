// The page the full-screen view shows: rows of text with links, named
// anchors and a title, drawn into a curses pad by a drawer, and the table of
// named display characters that drawers and scroll bars use.
#ifndef VOK_HYPER_DOCUMENT_H
#define VOK_HYPER_DOCUMENT_H

#include <curses.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum HyperLinkKind {
  NoLink = -1, JumpLink = 0, NameAnchor = 1, CallLink = 2, RefLink = 3, QuitLink = 4
};

struct HyperLink {
  std::string target;  // for an anchor, its name
  std::string text;
  int startRow = 0, startCol = 0;
  int endRow = -1, endCol = -1;  // -1 while the link is open
  int kind = NoLink;
};
using HyperLinkRef = std::shared_ptr<HyperLink>;

class HyperDocument;

// Draws a document's content; with a null pad it only measures.
class HyperDraw {
 public:
  virtual ~HyperDraw() = default;
  virtual void draw(HyperDocument &document, WINDOW *pad) = 0;
};

class HyperDocument {
 public:
  // The drawer is not owned and must outlive the document.
  explicit HyperDocument(HyperDraw &drawer) : drawer(&drawer) {}

  // Resets what the last pass left (links, anchors, title, row lengths,
  // position) and lets the drawer draw: measuring without a pad, drawing with.
  void render(WINDOW *pad, int areaHeight, int areaWidth);
  // Takes a saved size instead of a measuring pass.
  void restoreSize(int rows, int cols, int areaHeight, int areaWidth);

  HyperLink *currentLink = nullptr;
  int row = 0, col = 0;
  int linkDepth = 0, boldDepth = 0, italicDepth = 0;
  int areaLines = 0, areaColumns = 0;
  HyperDraw *drawer;
  std::string title;
  std::vector<HyperLinkRef> links;
  std::vector<HyperLinkRef> anchors;
  int rows = 0, cols = 0;
  std::unique_ptr<int16_t[]> rowLengths;  // one per row once a pass allocates it
};

// Named display characters, drawn by index. Entries 0-3 and 35 are plain
// from the start; 4-34 stay 0 until the terminal start-up fills them with
// line graphics or plain look-alikes.
enum GraphicChar {
  GLt, GGt, GAmp, GQuot, GBoxUR, GBoxDR, GBoxDL, GBoxUL, GBoxVL, GBoxVR, GBoxHU, GBoxHD,
  GBoxH, GBoxV, GRArr, GLArr, GDArr, GUArr, GDegree, GPlMinus, GLEqual, GGEqual, GNEqual,
  GBullet, GDiamond, GCkBoard, GBoard, GLantern, GBlock, GPi, GSterling, GS1, GS9, GS3,
  GS7, GSpace, GraphicCharCount
};

struct GraphicCharEntry {
  const char *name;
  chtype glyph;
};
extern GraphicCharEntry GraphicCharTable[GraphicCharCount];

#endif
