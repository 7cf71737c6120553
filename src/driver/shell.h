// Shell integration: the profile list and the alias or function lines that
// make each profile a command of the user's shell.
#ifndef VOK_DRIVER_SHELL_H
#define VOK_DRIVER_SHELL_H

#include "config/reader.h"

enum class ShellKind { Alias, CshAlias, Function };
// The shells whose builtins and keywords no profile's command may hide.
enum class ShellFamily { Bourne, Csh, Fish };
ShellFamily familyOf(ShellKind kind);

// Where this build installs vokscr (PREFIX/bin unless the build chose) and
// the fish completion.
extern const char *const scriptDirectory;
extern const char *const fishCompletionDirectory;

void printProfiles(const ProfileTable &profiles);
// dir is the directory of vokscr as typed (quoted where the shell needs
// it), or nullptr for the one this build installs it in. A profile named
// like a builtin or keyword of the shell gets no line, and a message.
void printAliasLines(const ProfileTable &profiles, ShellKind kind, const char *dir);
// fish cannot source vokscr: one function per profile does its work, for
// "vok -ifish | source".
void printFishFunctions(const ProfileTable &profiles);

#endif
