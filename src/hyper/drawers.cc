#include "hyper/drawers.h"

#include <algorithm>
#include <ctime>
#include <sstream>

#include "base/message.h"
#include "term/glyphs.h"

namespace {

// NUL, backspace, tab, line feed and carriage return, as bits.
constexpr unsigned kBreaking = 1u << '\0' | 1u << '\b' | 1u << '\t' | 1u << '\n' | 1u << '\r';
inline bool breaksRow(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= '\r' && (kBreaking >> byte & 1u);
}

// Control bytes that would break the row keep their cell as "?". Every
// name of a tree passes here, so the test is one comparison a byte.
std::string_view sanitised(std::string_view name, std::string &buffer) {
  if (std::none_of(name.begin(), name.end(), [](char c) { return breaksRow(c); }))
    return name;
  buffer = name;
  for (char &c : buffer)
    if (breaksRow(c)) c = '?';
  return buffer;
}

// The link a symbolic link makes: to its target outside the tree, or a
// jump to its target's line inside; NoLink when there is none to follow.
int followedLink(const DirNode &node) {
  if (node.linkState == LinkOutside) return RefLink;
  if (node.linkState == LinkInside && node.linkAccess != AccessNoSearch) return JumpLink;
  return NoLink;
}

// The part of a path after its last '/'.
std::string_view lastComponentOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string formatTitle(const char *format, const std::vector<std::string> &args) {
  std::ostringstream sink;
  MessageFormat message(sink, format);
  for (const std::string &arg : args) message.arg(arg);
  return message.str();
}

// One pass of the tree drawer over every root, without recursion, so that
// no depth of tree can exhaust the stack. A recording pass notes where each
// slice of rows starts; a pass for showing starts at such a place and stops
// when its rows are drawn.
class TreePass {
 public:
  TreePass(HyperTreeDraw &drawer, HyperDocument &doc, HyperPad *pad)
      : d_(drawer),
        doc_(doc),
        pad_(pad),
        recordsOnly_(pad && pad->discards() && doc.recording()) {}
  // From the start, or from a place until the row `stopRow` would begin.
  void run(const HyperTreeDraw::Place *from = nullptr, long stopRow = -1);
  // Whether the last run stopped there before the rows ended.
  bool stopped() const { return stopped_; }

 private:
  using Frame = HyperTreeDraw::Level;

  // In a layout pass: counts the cells of a text that is no link's.
  long cells(std::string_view s) {
    const long width = static_cast<long>(doc_.textWidth(s));
    doc_.recordCells(width);
    d_.lineWidth += width;
    return width;
  }
  // Returns the cells the text takes.
  long text(std::string_view s) {
    const long width = doc_.addText(pad_, s);
    d_.lineWidth += width;
    return width;
  }
  void glyph(int index) {
    doc_.addGlyph(pad_, index);
    ++d_.lineWidth;
  }
  // Ends the row (false when the pass is to stop there instead), noting
  // the place of the next one when it starts a slice.
  bool nextRow(size_t root, const std::vector<Frame> &stack);
  // A pass that records the links notes every node it draws, with its
  // parent's note, so that the drawer can name the links; the note's number
  // is the link's, or kNone in other passes.
  uint32_t note(const DirNode &node);
  void endLine();
  void fill(long indent);
  void connector(size_t i, size_t n, long indent);
  long name(std::string_view name) { return text(sanitised(name, buffer_)); }
  // A measuring pass only adds up widths. A byte is a cell unless names
  // are UTF-8, and so is a printable ASCII byte always, so most names need
  // not be read: a long one lies elsewhere.
  long measured(const NodeName &name) {
    const long width = static_cast<long>(
        doc_.utf8 && !name.printableAscii() ? doc_.textWidth(sanitised(name.view(), buffer_))
                                            : name.size());
    d_.lineWidth += width;
    return width;
  }
  long node(const DirNode &node, long parentIndent);
  void linkNode(const DirNode &node);

  HyperTreeDraw &d_;
  HyperDocument &doc_;
  HyperPad *pad_;
  // A layout pass, whose pad keeps nothing, leaves the records alone: a
  // million rows are laid out before the first screen.
  const bool recordsOnly_;
  std::string buffer_;
  // The parent's note, and the last node's, for its children.
  uint32_t parentNote_ = TextStore::kNone, lastNote_ = TextStore::kNone;
  bool resumed_ = false;  // the row the pass started at is begun already
  long stopRow_ = -1;
  bool stopped_ = false;
};

bool TreePass::nextRow(size_t root, const std::vector<Frame> &stack) {
  if (resumed_) {
    resumed_ = false;
    return true;
  }
  const long next = d_.lineCount + 1;
  // A recording that stops here notes the place first: the next one
  // starts from it.
  if (pad_ && doc_.recording() && next % HyperDocument::kSliceRows == 0) {
    d_.places.push_back({root, stack, d_.verticals});
  }
  if (next == stopRow_) {
    // A recording ends the row before it; a drawing leaves its last row
    // open, as the pad's last.
    if (pad_ && doc_.recording()) endLine();
    stopped_ = true;
    return false;
  }
  endLine();
  return true;
}

void TreePass::endLine() {
  if (recordsOnly_)
    doc_.recordRowEnd();
  else if (pad_)
    doc_.addChar(pad_, '\n');
  d_.widestLine = std::max(d_.widestLine, d_.lineWidth);
  ++d_.lineCount;
  d_.lineWidth = 0;
}

// The vertical lines of the open branches, at the start of a continuation
// line.
void TreePass::fill(long indent) {
  d_.lineWidth += indent;
  if (!pad_) return;
  if (recordsOnly_) return doc_.recordCells(indent);
  long column = 0;
  for (long bar : d_.verticals) {
    if (bar >= indent) break;
    doc_.addSpaces(pad_, bar - column);
    doc_.addGlyph(pad_, GBoxV);
    column = bar + 1;
  }
  doc_.addSpaces(pad_, indent - column);
}

void TreePass::connector(size_t i, size_t n, long indent) {
  if (!pad_) {
    d_.lineWidth += 3;
    return;
  }
  if (recordsOnly_) {
    // Three cells whichever they are; only the vertical lines matter.
    if (i == 0 && n > 1) d_.verticals.push_back(indent + 1);
    if (i > 0 && i + 1 == n && !d_.verticals.empty()) d_.verticals.pop_back();
    d_.lineWidth += 3;
    return doc_.recordCells(3);
  }
  if (i == 0) {
    glyph(GBoxH);
    if (n == 1) {
      glyph(GBoxH);
    } else {
      glyph(GBoxHD);
      d_.verticals.push_back(indent + 1);
    }
    glyph(GBoxH);
    return;
  }
  text(" ");
  if (i + 1 == n) {
    glyph(GBoxUR);
    if (!d_.verticals.empty()) d_.verticals.pop_back();
  } else {
    glyph(GBoxVR);
  }
  glyph(GBoxH);
}

uint32_t TreePass::note(const DirNode &node) {
  if (!pad_ || !doc_.recording()) return TextStore::kNone;
  d_.notes.push_back({&node, parentNote_});
  return static_cast<uint32_t>(d_.notes.size() - 1);
}

void TreePass::linkNode(const DirNode &node) {
  const uint32_t ref = note(node);
  const int kind = followedLink(node);
  const bool link = kind != NoLink;
  if (link) doc_.beginSourcedLink(pad_, ref, kind);
  if (link) doc_.beginItalic(pad_);
  name(node.name);
  text(" ");
  glyph(GBoxH);
  glyph(GRArr);
  text(" ");
  name(node.linkText());
  if (node.linkState == LinkInside && node.linkAccess != AccessOk)
    text(d_.tags.unreadable);
  else if (node.linkState == LinkOutside)
    text(d_.tags.outside);
  else if (node.linkState == LinkNotFound)
    text(d_.tags.notFound);
  if (link) {
    doc_.endItalic(pad_);
    doc_.endLink(pad_);
  }
}

// Draws one node at the current position; returns the indent of its
// children, or -1 when it has none to draw.
long TreePass::node(const DirNode &node, long parentIndent) {
  if (node.isLink()) {
    linkNode(node);
    return -1;
  }
  const bool link = node.unreadableState != ReadCannotEnter;
  lastNote_ = note(node);
  long nameWidth;
  if (!pad_) {
    nameWidth = measured(node.name);
  } else if (recordsOnly_) {
    const std::string_view shown = sanitised(node.name, buffer_);
    if (link) {
      nameWidth = static_cast<long>(doc_.textWidth(shown));
      doc_.recordSourcedLink(lastNote_, RefLink, shown, d_.anchorLastComponent(lastNote_),
                             nameWidth);
      d_.lineWidth += nameWidth;
    } else {
      nameWidth = cells(shown);
    }
  } else {
    if (link) doc_.beginSourcedLink(pad_, lastNote_, RefLink);
    nameWidth = name(node.name);
    if (link) doc_.endLink(pad_);
  }
  long indent = parentIndent < 0 ? d_.lineWidth : nameWidth + parentIndent + 3;
  auto tag = [&](const std::string &t) { indent += recordsOnly_ ? cells(t) : text(t); };
  if (node.skipState == SkipAdded)
    tag(d_.tags.added);
  else if (node.skipState != SkipNone)
    tag(d_.tags.skipped);
  if (node.unreadableState != ReadOk) tag(d_.tags.unreadable);
  return node.children.empty() ? -1 : indent;
}

void TreePass::run(const HyperTreeDraw::Place *from, long stopRow) {
  std::vector<Frame> stack;
  size_t r = 0;
  stopRow_ = stopRow;
  if (from) {
    r = from->root;
    stack = from->levels;
    d_.verticals = from->verticals;
    resumed_ = true;
  }
  for (; r < d_.roots->size(); ++r) {
    if (stack.empty()) {
      if ((r > 0 || resumed_) && !nextRow(r, stack)) return;
      const DirNode &root = *(*d_.roots)[r];
      parentNote_ = TextStore::kNone;
      const long indent = node(root, -1);
      if (indent >= 0) stack.push_back({&root.children, 0, indent, lastNote_});
    }
    while (!stack.empty()) {
      Frame &frame = stack.back();
      const size_t n = frame.children->size();
      if (frame.next == n) {
        stack.pop_back();
        continue;
      }
      const size_t i = frame.next;
      if (i > 0) {
        if (!nextRow(r, stack)) return;
        fill(frame.indent);
      }
      ++frame.next;
      const long parentIndent = frame.indent;
      const DirNode &child = *(*frame.children)[i];
      connector(i, n, parentIndent);
      parentNote_ = frame.note;
      const long childIndent = node(child, parentIndent);
      if (childIndent >= 0) stack.push_back({&child.children, 0, childIndent, lastNote_});
    }
  }
  if (d_.lineWidth > 0) endLine();
}

}  // namespace

StateTags::StateTags()
    : unreadable(_(" [unreadable]")),
      skipped(_(" [skipped]")),
      outside(_(" [outside tree]")),
      added(_(" [*]")),
      notFound(_(" [not found]")) {}

std::string lastScanText(int64_t scanTime) {
  const time_t when = static_cast<time_t>(scanTime);
  struct tm local;
  if (!localtime_r(&when, &local)) return "";
  return formatTime(_("%b %e  %H:%M"), local);
}

namespace {
std::string treeTitle(int64_t scanTime) {
  return formatTitle(_("%$ %$   Last scan: %$"),
                     {programName, versionString, lastScanText(scanTime)});
}
}  // namespace

void HyperTreeDraw::draw(HyperDocument &doc, HyperPad *pad) {
  lineCount = widestLine = lineWidth = 0;
  verticals.clear();
  if (!pad || doc.recording()) places.clear();
  if (pad && doc.recording()) {
    notes.clear();
    doc.setLinkSource(this);
  }
  if (pad) {
    doc.beginDraw(pad);
    doc.setTitle(treeTitle(scanTime));
  }
  TreePass(*this, doc, pad).run();
  doc.setSize(static_cast<int>(std::min<long>(lineCount, INT32_MAX)),
              static_cast<int>(std::min<long>(widestLine, INT32_MAX)));
}

// A drawing without a pad, with what the recording steps will need.
void HyperTreeDraw::measure(HyperDocument &doc) {
  notes.clear();
  doc.setLinkSource(this);
  doc.setTitle(treeTitle(scanTime));
  draw(doc, nullptr);
}

bool HyperTreeDraw::recordRows(HyperDocument &doc, HyperPad *pad, long first, long stop) {
  const size_t slice = static_cast<size_t>(first / HyperDocument::kSliceRows);
  lineCount = first;
  lineWidth = 0;
  verticals.clear();
  TreePass pass(*this, doc, pad);
  pass.run(slice == 0 ? nullptr : &places[slice - 1], stop);
  return pass.stopped();
}

bool HyperTreeDraw::drawRows(HyperDocument &doc, HyperPad *pad, long first, long count) {
  const size_t slice = static_cast<size_t>(first / HyperDocument::kSliceRows);
  if (first % HyperDocument::kSliceRows != 0 || slice > places.size()) return false;
  lineCount = first;
  lineWidth = 0;
  verticals.clear();
  doc.beginRows(pad, first);
  TreePass(*this, doc, pad).run(slice == 0 ? nullptr : &places[slice - 1], first + count);
  return true;
}

// Links are named from the notes: a directory's path is its ancestors'
// names joined; a symbolic link leads to its target.
std::string HyperTreeDraw::anchorName(uint32_t ref) const {
  std::vector<const DirNode *> chain;
  for (uint32_t at = ref; at != TextStore::kNone; at = notes[at].parent)
    chain.push_back(notes[at].node);
  std::string path;
  for (auto node = chain.rbegin(); node != chain.rend(); ++node) {
    if (node == chain.rbegin())
      path = (*node)->name;
    else
      appendChild(path, (*node)->name);
  }
  return path;
}

std::string_view HyperTreeDraw::anchorLastComponent(uint32_t ref) const {
  const Note &n = notes[ref];
  return n.parent == TextStore::kNone ? lastComponentOf(n.node->name)
                                      : std::string_view(n.node->name);
}

std::string HyperTreeDraw::target(uint32_t ref) const {
  const DirNode &node = *notes[ref].node;
  if (!node.isLink()) return anchorName(ref);
  return followedLink(node) == JumpLink ? "#" + node.resolvedPath() : node.resolvedPath();
}

std::string_view HyperTreeDraw::targetLastComponent(uint32_t ref,
                                                    std::string &scratch) const {
  const DirNode &node = *notes[ref].node;
  if (!node.isLink()) return anchorLastComponent(ref);
  scratch = target(ref);
  return lastComponentOf(scratch);
}

// The text a pass gathers between the link's start and end.
std::string_view HyperTreeDraw::text(uint32_t ref, std::string &scratch) const {
  const DirNode &node = *notes[ref].node;
  if (!node.isLink()) return sanitised(node.name, scratch);
  std::string linkText;
  scratch = sanitised(node.name, linkText);
  scratch += "  ";
  scratch += sanitised(node.linkText(), linkText);
  if (node.linkState == LinkInside && node.linkAccess != AccessOk)
    scratch += tags.unreadable;
  else if (node.linkState == LinkOutside)
    scratch += tags.outside;
  return scratch;
}

HyperListDraw::HyperListDraw(const std::vector<std::string> &listEntries,
                             int64_t lastScanTime)
    : digits(0), entries(&listEntries), scanTime(lastScanTime) {
  for (size_t n = listEntries.size(); n > 0; n /= 10) ++digits;
}

void HyperListDraw::draw(HyperDocument &doc, HyperPad *pad) {
  // Entries are padded to the widest, in cells.
  std::string buffer;
  widest = 0;
  for (const std::string &entry : *entries)
    widest = std::max(widest, doc.textWidth(sanitised(entry, buffer)));
  const long width = digits + static_cast<long>(widest) + 3;
  if (!pad) {
    doc.setSize(static_cast<int>(entries->size()),
                static_cast<int>(std::min<long>(width, INT32_MAX)));
    return;
  }
  doc.beginDraw(pad);
  doc.setTitle(formatTitle(_("%$ %$   Found: %$   Last scan: %$"),
                           {programName, versionString, std::to_string(entries->size()),
                            lastScanText(scanTime)}));
  for (size_t k = 1; k <= entries->size(); ++k) {
    const std::string &entry = (*entries)[k - 1];
    if (k > 1) doc.addChar(pad, '\n');
    doc.addAnchor(pad, entry);
    doc.beginLink(pad, entry);
    std::string field(static_cast<size_t>(digits) + 2, ' ');
    size_t at = static_cast<size_t>(digits);
    for (size_t n = k; n > 0; n /= 10) field[at--] = static_cast<char>('0' + n % 10);
    doc.addText(pad, field);
    const long shown = doc.addText(pad, sanitised(entry, buffer));
    doc.addSpaces(pad, static_cast<long>(widest) - shown + 1, true);
    doc.endLink(pad);
  }
}
