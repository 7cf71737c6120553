// Reading the system-wide and per-user configuration files into the profile
// table, and activating the selected profile.
#ifndef VOK_CONFIG_READER_H
#define VOK_CONFIG_READER_H

#include <cstdio>
#include <map>
#include <string>

#include "base/buffer.h"
#include "config/profile.h"

using ProfileTable = std::map<std::string, ProfileConfig>;  // bytewise order

extern ProfileTable profileTable;
extern ProfileConfig activeConfig;
extern const ProfileConfig builtinDefaults;
// The profile that commands are stored into while a file is read.
extern std::string currentSection;
// Derived from the active configuration once loading is done.
extern bool noGraphicChars;
extern bool noScrollBars;
extern uint32_t mouseScrollRate;

// The system-wide file; fixed for the shipped program.
extern const char *const systemConfigFile;

// Loads both files once per run; later calls return at once. With quiet
// clear, one "loading configuration" line is printed per file read.
void loadConfiguration(bool quiet);

// Reads one file into the profile table. A file that cannot be opened is
// skipped silently. With strict set the file must be a regular file with
// one link that did not change between lookup and open (ErrorGenericFile).
void readConfigFile(const std::string &name, bool quiet, bool strict);

// Reads one logical line into line (comments removed, tabs made spaces, CRs
// dropped). Returns 0 at a newline and -1 at the end of the file.
int readConfigLine(FILE *file, Buffer &line);

// Echoes a rejected line on standard error, non-printable bytes as '.'.
void printIgnoredLine(const char *line, size_t length);

// Reports a value error of a command and throws ErrorSyntaxIgnored.
[[noreturn]] void reportCommandError(const char *message, const char *command,
                                     const char *line, size_t length);

// The profile of the current section, created with the defaults if missing.
ProfileConfig &sectionProfile();

#endif
