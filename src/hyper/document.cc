#include "hyper/document.h"

#include <algorithm>
#include <climits>

#include "base/utf8.h"
#include "config/profile.h"

namespace {
constexpr int kLastColumn = HyperPad::kMaxColumns - 1;

int16_t column(int col) { return static_cast<int16_t>(std::min(col, kLastColumn)); }
}  // namespace

void HyperDocument::render(HyperPad *pad, int areaHeight, int areaWidth) {
  slices_.clear();
  recording_ = true;
  recordedAll_ = true;
  source_ = nullptr;
  rowsDrawn_ = false;
  rowLengths_.clear();
  links_.clear();
  linkBytes_.clear();
  anchors_.clear();
  strings_.clear();
  title.clear();
  currentLink_ = -1;
  currentText_.clear();
  row = col = 0;
  fillFrom_ = -1;
  areaLines = areaHeight;
  areaColumns = areaWidth;
  if (!pad && drawer->recordsInSteps()) {
    // Measured only: the records follow in steps from the first row.
    drawer->measure(*this);
    recordedAll_ = false;
    recordedRows_ = 0;
    rowsDrawn_ = true;
    return;
  }
  drawer->draw(*this, pad);
  if (pad) {
    endRecordedRows();
    pad->finish();
  }
}

void HyperDocument::layOut(int areaHeight, int areaWidth) {
  const bool inSteps = drawer->recordsInSteps();
  if (inSteps || !drawer->measuresWhileDrawing()) render(nullptr, areaHeight, areaWidth);
  if (inSteps) return;
  HyperPad records(0, false);
  render(&records, areaHeight, areaWidth);
}

bool HyperDocument::recordSome() {
  if (recordedAll_) return false;
  const long first = recordedRows_, stop = first + kStepRows;
  HyperPad records(0, false);
  recording_ = true;
  row = static_cast<int>(first);
  col = 0;
  fillFrom_ = -1;
  linkDepth = boldDepth = italicDepth = 0;
  currentLink_ = -1;
  const bool toEnd = stop >= rows;
  const bool more = drawer->recordRows(*this, &records, first, toEnd ? -1 : stop);
  recordedAll_ = toEnd || !more;
  if (recordedAll_) endRecordedRows();
  recordedRows_ = recordedAll_ ? rows : stop;
  return !recordedAll_;
}

// The slices are aligned to kSliceRows, so each is drawn from a place the
// drawer can start at; a drawer that cannot draws everything, kept whole.
HyperDocument::Slice *HyperDocument::sliceOf(long index) {
  if (index < 0 || index >= rows) return nullptr;
  for (Slice &slice : slices_) {
    if (index >= slice.first && index < slice.first + slice.count) {
      slice.used = ++sliceClock_;
      return &slice;
    }
  }
  constexpr size_t kKept = 8;
  if (slices_.size() >= kKept) {
    auto oldest =
        std::min_element(slices_.begin(), slices_.end(),
                         [](const Slice &a, const Slice &b) { return a.used < b.used; });
    slices_.erase(oldest);
  }
  Slice slice;
  slice.first = index / kSliceRows * kSliceRows;
  slice.count = std::min<long>(kSliceRows, rows - slice.first);
  slice.pad = std::make_unique<HyperPad>(static_cast<int>(slice.count));
  // A slice is drawn from the place the recording noted at its start.
  recordRowsBefore(slice.first + 1);
  recording_ = false;
  if (!drawer->drawRows(*this, slice.pad.get(), slice.first, slice.count)) {
    slice.first = 0;
    slice.count = rows;
    slice.pad = std::make_unique<HyperPad>(rows);
    drawer->draw(*this, slice.pad.get());
  }
  slice.pad->finish();
  recording_ = true;
  slice.used = ++sliceClock_;
  slices_.push_back(std::move(slice));
  return &slices_.back();
}

void HyperDocument::restoreSize(int newRows, int newCols, int areaHeight, int areaWidth) {
  rows = newRows;
  cols = newCols;
  areaLines = areaHeight;
  areaColumns = areaWidth;
}

void HyperDocument::setSize(int newRows, int newCols) {
  rows = newRows;
  cols = std::min(newCols, static_cast<int>(HyperPad::kMaxColumns));
}

void HyperDocument::beginDraw(HyperPad *pad) { beginRows(pad, 0); }

void HyperDocument::beginRows(HyperPad *pad, long firstRow) {
  if (!pad) return;
  row = static_cast<int>(firstRow);
  col = 0;
  fillFrom_ = -1;
  if (recording_) {
    rowLengths_.clear();
    rowsDrawn_ = true;
  }
  linkDepth = boldDepth = italicDepth = 0;
  pad->setAttr(kAttrNormal);
}

void HyperDocument::setStyle(HyperPad *pad) {
  const bool link = linkDepth > 0;
  int slot;
  if (boldDepth > 0)
    slot = link ? kAttrBoldLink : kAttrBoldText;
  else if (italicDepth > 0)
    slot = link ? kAttrSymLink : kAttrItalic;
  else
    slot = link ? kAttrDir : kAttrNormal;
  pad->setAttr(slot);
}

int16_t HyperDocument::textLength() const {
  return static_cast<int16_t>(std::min(fillFrom_ >= 0 ? fillFrom_ : col, HyperPad::kMaxColumns));
}

void HyperDocument::endRow() {
  if (recording_) rowLengths_.push_back(textLength());
  ++row;
  col = 0;
  fillFrom_ = -1;
}

void HyperDocument::endRecordedRows() {
  if (recording_ && rows > 0 && rowLengths_.size() + 1 == static_cast<size_t>(rows))
    rowLengths_.push_back(textLength());
}

// NUL, backspace, tab and carriage return draw nothing; a line feed starts
// the next row.
void HyperDocument::putCells(HyperPad *pad, std::string_view text) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\0' && c != '\b' && c != '\t' && c != '\r' && c != '\n') continue;
    putRun(pad, text.substr(start, i - start));
    if (c == '\n') {
      endRow();
      pad->newLine();
    }
    start = i + 1;
  }
  putRun(pad, text.substr(start));
}

// Bytes are cells, but for names read as UTF-8: then a character of
// several bytes is one (or, wide, two); a byte that is none is one cell
// painted "?".
void HyperDocument::putRun(HyperPad *pad, std::string_view run) {
  if (!run.empty()) fillFrom_ = -1;
  if (!utf8) {
    pad->addBytes(run);
    col += static_cast<int>(run.size());
    return;
  }
  size_t plain = 0;
  for (size_t at = 0; at < run.size();) {
    // ASCII stays plain bytes, and so does what shows as "?".
    if (plainCellAt(run, at)) {
      ++at;
      continue;
    }
    const ShownChar c = shownCharAt(run, at, true);
    if (!c.valid || c.length == 1) {
      at += c.length;
      continue;
    }
    pad->addBytes(run.substr(plain, at - plain));
    col += static_cast<int>(at - plain);
    pad->addChar(run.substr(at, c.length), c.width);
    col += c.width;
    at += c.length;
    plain = at;
  }
  pad->addBytes(run.substr(plain));
  col += static_cast<int>(run.size() - plain);
}

size_t HyperDocument::textWidth(std::string_view text) const {
  return shownWidth(text, utf8);
}

void HyperDocument::addChar(HyperPad *pad, char ch) {
  if (!pad) return;
  if (currentLink_ >= 0) currentText_ += ch;
  putCells(pad, std::string_view(&ch, 1));
}

long HyperDocument::addText(HyperPad *pad, std::string_view text) {
  if (!pad) return static_cast<long>(textWidth(text));
  if (currentLink_ >= 0) currentText_ += text;
  const int before = col;
  putCells(pad, text);
  return col - before;
}

void HyperDocument::addSpaces(HyperPad *pad, long n, bool filler) {
  if (!pad || n <= 0) return;
  if (currentLink_ >= 0) currentText_.append(static_cast<size_t>(n), ' ');
  if (!filler)
    fillFrom_ = -1;
  else if (fillFrom_ < 0)
    fillFrom_ = col;
  pad->addSpaces(n);
  col += static_cast<int>(std::min<long>(n, INT32_MAX - col));
}

void HyperDocument::addGlyph(HyperPad *pad, int index) {
  if (!pad) return;
  pad->addGlyph(index);
  ++col;
  fillFrom_ = -1;
}

// An anchor beyond the cut keeps its row, so that a jump to it still lands
// near it.
void HyperDocument::addAnchor(HyperPad *pad, std::string_view name) {
  if (!pad || !recording_) return;
  anchors_.push_back({row, strings_.addPath(name), column(col)});
}

void HyperDocument::openLink(HyperPad *pad, std::string_view target, int kind) {
  openLinkTo(pad, pad && recording_ ? strings_.addText(target) : TextStore::kNone, kind);
}

void HyperDocument::beginSourcedLink(HyperPad *pad, uint32_t ref, int kind) {
  openLinkTo(pad, ref, kind);
}

void HyperDocument::openLinkTo(HyperPad *pad, uint32_t target, int kind) {
  if (!pad) return;
  ++linkDepth;
  setStyle(pad);
  if (!recording_) return;
  linkBeyondCut_ = col > kLastColumn;
  links_.push_back({row, -1, target, TextStore::kNone, column(col), -1,
                    static_cast<int8_t>(kind), false});
  linkBytes_.push_back(0);
  currentLink_ = static_cast<long>(links_.size() - 1);
  currentText_.clear();
}

void HyperDocument::endLink(HyperPad *pad) {
  if (!pad || linkDepth == 0) return;
  if (currentLink_ >= 0) {
    LinkCells &link = links_[static_cast<size_t>(currentLink_)];
    link.endRow = row;
    link.endCol = column(col - 1);
    const std::string_view last =
        source_ ? source_->targetLastComponent(link.target, scratch_)
                : strings_.lastComponent(link.target);
    link.textIsLastComponent = last == currentText_;
    linkBytes_.back() = byteBits(currentText_) | byteBits(last);
    // A source names its links' texts itself.
    link.text = link.textIsLastComponent || source_
                    ? TextStore::kNone
                    : strings_.addStandalone(currentText_);
    // A link that starts where the row is cut could never be shown; a
    // sourced link's anchor stays.
    if (linkBeyondCut_) {
      if (source_) anchors_.push_back({link.startRow, link.target, link.startCol});
      links_.pop_back();
      linkBytes_.pop_back();
    }
  }
  --linkDepth;
  setStyle(pad);
  currentLink_ = -1;
  currentText_.clear();
}

void HyperDocument::recordSourcedLink(uint32_t ref, int kind, std::string_view text,
                                      std::string_view last, long width) {
  const int startCol = col;
  recordCells(width);
  // As endLink: a link that starts where the row is cut keeps its anchor.
  if (startCol > kLastColumn) {
    anchors_.push_back({row, ref, column(startCol)});
    return;
  }
  const bool lastIsText = last == text;
  links_.push_back({row, row, ref, TextStore::kNone, column(startCol), column(col - 1),
                    static_cast<int8_t>(kind), lastIsText});
  linkBytes_.push_back(lastIsText ? byteBits(text) : byteBits(text) | byteBits(last));
}

void HyperDocument::beginItalic(HyperPad *pad) {
  if (!pad) return;
  ++italicDepth;
  setStyle(pad);
}

void HyperDocument::endItalic(HyperPad *pad) {
  if (!pad) return;
  if (italicDepth > 0) --italicDepth;
  setStyle(pad);
}

HyperLink HyperDocument::link(size_t index) const {
  const LinkCells &l = cells(index);
  return {target(index), text(index), l.startRow, l.startCol, l.endRow, l.endCol, l.kind};
}

// With a source, the links come first among the anchors, then the anchors
// of links beyond the cut.
AnchorCell HyperDocument::anchorCell(size_t index) const {
  // A link recorded is a link, however many follow it; an anchor beyond the
  // cut is numbered after every link.
  if (index >= links_.size()) recordAll();
  if (!source_) return anchors_[index];
  if (index >= links_.size()) return anchors_[index - links_.size()];
  const LinkCells &cells = links_[index];
  return {cells.startRow, cells.target, cells.startCol};
}

HyperLink HyperDocument::anchor(size_t index) const {
  const AnchorCell cell = anchorCell(index);
  return {source_ ? source_->anchorName(cell.name) : strings_.get(cell.name),
          "",
          cell.row,
          cell.col,
          cell.row,
          cell.col,
          NameAnchor};
}

// Most anchors differ in their last component, which costs no copy.
long HyperDocument::findAnchor(const std::string &name) const {
  const size_t slash = name.rfind('/');
  const std::string_view last = slash == std::string::npos
                                    ? std::string_view(name)
                                    : std::string_view(name).substr(slash + 1);
  if (source_) {
    // The first in the document's order, among the links and the anchors
    // beyond the cut.
    auto named = [&](uint32_t ref) {
      return source_->anchorLastComponent(ref) == last &&
             source_->anchorName(ref) == name;
    };
    // Searched as they are recorded, so that an anchor near the start needs
    // no more: the rows a step records all follow the last step's.
    size_t link = 0, anchor = 0;
    for (;;) {
      while (link < links_.size() && !named(links_[link].target)) ++link;
      while (anchor < anchors_.size() && !named(anchors_[anchor].name)) ++anchor;
      const bool linkFound = link < links_.size(), anchorFound = anchor < anchors_.size();
      if (anchorFound && (!linkFound || anchors_[anchor].row < links_[link].startRow)) {
        recordAll();
        return static_cast<long>(links_.size() + anchor);
      }
      if (linkFound) return static_cast<long>(link);
      if (recordedAll_) return -1;
      recordStep();
    }
  }
  for (size_t i = 0; i < anchors_.size(); ++i) {
    if (strings_.lastComponent(anchors_[i].name) == last &&
        strings_.get(anchors_[i].name) == name)
      return static_cast<long>(i);
  }
  return -1;
}

// A row the last pass did not reach is as wide as the widest.
int HyperDocument::rowLength(long index) const {
  if (!rowsDrawn_ || index < 0 || index >= rows) return 0;
  recordRowsBefore(index + 1);
  return static_cast<size_t>(index) < rowLengths_.size()
             ? rowLengths_[static_cast<size_t>(index)]
             : cols;
}

size_t HyperDocument::bytes() const {
  return strings_.bytes() + links_.bytes() + linkBytes_.bytes() + anchors_.bytes() +
         rowLengths_.bytes();
}
