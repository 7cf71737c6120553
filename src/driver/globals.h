// Process-wide names and settings derived once at start-up by the driver and
// read by the rest of the program.
#ifndef VOK_DRIVER_GLOBALS_H
#define VOK_DRIVER_GLOBALS_H

#include <string>

extern std::string selectedProfile;  // "vok" unless -p NAME
extern std::string currentDir;       // "" when it cannot be determined
extern std::string homeDir;          // always ends in '/'
extern std::string newDirFile;
extern std::string configFile;
extern bool configFileStrict;  // configFile came from VOK_CONFIG
extern std::string treeFile;
extern std::string bookmarkFile;

#endif
