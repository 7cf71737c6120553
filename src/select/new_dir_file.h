// The file through which the chosen directory reaches the shell.
#ifndef VOK_SELECT_NEW_DIR_FILE_H
#define VOK_SELECT_NEW_DIR_FILE_H

#include <string>

// Replaces the file's contents with path (no line feed): "." at start-up,
// the chosen directory later. Throws ErrorGenericFile "cannot create file
// %$" when it cannot be opened, written or closed.
void writeNewDirFile(const std::string &file, const std::string &path);

#endif
