#include "driver/shell.h"

#include <iostream>
#include <string>

#include "base/message.h"
#include "config/reader.h"
#include "driver/info.h"

void printProfiles(const ProfileTable &profiles) {
  printBanner();
  std::cout << _("Profiles:\n");
  for (const auto &profile : profiles) std::cout << "     " << profile.first << '\n';
  std::cout << '\n';
}

void printAliasLines(const ProfileTable &profiles, ShellKind kind, const char *dir) {
  const std::string script = std::string(dir ? dir : scriptDirectory) + "/vokscr";
  for (const auto &profile : profiles) {
    const std::string &p = profile.first;
    if (p == "*") continue;
    switch (kind) {
      case ShellKind::Alias:
        std::cout << "alias " << p << "='. " << script << " -p " << p << "';\n";
        break;
      case ShellKind::CshAlias:
        std::cout << "alias " << p << " 'source " << script << " -p " << p << "';\n";
        break;
      case ShellKind::Function:
        std::cout << p << " () { . " << script << " -p " << p << " \"$@\" ; };\n";
        break;
    }
  }
}

// What vokscr does, in fish: a new-directory file of the run's own unless
// the user named one, the program run by `env' (never this function), the
// answer read whole (a name may end in a line feed) and the program's exit
// status returned. Profile names are words, safe in the text as they are.
void printFishFunctions(const ProfileTable &profiles) {
  for (const auto &profile : profiles) {
    const std::string &p = profile.first;
    if (p == "*") continue;
    std::cout << "function " << p << (p == "vok" ? "" : " --wraps vok")
              << " --description 'vok, profile " << p << "'\n"
              << "    set -l vok_file \"$VOK_TEMP\"\n"
                 "    set -l vok_own 0\n"
                 "    if test -z \"$vok_file\"\n"
                 "        set vok_file (mktemp -t vok.XXXXXXXXXX); or return 1\n"
                 "        set vok_own 1\n"
                 "    end\n"
              << "    env VOK_TEMP=$vok_file vok -p " << p << " $argv\n"
              << "    set -l vok_status $status\n"
                 "    set -l vok_dir (string collect -N < $vok_file)\n"
                 "    test $vok_own = 1; and rm -f -- $vok_file\n"
                 "    if test -n \"$vok_dir\"; and test \"$vok_dir\" != .\n"
                 "        cd $vok_dir; or set vok_status 1\n"
                 "    end\n"
                 "    return $vok_status\n"
                 "end\n";
  }
}
