// The settings of the active profile that the full-screen display reads,
// taken once when a display starts.
#ifndef VOK_TERM_DISPLAY_SETTINGS_H
#define VOK_TERM_DISPLAY_SETTINGS_H

#include <cstdint>

#include "config/profile.h"

struct DisplaySettings {
  int keySet = kKeysDefault;  // KeyBinding
  bool spaceSelect = true;    // SpaceSelect
  bool scrollBars = true;     // ScrollBar
  bool graphicChars = true;   // GraphicChar
  uint32_t mouseScrollRate = 2;

  static DisplaySettings of(const ProfileConfig &config) {
    return {config.KeyBinding, config.SpaceSelect, config.ScrollBar, config.GraphicChar,
            config.MouseScrollRate};
  }
};

#endif
