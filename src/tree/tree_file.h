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

// The byte image saveTree compresses, for tests.
std::string encodeTree(const DirTree &tree);
// Parses an image into the tree; throws ErrorBadFileFormat for a bad header,
// ErrorGZIO when the data ends early, ErrorGenericFile for a bad record.
void decodeTree(const std::string &image, DirTree &tree);

#endif
