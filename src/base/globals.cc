#include "base/globals.h"

#include <cstdio>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"

std::string selectedProfile = "vok";
std::string currentDir;
std::string homeDir;
std::string newDirFile;
std::string configFile;
bool configFileStrict = false;
std::string treeFile;
std::string bookmarkFile;

void writeNewDirFile(const std::string &path) {
  FILE *file = sys::fopen(newDirFile, "wb");
  if (!file) throw ErrorGenericFile(_("cannot create file %$"), newDirFile);
  bool written = sys::fputs(path, file) >= 0;
  // The shell acts on whatever the file holds: a short write, or an old
  // answer left behind by a "." that never reached the disk, must not pass.
  if (fclose(file) != 0 || !written)
    throw ErrorGenericFile(_("cannot create file %$"), newDirFile);
}
