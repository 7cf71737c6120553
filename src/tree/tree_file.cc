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

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "config/reader.h"
#include "driver/globals.h"
#include "tree/dir_tree.h"

namespace {

const char kMagic[] = "<VOKID#9>";
const unsigned char kSizes[] = {4, 8, 1, 2, 8, 8, 8};
const int32_t kCheckValue = 0x1234;
enum : unsigned char {
  kChildren = 1, kSkipped = 2, kUnreadableShift = 2, kAddedByLookup = 16
};

// --- writing

// Collects the image; with a gzFile it hands the bytes on in large chunks,
// so a big tree is never held twice in memory.
class Encoder {
 public:
  explicit Encoder(gzFile gz = nullptr) : gz_(gz) {}
  void byte(unsigned char value) {
    out_ += static_cast<char>(value);
    if (gz_ && out_.size() >= (1u << 16)) flush();
  }
  template <class T>
  void value(T v) { out_.append(reinterpret_cast<const char *>(&v), sizeof v); }
  // A name cannot hold a NUL; anything after one would break the record.
  void text(const std::string &s) {
    out_.append(s.data(), strnlen(s.data(), s.size()));
    byte('\0');
  }
  void node(const DirNode &node);
  void header();
  std::string &result() { return out_; }
  // Throws ErrorGZIO when zlib takes fewer bytes than given.
  void flush() {
    if (!out_.empty() &&
        gzwrite(gz_, out_.data(), static_cast<unsigned>(out_.size())) !=
            static_cast<int>(out_.size()))
      throw ErrorGZIO();
    out_.clear();
  }

 private:
  gzFile gz_;
  std::string out_;
};

void Encoder::header() {
  for (const char *m = kMagic; *m; ++m) byte(static_cast<unsigned char>(*m));
  for (unsigned char size : kSizes) byte(size);
  value<int32_t>(kCheckValue);
  value<int64_t>(dirTree.lastScanTime);
  byte('H');
  byte('P');
}

void Encoder::node(const DirNode &node) {
  if (!node.linkText().empty()) {
    byte('L');
    text(node.linkText());
    value<uint16_t>(node.entryMode);
    text(node.resolvedPath());
    byte(node.linkState);
    byte(node.linkAccess);
  } else {
    unsigned char flags = static_cast<unsigned char>(
        (node.children.empty() ? 0 : kChildren) |
        (node.skipState == SkipSkipped ? kSkipped : 0) |
        ((node.unreadableState & 3) << kUnreadableShift) |
        (node.skipState == SkipAdded ? kAddedByLookup : 0));
    byte('D');
    byte(flags);
  }
  text(node.name);
  value<uint16_t>(node.targetMode);
  value<int64_t>(node.modifyTime);
  value<int64_t>(node.changeTime);
}

// Pre-order walk with an explicit stack: the tree may be deeper than the
// call stack allows.
void encodeList(Encoder &out, const DirNodeList &roots) {
  struct Frame {
    const DirNodeList *list;
    size_t next;
  };
  std::vector<Frame> stack{{&roots, 0}};
  while (!stack.empty()) {
    Frame &top = stack.back();
    if (top.next == top.list->size()) {
      out.byte('E');
      stack.pop_back();
      continue;
    }
    const DirNode &node = *(*top.list)[top.next++];
    out.node(node);
    if (node.linkText().empty() && !node.children.empty())
      stack.push_back({&node.children, 0});
  }
}

bool writeCompressed(int fd) {
  int copy = dup(fd);
  if (copy < 0) return false;
  // The fastest level: a scan of a big tree spends less time compressing,
  // for a file about a quarter larger; readers see the same gzip stream.
  gzFile gz = gzdopen(copy, "wb1");
  if (!gz) {
    close(copy);
    return false;
  }
  bool ok = true;
  try {
    Encoder out(gz);
    out.header();
    encodeList(out, dirTree.rootList);
    out.flush();
  } catch (const ErrorGZIO &) {
    ok = false;
  } catch (...) {
    gzclose(gz);
    throw;
  }
  // A full disk often shows only when the last block is flushed here.
  return gzclose(gz) == Z_OK && ok;
}

// --- reading

class Decoder {
 public:
  explicit Decoder(const std::string &image) : data_(image) {}
  unsigned char byte() {
    if (at_ >= data_.size()) throw ErrorGZIO();
    return static_cast<unsigned char>(data_[at_++]);
  }
  template <class T>
  T value() {
    T v;
    if (data_.size() - at_ < sizeof v) throw ErrorGZIO();
    memcpy(&v, data_.data() + at_, sizeof v);
    at_ += sizeof v;
    return v;
  }
  std::string text() {
    size_t end = data_.find('\0', at_);
    if (end == std::string::npos) throw ErrorGZIO();
    std::string s = data_.substr(at_, end - at_);
    at_ = end + 1;
    return s;
  }
  void header();
  DirNodeRef node(unsigned char kind, bool &hasChildren);

 private:
  const std::string &data_;
  size_t at_ = 0;
};

void Decoder::header() {
  for (const char *m = kMagic; *m; ++m)
    if (byte() != static_cast<unsigned char>(*m)) throw ErrorBadFileFormat();
  for (unsigned char size : kSizes)
    if (byte() != size) throw ErrorBadFileFormat();
  if (value<int32_t>() != kCheckValue) throw ErrorBadFileFormat();
  dirTree.lastScanTime = value<int64_t>();
  if (byte() != 'H' || byte() != 'P') throw ErrorBadFileFormat();
}

DirNodeRef Decoder::node(unsigned char kind, bool &hasChildren) {
  DirNodeRef node = newDirNode();
  hasChildren = false;
  if (kind == 'L') {
    node->setLinkText(text());
    node->entryMode = value<uint16_t>();
    node->setResolvedPath(text());
    node->linkState = byte();
    node->linkAccess = byte();
  } else {
    unsigned char flags = byte();
    hasChildren = flags & kChildren;
    node->skipState = (flags & kSkipped)         ? SkipSkipped
                      : (flags & kAddedByLookup) ? SkipAdded
                                                 : SkipNone;
    node->unreadableState = (flags >> kUnreadableShift) & 3;
  }
  node->name = text();
  node->targetMode = value<uint16_t>();
  node->modifyTime = value<int64_t>();
  node->changeTime = value<int64_t>();
  if (kind == 'D') node->entryMode = node->targetMode;
  return node;
}

[[noreturn]] void badRecord() {
  throw ErrorGenericFile(_("error in saved directory file\nPlease rebuild it using `vok -rf'"));
}

// A root is named by its absolute path, every other node by one component:
// the scans open children by name, and a name such as "..", "a/b" or ""
// would lead them somewhere else than the tree says.
bool validName(const std::string &name, bool root) {
  if (root) return !name.empty() && name[0] == '/';
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string::npos;
}

void decodeRecords(Decoder &in) {
  dirTree.rootList.clear();
  std::vector<DirNodeList *> stack{&dirTree.rootList};
  while (!stack.empty()) {
    unsigned char kind = in.byte();
    if (kind == 'E') {
      stack.pop_back();
      continue;
    }
    if (kind != 'D' && kind != 'L') badRecord();
    bool hasChildren;
    DirNodeRef node = in.node(kind, hasChildren);
    if (!validName(node->name, stack.size() == 1)) badRecord();
    stack.back()->push_back(node);
    if (hasChildren) stack.push_back(&node->children);
  }
}

// The whole uncompressed stream of a file, or throws ErrorGZIO. zlib passes
// a file that is not compressed through unchanged.
std::string readCompressed(gzFile gz) {
  std::string image;
  std::vector<char> chunk(1 << 16);
  for (;;) {
    int got = gzread(gz, chunk.data(), static_cast<unsigned>(chunk.size()));
    if (got < 0) throw ErrorGZIO();
    if (got == 0) break;
    image.append(chunk.data(), static_cast<size_t>(got));
  }
  int error;
  gzerror(gz, &error);
  if (error != Z_OK && error != Z_BUF_ERROR) throw ErrorGZIO();
  return image;
}

struct GzReader {
  gzFile gz = nullptr;
  ~GzReader() { if (gz) gzclose(gz); }
  bool open(const std::string &name) {
    if (gz) gzclose(gz);
    gz = gzopen(name.c_str(), "rb");
    return gz != nullptr;
  }
};

}  // namespace

std::string encodeTree() {
  Encoder out;
  out.header();
  encodeList(out, dirTree.rootList);
  return std::move(out.result());
}

void decodeTree(const std::string &image) {
  Decoder in(image);
  in.header();
  decodeRecords(in);
}

void saveTree() {
  SafeFileWriter file(treeFile);
  if (!file.ok()) throw ErrorGenericFile(_("cannot create file %$"), treeFile);
  if (!writeCompressed(file.fd()) || !file.commit())
    throw ErrorGenericFile(_("error writing file %$"), treeFile);
}

TreeFileState readTreeFile() {
  struct stat status;  // st_size is 64 bits: a big file is never "empty"
  if (stat(treeFile.c_str(), &status) != 0) return TreeFileState::Missing;
  GzReader reader;
  if (status.st_size < 1 || !reader.open(treeFile)) return TreeFileState::Empty;
  try {
    const std::string image = readCompressed(reader.gz);
    try {
      Decoder(image).header();
    } catch (const ErrorBadFileFormat &) {
      return TreeFileState::Incompatible;
    }
    decodeTree(image);
  } catch (const ErrorBadFileFormat &) {
    throw ErrorGenericFile(_("invalid file format in %$"), treeFile);
  } catch (const ErrorGZIO &) {
    throw ErrorGenericFile(_("error reading file %$"), treeFile);
  }
  return TreeFileState::Loaded;
}
