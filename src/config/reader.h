// Reading the system-wide and per-user configuration files into the profile
// table, and activating the selected profile.
#ifndef VOK_CONFIG_READER_H
#define VOK_CONFIG_READER_H

#include <cstdio>
#include <map>
#include <string>

#include "base/buffer.h"
#include "base/file_system.h"
#include "base/run_names.h"
#include "config/profile.h"

using ProfileTable = std::map<std::string, ProfileConfig>;  // bytewise order

// The configuration of a run, loaded on demand at most once.
struct Configuration {
  ProfileTable profiles;  // "*" and every profile the files name
  ProfileConfig active;   // the selected profile's settings
  bool loaded = false;
};

// The system-wide file; fixed for the shipped program.
extern const char *const systemConfigFile;

// Loads both files and activates names.selectedProfile (which is added to
// the table when the files lack it); later calls return at once. With quiet
// clear, one "loading configuration" line is printed per file read.
void loadConfiguration(Configuration &config, const RunNames &names, bool quiet);

// Reads configuration files into a profile table; the command kinds store
// their values through it.
class ConfigReader {
 public:
  // The table must hold "*". The directories the files name are resolved
  // through the file system.
  ConfigReader(ProfileTable &profiles, FileSystem &fs);

  // A file that cannot be opened is skipped silently. With strict set the
  // file must be a regular file with one link that did not change between
  // lookup and open (ErrorGenericFile). An unknown command throws
  // ErrorGenericSyntax; bad values and headers are reported and skipped.
  void readFile(const std::string &name, bool quiet, bool strict);

  // The profile of the current section, created with the defaults if missing.
  ProfileConfig &sectionProfile();
  FileSystem &fileSystem() const { return fs_; }

 private:
  bool readSectionHeader(const char *line, size_t open, size_t length);
  bool readCommandLine(const char *line, size_t at, size_t length);

  ProfileTable &profiles_;
  std::string section_ = "*";
  FileSystem &fs_;
};

// Reads one logical line into line (comments removed, tabs made spaces, CRs
// dropped). Returns 0 at a newline and -1 at the end of the file.
int readConfigLine(FILE *file, Buffer &line);

// Echoes a rejected line on standard error, non-printable bytes as '.'.
void printIgnoredLine(const char *line, size_t length);

// Reports a value error of a command and throws ErrorSyntaxIgnored.
[[noreturn]] void reportCommandError(const char *message, const char *command,
                                     const char *line, size_t length);

#endif
