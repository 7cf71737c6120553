// The configuration command table: each command's name, the kind of value
// it takes and the ProfileConfig field it sets.
#ifndef VOK_CONFIG_COMMANDS_H
#define VOK_CONFIG_COMMANDS_H

#include <cstddef>
#include <cstdint>

#include "config/profile.h"

struct ConfigCommand;
class ConfigReader;

// The line being parsed, for the value parsers' error reports.
struct CommandLine {
  const char *name;  // as spelled in the table
  const char *line;
  size_t length;
  // Reports the (untranslated) message as a value error and throws.
  [[noreturn]] void fail(const char *message) const;
  // The position after '=' and the blanks around it; "`=' required" if none.
  size_t valueStart(size_t from) const;
};

// Stores the value of the line (which starts after the name at `from`) into
// the reader's current section, or reports the error through
// reportCommandError, which throws ErrorSyntaxIgnored and stores nothing.
using ParseFn = void (*)(ConfigReader &reader, const CommandLine &command, size_t from,
                         const ConfigCommand &target);
// Writes "Name: value" of the profile to standard output.
using PrintFn = void (*)(const ProfileConfig &profile, const ConfigCommand &command);

struct ConfigValueType {
  ParseFn parse;
  PrintFn print;  // null for the Clear commands
};

// The field a command targets; which member is used depends on the kind.
struct ConfigTarget {
  bool ProfileConfig::*flag = nullptr;
  int32_t ProfileConfig::*integer = nullptr;
  uint32_t ProfileConfig::*number = nullptr;
  int slot = -1;
  DirList ProfileConfig::*dirs = nullptr;
  MountDirList ProfileConfig::*mounts = nullptr;
};

struct ConfigCommand {
  const char *name;
  const ConfigValueType *type;
  ConfigTarget target;
  bool isAttribute;  // shown by --configattr rather than --config
};

extern const ConfigCommand configCommands[];
extern const size_t configCommandCount;

// Reads "yes" or "no" (any case) at `at` and moves past it; reports "only YES
// or NO is allowed" otherwise.
bool parseYesNo(const CommandLine &command, size_t &at);

// Value kinds of the directory lists (defined with the lists).
extern const ConfigValueType skipEntryType, dirEntryType, clearType, mountEntryType,
    clearMountType;

#endif
