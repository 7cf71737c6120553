// The page the full-screen view shows: rows of text with links, named
// anchors and a title. A drawer fills it through the drawing operations
// below, twice per layout: first without a pad, only to measure the size,
// then into a pad (the laid-out rows, hyper/pad.h) while the document
// records where each link and anchor lies.
#ifndef VOK_HYPER_DOCUMENT_H
#define VOK_HYPER_DOCUMENT_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "hyper/pad.h"
#include "hyper/text_store.h"

enum HyperLinkKind {
  NoLink = -1,
  JumpLink = 0,
  NameAnchor = 1,
  CallLink = 2,
  RefLink = 3,
  QuitLink = 4
};

// One link or anchor as a whole record, made on demand from the document's
// compact lists.
struct HyperLink {
  std::string target;  // for an anchor, its name
  std::string text;
  int startRow = 0, startCol = 0;
  int endRow = -1, endCol = -1;  // -1 while the link is open
  int kind = NoLink;
};

// Where a link or anchor lies, in reading order; the window's movements
// compare these.
struct LinkCells {
  int32_t startRow, endRow;
  // Numbers in the document's text store. A text that is its target's last
  // component (a directory's name) is not kept twice: it is kNone.
  uint32_t target, text;
  int16_t startCol, endCol;
  int8_t kind;
  bool textIsLastComponent;
};

// A link's bytes in 64 classes, a bit each: every small letter, capital and
// digit has a class of its own, the other bytes share two. A search skips a
// link that lacks one of its query's bits without reading the link's bytes.
struct ByteClasses {
  uint64_t bit[256];
  constexpr ByteClasses() : bit() {
    for (unsigned c = 0; c < 256; ++c) {
      const unsigned n = c >= 'a' && c <= 'z'   ? c - 'a'
                         : c >= 'A' && c <= 'Z' ? 26 + (c - 'A')
                         : c >= '0' && c <= '9' ? 52 + (c - '0')
                                                : 62 + (c & 1);
      bit[c] = uint64_t{1} << n;
    }
  }
};
inline constexpr ByteClasses kByteClasses;

inline uint64_t byteBits(std::string_view text) {
  uint64_t bits = 0;
  for (char c : text) bits |= kByteClasses.bit[static_cast<unsigned char>(c)];
  return bits;
}

struct AnchorCell {
  int32_t row;
  uint32_t name;
  int16_t col;
};

class HyperDocument;

// Draws a document's content; with a null pad it only measures.
class HyperDraw {
 public:
  virtual ~HyperDraw() = default;
  virtual void draw(HyperDocument &document, HyperPad *pad) = 0;
};

class HyperDocument {
 public:
  // The drawer is not owned and must outlive the document.
  explicit HyperDocument(HyperDraw &contents) : drawer(&contents) {}
  HyperDocument(const HyperDocument &) = delete;
  HyperDocument &operator=(const HyperDocument &) = delete;

  // Resets what the last pass left (links, anchors, title, row lengths,
  // position) and lets the drawer draw: measuring without a pad, drawing with.
  void render(HyperPad *pad, int areaHeight, int areaWidth);
  // Takes a saved size instead of a measuring pass.
  void restoreSize(int rows, int cols, int areaHeight, int areaWidth);

  // The drawing operations; all do nothing without a pad.
  void beginDraw(HyperPad *pad);
  void addChar(HyperPad *pad, char ch);
  // Returns the cells a text of one row takes, measured without a pad.
  long addText(HyperPad *pad, std::string_view text);
  // addText of n spaces, without making them.
  void addSpaces(HyperPad *pad, long n);
  void addGlyph(HyperPad *pad, int index);
  void addAnchor(HyperPad *pad, std::string_view name);
  void beginLink(HyperPad *pad, std::string_view target) {
    openLink(pad, target, RefLink);
  }
  void beginJumpLink(HyperPad *pad, std::string_view target) {
    openLink(pad, target, JumpLink);
  }
  void endLink(HyperPad *pad);
  void beginItalic(HyperPad *pad);
  void endItalic(HyperPad *pad);
  void setTitle(const std::string &text) { title = text; }
  // Columns beyond the pad's limit are cut.
  void setSize(int newRows, int newCols);

  // The cells a text takes in this document's rows.
  size_t textWidth(std::string_view text) const;

  // Memory held by the laid-out links and anchors, for the figures.
  size_t bytes() const;

  // The links and anchors of the last drawing pass, in the order drawn.
  size_t linkCount() const { return links_.size(); }
  const LinkCells &cells(size_t link) const { return links_[link]; }
  // The byte classes of a link's text and its target's last component,
  // kept apart from the cells so that a search reads them in one sweep.
  uint64_t bytesSeen(size_t link) const { return linkBytes_[link]; }
  std::string target(size_t link) const { return strings_.get(links_[link].target); }
  std::string text(size_t link) const { return std::string(textView(link)); }
  // The text and the target's last component without a copy, for searching.
  std::string_view textView(size_t link) const {
    const LinkCells &cells = links_[link];
    return cells.text == TextStore::kNone ? strings_.lastComponent(cells.target)
                                          : strings_.view(cells.text);
  }
  std::string_view targetLastComponent(size_t link) const {
    return strings_.lastComponent(links_[link].target);
  }
  HyperLink link(size_t index) const;
  size_t anchorCount() const { return anchors_.size(); }
  HyperLink anchor(size_t index) const;
  const AnchorCell &anchorCell(size_t index) const { return anchors_[index]; }
  // The first anchor of that name, or -1.
  long findAnchor(const std::string &name) const;
  // Length of a row (0 beyond the document).
  int rowLength(long row) const;

  int row = 0, col = 0;
  int linkDepth = 0, boldDepth = 0, italicDepth = 0;
  int areaLines = 0, areaColumns = 0;
  HyperDraw *drawer;
  std::string title;
  int rows = 0, cols = 0;
  std::unique_ptr<int16_t[]> rowLengths;  // one per row once a pass allocates it
  // Names are read as UTF-8: a character may take several bytes of a row's
  // text and two cells.
  bool utf8 = false;

 private:
  void openLink(HyperPad *pad, std::string_view target, int kind);
  void setStyle(HyperPad *pad);
  void putCells(HyperPad *pad, std::string_view text);
  void putRun(HyperPad *pad, std::string_view run);
  void endRow();

  ChunkedVector<LinkCells> links_;
  ChunkedVector<uint64_t> linkBytes_;
  ChunkedVector<AnchorCell> anchors_;
  TextStore strings_;
  long currentLink_ = -1;       // the link being drawn
  bool linkBeyondCut_ = false;  // it starts where rows are cut: not kept
  std::string currentText_;
};

#endif
