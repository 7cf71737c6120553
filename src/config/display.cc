#include "config/display.h"

#include <iostream>

#include "base/message.h"
#include "config/commands.h"

namespace {
void showCommands(const ProfileConfig &profile, const std::string &profileName,
                  bool attributes) {
  printProfileLine(profileName);
  for (size_t i = 0; i < configCommandCount; ++i) {
    const ConfigCommand &command = configCommands[i];
    if (command.type->print && command.isAttribute == attributes)
      command.type->print(profile, command);
  }
}
}  // namespace

void printProfileLine(const std::string &profileName) {
  MessageFormat(std::cout, _("Profile: %$\n")).arg(profileName);
}

void showConfig(const ProfileConfig &profile, const std::string &profileName) {
  showCommands(profile, profileName, false);
}

void showConfigAttr(const ProfileConfig &profile, const std::string &profileName) {
  showCommands(profile, profileName, true);
}
