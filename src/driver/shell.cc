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
  const std::string script = std::string(dir ? dir : "/usr/bin") + "/vokscr";
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
