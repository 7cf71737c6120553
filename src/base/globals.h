// Process-wide names and settings derived once at start-up by the driver and
// read by the rest of the program, and the one writer of the file through
// which the chosen directory reaches the shell.
#ifndef VOK_BASE_GLOBALS_H
#define VOK_BASE_GLOBALS_H

#include <string>

extern std::string selectedProfile;  // "vok" unless -p NAME
extern std::string currentDir;       // "" when it cannot be determined
extern std::string homeDir;          // always ends in '/'
extern std::string newDirFile;
extern std::string configFile;
extern bool configFileStrict;  // configFile came from VOK_CONFIG
extern std::string treeFile;
extern std::string bookmarkFile;

// Replaces the new-directory file's contents with path (no line feed): "."
// at start-up, the chosen directory later. Throws ErrorGenericFile "cannot
// create file %$" when it cannot be opened, written or closed.
void writeNewDirFile(const std::string &path);

#endif
