// The saved tree file, one gzip stream in the writer's byte order:
//
//   header   "<VOKID#9>" 04 08 01 02 08 08 08, int32 0x1234, int64 lastScanTime,
//            'H' 'P'
//   records  one per root, in rootList order, then 'E'
//   'D' flags name\0 uint16 targetMode int64 mtime int64 ctime [children.. 'E']
//   'L' linkText\0 uint16 entryMode resolvedPath\0 linkState linkAccess
//       name\0 uint16 targetMode int64 mtime int64 ctime
//
// Directory flags: bit 0 children follow, bit 1 skipped, bits 2-3 the
// unreadable state. Bit 4 records a node added by a lookup and never scanned
// (skipState SkipAdded), so that it is still re-read by the next smart scan
// after a reload; it leaves the other bits alone, and readers that ignore it
// see an ordinary directory. A bad header means "another version": the tree
// is rebuilt. A bad record byte, a root whose name is not an absolute path,
// another name that is not a single component (empty, ".", ".." or holding
// a '/'), or data that ends early is an error, since zlib itself reports
// neither a truncated stream nor a plain file.
//
// Saving writes a temporary file in the same directory, checks every write
// and the final close, syncs it and renames it over the old file, so an
// interrupted save never destroys the only copy of the tree.
#include "tree/tree_file.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "base/byte_codec.h"
#include "base/errors.h"
#include "base/message.h"
#include "base/safe_file.h"

namespace {

const char kMagic[] = "<VOKID#9>";
const unsigned char kSizes[] = {4, 8, 1, 2, 8, 8, 8};
const int32_t kCheckValue = 0x1234;
enum : unsigned char {
  kChildren = 1,
  kSkipped = 2,
  kUnreadableShift = 2,
  kAddedByLookup = 16
};

// --- writing

void writeHeader(ByteWriter &out, int64_t lastScanTime) {
  for (const char *m = kMagic; *m; ++m) out.byte(static_cast<unsigned char>(*m));
  for (unsigned char size : kSizes) out.byte(size);
  out.value<int32_t>(kCheckValue);
  out.value<int64_t>(lastScanTime);
  out.byte('H');
  out.byte('P');
}

void writeNode(ByteWriter &out, const DirNode &node) {
  if (!node.linkText().empty()) {
    out.byte('L');
    out.text(node.linkText());
    out.value<uint16_t>(node.entryMode);
    out.text(node.resolvedPath());
    out.byte(node.linkState);
    out.byte(node.linkAccess);
  } else {
    unsigned char flags =
        static_cast<unsigned char>((node.children.empty() ? 0 : kChildren) |
                                   (node.skipState == SkipSkipped ? kSkipped : 0) |
                                   ((node.unreadableState & 3) << kUnreadableShift) |
                                   (node.skipState == SkipAdded ? kAddedByLookup : 0));
    out.byte('D');
    out.byte(flags);
  }
  out.text(node.name);
  out.value<uint16_t>(node.targetMode);
  out.value<int64_t>(node.modifyTime);
  out.value<int64_t>(node.changeTime);
}

// Pre-order walk with an explicit stack: the tree may be deeper than the
// call stack allows.
void writeTree(ByteWriter &out, const DirTree &tree) {
  writeHeader(out, tree.lastScanTime);
  struct Frame {
    const DirNodeList *list;
    size_t next;
  };
  std::vector<Frame> stack{{&tree.rootList, 0}};
  while (!stack.empty()) {
    Frame &top = stack.back();
    if (top.next == top.list->size()) {
      out.byte('E');
      stack.pop_back();
      continue;
    }
    const DirNode &node = *(*top.list)[top.next++];
    writeNode(out, node);
    if (node.linkText().empty() && !node.children.empty())
      stack.push_back({&node.children, 0});
  }
}

bool writeCompressed(int fd, const DirTree &tree) {
  try {
    GzipWriter sink(fd);
    ByteWriter out(&sink);
    writeTree(out, tree);
    out.flush();
    sink.finish();
  } catch (const ErrorGZIO &) {
    return false;
  }
  return true;
}

// --- reading

void readHeader(ByteReader &in, DirTree &tree) {
  for (const char *m = kMagic; *m; ++m)
    if (in.byte() != static_cast<unsigned char>(*m)) throw ErrorBadFileFormat();
  for (unsigned char size : kSizes)
    if (in.byte() != size) throw ErrorBadFileFormat();
  if (in.value<int32_t>() != kCheckValue) throw ErrorBadFileFormat();
  tree.lastScanTime = in.value<int64_t>();
  if (in.byte() != 'H' || in.byte() != 'P') throw ErrorBadFileFormat();
}

void readRecord(ByteReader &in, unsigned char kind, TreeRecord &record) {
  record.link = kind == 'L';
  record.hasChildren = false;
  if (record.link) {
    in.text(record.linkText);
    record.entryMode = in.value<uint16_t>();
    in.text(record.resolvedPath);
    record.linkState = in.byte();
    record.linkAccess = in.byte();
    record.skipState = SkipNone;
    record.unreadableState = ReadOk;
  } else {
    const unsigned char flags = in.byte();
    record.hasChildren = flags & kChildren;
    record.skipState = (flags & kSkipped)         ? SkipSkipped
                       : (flags & kAddedByLookup) ? SkipAdded
                                                  : SkipNone;
    record.unreadableState = (flags >> kUnreadableShift) & 3;
  }
  in.text(record.name);
  record.targetMode = in.value<uint16_t>();
  record.modifyTime = in.value<int64_t>();
  record.changeTime = in.value<int64_t>();
  if (!record.link) record.entryMode = record.targetMode;
}

// The node of a record, which gives up its texts.
DirNodeRef nodeOf(TreeRecord &record) {
  DirNodeRef node = newDirNode();
  if (record.link) {
    node->setLinkText(std::move(record.linkText));
    node->setResolvedPath(std::move(record.resolvedPath));
    node->linkState = record.linkState;
    node->linkAccess = record.linkAccess;
  }
  node->skipState = record.skipState;
  node->unreadableState = record.unreadableState;
  node->name = std::move(record.name);
  node->entryMode = record.entryMode;
  node->targetMode = record.targetMode;
  node->modifyTime = record.modifyTime;
  node->changeTime = record.changeTime;
  return node;
}

[[noreturn]] void badRecord() {
  throw ErrorGenericFile(
      _("error in saved directory file\nPlease rebuild it using `vok -rf'"));
}

// A root is named by its absolute path, every other node by one component:
// the scans open children by name, and a name such as "..", "a/b" or ""
// would lead them somewhere else than the tree says.
bool validName(const std::string &name, bool root) {
  if (root) return !name.empty() && name[0] == '/';
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string::npos;
}

// Every record in file order, checked, with its depth (0 for roots); a
// level's 'E' is passed on as end(depth) before the depth goes back up.
template <class Sink>
void readRecords(ByteReader &in, Sink &sink) {
  TreeRecord record;
  size_t depth = 0;
  for (;;) {
    const unsigned char kind = in.byte();
    if (kind == 'E') {
      sink.end(depth);
      if (depth-- == 0) return;
      continue;
    }
    if (kind != 'D' && kind != 'L') badRecord();
    readRecord(in, kind, record);
    if (!validName(record.name, depth == 0)) badRecord();
    sink.record(record, depth);
    if (record.hasChildren) ++depth;
  }
}

// Children are collected per level and moved into a list of their exact
// size when the level ends, so no list grows by copying.
class NodeBuilder {
 public:
  explicit NodeBuilder(DirNodeList &roots)
      : roots_(roots), pending_(1), parents_{nullptr} {
    roots.clear();
  }
  void record(TreeRecord &record, size_t depth) {
    DirNodeRef node = nodeOf(record);
    DirNode *parent = record.hasChildren ? node.get() : nullptr;
    pending_[depth].push_back(std::move(node));
    if (!parent) return;
    if (depth + 1 == pending_.size()) {
      pending_.emplace_back();
      parents_.push_back(nullptr);
    }
    parents_[depth + 1] = parent;
  }
  void end(size_t depth) {
    DirNodeList &level = pending_[depth];
    DirNodeList &into = parents_[depth] ? parents_[depth]->children : roots_;
    // Copied out at its exact size; the level's own storage is kept for
    // the next run of siblings at this depth.
    into.clear();
    into.reserve(level.size());
    for (DirNodeRef &node : level) into.push_back(std::move(node));
    level.clear();
  }

 private:
  DirNodeList &roots_;
  std::vector<DirNodeList> pending_;
  std::vector<DirNode *> parents_;
};

// Passes the records on to a visitor.
struct VisitorSink {
  TreeRecordVisitor &visitor;
  void record(const TreeRecord &record, size_t depth) { visitor.record(record, depth); }
  void end(size_t depth) { visitor.end(depth); }
};

// Opens the file and reads its header: Loaded when the records follow.
TreeFileState openTreeFile(const std::string &file, GzipFileSource &source,
                           std::unique_ptr<ByteReader> &in, int64_t &lastScanTime) {
  struct stat status;  // st_size is 64 bits: a big file is never "empty"
  if (stat(file.c_str(), &status) != 0) return TreeFileState::Missing;
  if (status.st_size < 1 || !source.open(file)) return TreeFileState::Empty;
  in = std::make_unique<ByteReader>(source);
  try {
    DirTree header;
    readHeader(*in, header);
    lastScanTime = header.lastScanTime;
  } catch (const ErrorBadFileFormat &) {
    return TreeFileState::Incompatible;
  } catch (const ErrorGZIO &) {
    // A header cut short is damage, not another version: the file is
    // reported and kept, as the same damage after the header is.
    throw ErrorGenericFile(_("error reading file %$"), file);
  }
  return TreeFileState::Loaded;
}

// Reads the records of an opened file to its end; read failures and bad
// records throw ErrorGenericFile.
template <class Sink>
void readBody(const std::string &file, GzipFileSource &source, ByteReader &in,
              Sink &sink) {
  try {
    readRecords(in, sink);
    source.finish();
  } catch (const ErrorBadFileFormat &) {
    throw ErrorGenericFile(_("invalid file format in %$"), file);
  } catch (const ErrorGZIO &) {
    throw ErrorGenericFile(_("error reading file %$"), file);
  }
}

}  // namespace

std::string encodeTree(const DirTree &tree) {
  ByteWriter out;
  writeTree(out, tree);
  return std::move(out.result());
}

void decodeTree(const std::string &image, DirTree &tree) {
  MemorySource source(image);
  ByteReader in(source);
  readHeader(in, tree);
  NodeBuilder builder(tree.rootList);
  readRecords(in, builder);
}

void saveTree(const std::string &file, const DirTree &tree) {
  SafeFileWriter out(file);
  if (!out.ok()) throw ErrorGenericFile(_("cannot create file %$"), file);
  if (!writeCompressed(out.fd(), tree) || !out.commit())
    throw ErrorGenericFile(_("error writing file %$"), file);
}

TreeFileState readTreeFile(const std::string &file, DirTree &tree) {
  GzipFileSource source;
  std::unique_ptr<ByteReader> in;
  int64_t lastScanTime = 0;
  const TreeFileState state = openTreeFile(file, source, in, lastScanTime);
  if (state != TreeFileState::Loaded) return state;
  tree.lastScanTime = lastScanTime;
  NodeBuilder builder(tree.rootList);
  readBody(file, source, *in, builder);
  return TreeFileState::Loaded;
}

TreeFileState streamTreeFile(const std::string &file, int64_t &lastScanTime,
                             TreeRecordVisitor &visitor) {
  GzipFileSource source;
  std::unique_ptr<ByteReader> in;
  const TreeFileState state = openTreeFile(file, source, in, lastScanTime);
  if (state != TreeFileState::Loaded) return state;
  VisitorSink sink{visitor};
  readBody(file, source, *in, sink);
  return TreeFileState::Loaded;
}
