// The names a run derives at start-up, before any file is read: the
// profile, the current and home directories and the data files. The driver
// fills them once; everything else reads them from the run it is handed.
#ifndef VOK_BASE_RUN_NAMES_H
#define VOK_BASE_RUN_NAMES_H

#include <string>

struct RunNames {
  std::string selectedProfile = "vok";  // -p NAME
  std::string currentDir;               // "" when it cannot be determined
  std::string homeDir;                  // always ends in '/'
  std::string newDirFile;
  std::string configFile;
  bool configFileStrict = false;  // configFile came from VOK_CONFIG
  // Known once the profile is: setupFileNames derives them.
  std::string treeFile;
  std::string bookmarkFile;
};

#endif
