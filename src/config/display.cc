#include "config/display.h"

#include <iostream>

#include "base/message.h"
#include "config/commands.h"
#include "config/reader.h"
#include "base/globals.h"

namespace {
void showCommands(bool attributes) {
  printProfileLine();
  currentSection = selectedProfile;
  for (size_t i = 0; i < configCommandCount; ++i) {
    const ConfigCommand &command = configCommands[i];
    if (command.type->print && command.isAttribute == attributes)
      command.type->print(command.name, command);
  }
}
}  // namespace

void printProfileLine() {
  MessageFormat(std::cout, _("Profile: %$\n")).arg(selectedProfile);
}

void showConfig() { showCommands(false); }
void showConfigAttr() { showCommands(true); }
