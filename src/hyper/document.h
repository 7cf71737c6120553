// The page the full-screen view shows: rows of text with links, named
// anchors and a title. A drawer fills it through the drawing operations
// below. A layout records the size and where each link and anchor lies;
// the rows themselves (hyper/pad.h) are drawn when they are shown, a slice
// of them at a time, and only the last few slices are kept, so that a
// million rows cost no more than their links.
#ifndef VOK_HYPER_DOCUMENT_H
#define VOK_HYPER_DOCUMENT_H

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// Names the links of a drawer that keeps what they lead to itself (the
// tree's links are its nodes): the document then keeps of each link only
// its cells and the number the source gave, and every link is an anchor
// named by its own path.
class LinkSource {
 public:
  virtual ~LinkSource() = default;
  virtual std::string target(uint32_t ref) const = 0;
  // Views of the source's own bytes, or of `scratch`.
  virtual std::string_view text(uint32_t ref, std::string &scratch) const = 0;
  virtual std::string_view targetLastComponent(uint32_t ref,
                                               std::string &scratch) const = 0;
  virtual std::string anchorName(uint32_t ref) const = 0;
  virtual std::string_view anchorLastComponent(uint32_t ref) const = 0;
};

// Draws a document's content; with a null pad it only measures.
class HyperDraw {
 public:
  virtual ~HyperDraw() = default;
  virtual void draw(HyperDocument &document, HyperPad *pad) = 0;
  // Whether draw() with a pad sets the size too, so that a layout needs no
  // measuring pass first.
  virtual bool measuresWhileDrawing() const { return false; }
  // Draws `count` rows from row `first` (a multiple of kSliceRows) into
  // the pad, after a layout; false when the drawer can only draw it all.
  virtual bool drawRows(HyperDocument &, HyperPad *, long, long) { return false; }
  // Whether a layout may measure the whole document first (measure()) and
  // record its links and anchors later, in order, a run of rows at a time
  // (recordRows()): a first screen then needs only the measuring.
  virtual bool recordsInSteps() const { return false; }
  // Sets the document's size, title and link source, recording nothing.
  virtual void measure(HyperDocument &) {}
  // Records the rows from `first`, where the last run stopped (a multiple
  // of kSliceRows), until row `stop` would begin; false when the rows
  // ended first.
  virtual bool recordRows(HyperDocument &, HyperPad *, long, long) { return false; }
};

class HyperDocument {
 public:
  // The drawer is not owned and must outlive the document.
  explicit HyperDocument(HyperDraw &contents) : drawer(&contents) {}
  HyperDocument(const HyperDocument &) = delete;
  HyperDocument &operator=(const HyperDocument &) = delete;

  // Rows are drawn and kept in slices of this many.
  static constexpr long kSliceRows = 256;
  // A layout in steps records this many rows a step: about a millisecond
  // on a large tree, so keys read between steps are not held up.
  static constexpr long kStepRows = 32 * kSliceRows;

  // Resets what the last pass left (links, anchors, title, row lengths,
  // position) and lets the drawer draw: measuring without a pad, drawing with.
  void render(HyperPad *pad, int areaHeight, int areaWidth);
  // The size, links and anchors, without keeping the rows. A drawer that
  // records in steps is only measured here; its links and anchors are
  // recorded as far as a question about them needs, or by recordSome().
  void layOut(int areaHeight, int areaWidth);
  // Records the next run of rows of such a layout; false once all are.
  bool recordSome();
  bool recordsPending() const { return !recordedAll_; }
  // Calls visit(const HyperPad::Cell &) for the cells of a row from column
  // `from` on, drawing its slice first when it is not kept.
  template <class Visit>
  void forCells(long index, int from, Visit visit);
  // Takes a saved size instead of a measuring pass.
  void restoreSize(int rows, int cols, int areaHeight, int areaWidth);

  // The drawing operations; all do nothing without a pad.
  void beginDraw(HyperPad *pad);
  // Starts drawing the rows from `firstRow` for drawRows.
  void beginRows(HyperPad *pad, long firstRow);
  // Whether this pass records the links and anchors (a layout's does; a
  // pass that draws rows for showing does not).
  bool recording() const { return recording_; }
  void addChar(HyperPad *pad, char ch);
  // Returns the cells a text of one row takes, measured without a pad.
  long addText(HyperPad *pad, std::string_view text);
  // addText of n spaces, without making them. Filler spaces (a list entry
  // padded to the widest) leave the row's recorded length where its text
  // ends: rows are marked as going past the window's edge by that length.
  void addSpaces(HyperPad *pad, long n, bool filler = false);
  void addGlyph(HyperPad *pad, int index);
  void addAnchor(HyperPad *pad, std::string_view name);
  void beginLink(HyperPad *pad, std::string_view target) {
    openLink(pad, target, RefLink);
  }
  // The source that names the links of this pass, and a link (and anchor)
  // it names by `ref`.
  void setLinkSource(const LinkSource *source) { source_ = source; }
  void beginSourcedLink(HyperPad *pad, uint32_t ref, int kind);
  void beginJumpLink(HyperPad *pad, std::string_view target) {
    openLink(pad, target, JumpLink);
  }
  void endLink(HyperPad *pad);
  void beginItalic(HyperPad *pad);
  void endItalic(HyperPad *pad);
  // A layout pass on a pad that keeps nothing needs only the records: the
  // same ones as the drawing operations above leave, without the drawing.
  // `n` cells that are no link's text:
  void recordCells(long n) {
    col += static_cast<int>(std::min<long>(n, INT32_MAX - col));
    fillFrom_ = -1;
  }
  // A sourced link of one row whose text `text` (no control bytes) takes
  // `width` cells; `last` is its target's last component.
  void recordSourcedLink(uint32_t ref, int kind, std::string_view text,
                         std::string_view last, long width);
  void recordRowEnd() { endRow(); }
  void setTitle(const std::string &text) { title = text; }
  // Columns beyond the pad's limit are cut.
  void setSize(int newRows, int newCols);

  // The cells a text takes in this document's rows.
  size_t textWidth(std::string_view text) const;

  // Memory held by the laid-out links and anchors, for the figures.
  size_t bytes() const;

  // The links and anchors of the last drawing pass, in the order drawn.
  // Counting them records them all; asking for one records up to it.
  size_t linkCount() const {
    recordAll();
    return links_.size();
  }
  // The links recorded so far: all of them once linkCount() was asked.
  size_t linksRecorded() const { return links_.size(); }
  bool hasLink(size_t link) const {
    recordLinks(link + 1);
    return link < links_.size();
  }
  const LinkCells &cells(size_t link) const {
    recordLinks(link + 1);
    return links_[link];
  }
  // The byte classes of a link's text and its target's last component,
  // kept apart from the cells so that a search reads them in one sweep.
  uint64_t bytesSeen(size_t link) const {
    recordLinks(link + 1);
    return linkBytes_[link];
  }
  std::string target(size_t link) const {
    const uint32_t ref = cells(link).target;
    return source_ ? source_->target(ref) : strings_.get(ref);
  }
  std::string text(size_t link) const { return std::string(textView(link)); }
  // The text and the target's last component without a copy, for searching
  // (a view that the next call may change).
  std::string_view textView(size_t link) const {
    const LinkCells &l = cells(link);
    if (source_) return source_->text(l.target, scratch_);
    return l.text == TextStore::kNone ? strings_.lastComponent(l.target)
                                      : strings_.view(l.text);
  }
  std::string_view targetLastComponent(size_t link) const {
    const uint32_t ref = cells(link).target;
    if (source_) return source_->targetLastComponent(ref, scratch_);
    return strings_.lastComponent(ref);
  }
  HyperLink link(size_t index) const;
  size_t anchorCount() const {
    recordAll();
    return source_ ? links_.size() + anchors_.size() : anchors_.size();
  }
  HyperLink anchor(size_t index) const;
  AnchorCell anchorCell(size_t index) const;
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
  // Names are read as UTF-8: a character may take several bytes of a row's
  // text and two cells.
  bool utf8 = false;

 private:
  void openLink(HyperPad *pad, std::string_view target, int kind);
  void openLinkTo(HyperPad *pad, uint32_t target, int kind);
  void setStyle(HyperPad *pad);
  void putCells(HyperPad *pad, std::string_view text);
  void putRun(HyperPad *pad, std::string_view run);
  void endRow();
  // The length of the row being drawn: where its text ends.
  int16_t textLength() const;
  // A pass that recorded to the end ends its last row, which has no line
  // feed of its own.
  void endRecordedRows();
  // The slice holding the row, drawn when it is not kept; null beyond the
  // document.
  struct Slice {
    long first = 0, count = 0;
    std::unique_ptr<HyperPad> pad;
    uint64_t used = 0;
  };
  Slice *sliceOf(long index);
  // Records of a layout in steps, as far as asked. They are kept like a
  // cache, so the questions above stay const.
  void recordLinks(size_t count) const {
    while (count > links_.size() && !recordedAll_) recordStep();
  }
  void recordRowsBefore(long end) const {
    while (end > recordedRows_ && !recordedAll_) recordStep();
  }
  void recordAll() const {
    while (!recordedAll_) recordStep();
  }
  void recordStep() const { const_cast<HyperDocument *>(this)->recordSome(); }

  std::vector<Slice> slices_;
  uint64_t sliceClock_ = 0;
  bool recording_ = true;
  bool recordedAll_ = true;  // the last layout's links are all recorded
  long recordedRows_ = 0;    // or those of the rows before this one
  const LinkSource *source_ = nullptr;
  mutable std::string scratch_;
  ChunkedVector<int16_t> rowLengths_;  // as recorded by the last layout
  int fillFrom_ = -1;                  // where the row's filler began, if it has one
  bool rowsDrawn_ = false;             // a pass has drawn (not only measured)
  ChunkedVector<LinkCells> links_;
  ChunkedVector<uint64_t> linkBytes_;
  ChunkedVector<AnchorCell> anchors_;
  TextStore strings_;
  long currentLink_ = -1;       // the link being drawn
  bool linkBeyondCut_ = false;  // it starts where rows are cut: not kept
  std::string currentText_;
};

template <class Visit>
void HyperDocument::forCells(long index, int from, Visit visit) {
  if (Slice *slice = sliceOf(index))
    slice->pad->forCells(static_cast<int>(index - slice->first), from, visit);
}

#endif
