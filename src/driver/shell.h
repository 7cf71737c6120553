// Shell integration: the profile list and the alias or function lines that
// make each profile a command of the user's shell.
#ifndef VOK_DRIVER_SHELL_H
#define VOK_DRIVER_SHELL_H

#include "config/reader.h"

enum class ShellKind { Alias, CshAlias, Function };

// Where this build installs vokscr (PREFIX/bin unless the build chose).
extern const char *const scriptDirectory;

void printProfiles(const ProfileTable &profiles);
// dir is the directory of vokscr exactly as typed, or nullptr for the one
// this build installs it in.
void printAliasLines(const ProfileTable &profiles, ShellKind kind, const char *dir);
// fish cannot source vokscr: one function per profile does its work, for
// "vok -ifish | source".
void printFishFunctions(const ProfileTable &profiles);

#endif
