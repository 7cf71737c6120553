// The interactive browser: puts a drawer's content on the full screen with
// the title and status lines and the scroll bars, lets the user move and
// search, and ends when a directory is selected or the user quits.
#ifndef VOK_HYPER_BROWSER_H
#define VOK_HYPER_BROWSER_H

#include <optional>
#include <string>

#include "config/profile.h"
#include "hyper/document.h"

// Shows the drawer's document with the profile's display settings, names
// read as UTF-8 when utf8 is set. The anchor is the full path of the
// directory to highlight first, or empty for the first link. Returns the directory selected, or nothing when the user
// quit (F10, ^C, an interrupt). Throws ErrorIORedirect without touching the
// terminal when standard input or output is not a terminal,
// ErrorScreenTooSmall below 50 x 10; every way out leaves the terminal
// restored.
std::optional<std::string> browse(HyperDraw &drawer, const std::string &anchorName,
                                  const ProfileConfig &config, bool utf8);

#endif
