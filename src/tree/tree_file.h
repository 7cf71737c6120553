// The saved tree file: a whole DirTree as one gzip stream.
#ifndef VOK_TREE_TREE_FILE_H
#define VOK_TREE_TREE_FILE_H

#include <string>

#include "tree/dir_tree.h"

// Writes the tree to file. The new file is written beside the old one and
// renamed over it only when complete, so a failure leaves the old file.
// Throws ErrorGenericFile ("cannot create file %$", "error writing file %$").
void saveTree(const std::string &file, const DirTree &tree);

enum class TreeFileState { Loaded, Missing, Empty, Incompatible };
// Replaces the tree's roots and scan time with the file's contents when it
// can be read; says why not when it is missing, empty or of another format.
// Damaged records and read failures throw ErrorGenericFile.
TreeFileState readTreeFile(const std::string &file, DirTree &tree);

// One record of the file as it is read, for readers that build no tree.
struct TreeRecord {
  bool link = false;  // a symbolic link, whose texts follow
  bool hasChildren = false;
  std::string name, linkText, resolvedPath;
  uint16_t entryMode = 0, targetMode = 0;
  int64_t modifyTime = 0, changeTime = 0;
  uint8_t linkState = 0, linkAccess = 0;
  SkipState skipState = SkipNone;
  uint8_t unreadableState = ReadOk;
};
class TreeRecordVisitor {
 public:
  virtual ~TreeRecordVisitor() = default;
  // Each record in file order, parents before children; depth 0 is a root.
  virtual void record(const TreeRecord &record, size_t depth) = 0;
  // The list of children at this depth (the roots at 0) has ended.
  virtual void end(size_t) {}
};
// readTreeFile's reading without the tree: the records go to the visitor
// as they arrive (the same checks, states and errors); the scan time is
// set when the header was read.
TreeFileState streamTreeFile(const std::string &file, int64_t &lastScanTime,
                             TreeRecordVisitor &visitor);

// The byte image saveTree compresses, for tests.
std::string encodeTree(const DirTree &tree);
// Parses an image into the tree; throws ErrorBadFileFormat for a bad header,
// ErrorGZIO when the data ends early, ErrorGenericFile for a bad record.
void decodeTree(const std::string &image, DirTree &tree);

#endif
