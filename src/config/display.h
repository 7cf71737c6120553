// --config and --configattr: a profile's settings, in the order of the
// command table.
#ifndef VOK_CONFIG_DISPLAY_H
#define VOK_CONFIG_DISPLAY_H

#include <string>

#include "config/profile.h"

void printProfileLine(const std::string &profileName);
void showConfig(const ProfileConfig &profile, const std::string &profileName);
void showConfigAttr(const ProfileConfig &profile, const std::string &profileName);

#endif
