// Shell integration: the profile list and the alias or function lines that
// make each profile a command of the user's shell.
#ifndef VOK_DRIVER_SHELL_H
#define VOK_DRIVER_SHELL_H

#include "config/reader.h"

enum class ShellKind { Alias, CshAlias, Function };

void printProfiles(const ProfileTable &profiles);
// dir is the directory of vokscr exactly as typed, or nullptr for /usr/bin.
void printAliasLines(const ProfileTable &profiles, ShellKind kind, const char *dir);

#endif
