// The saved tree file: the whole DirTree as one gzip stream.
#ifndef VOK_TREE_TREE_FILE_H
#define VOK_TREE_TREE_FILE_H

#include <string>

// Writes dirTree to treeFile. The new file is written beside the old one and
// renamed over it only when complete, so a failure leaves the old file.
// Throws ErrorGenericFile ("cannot create file %$", "error writing file %$").
void saveTree();

enum class TreeFileState { Loaded, Missing, Empty, Incompatible };
// Replaces dirTree with the file's contents when it can be read; says why
// not when it is missing, empty or of another format. Damaged records and
// read failures throw ErrorGenericFile.
TreeFileState readTreeFile();

// The byte image saveTree writes, for tests and for the writer itself.
std::string encodeTree();
// Parses an image into dirTree; throws ErrorBadFileFormat for a bad header,
// ErrorGZIO when the data ends early, ErrorGenericFile for a bad record.
void decodeTree(const std::string &image);

#endif
