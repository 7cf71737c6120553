#include "driver/globals.h"

std::string selectedProfile = "vok";
std::string currentDir;
std::string homeDir;
std::string newDirFile;
std::string configFile;
bool configFileStrict = false;
std::string treeFile;
std::string bookmarkFile;
