// The settings of one configuration profile, with their built-in defaults.
#ifndef VOK_CONFIG_PROFILE_H
#define VOK_CONFIG_PROFILE_H

#include <cstdint>

#include "config/dir_config.h"

// A colour of 2147483647 stands for the terminal's default colour.
constexpr int32_t kDefaultColor = 2147483647;

// Curses attribute bits as stored in the configuration.
constexpr int32_t kAttrStandout = 65536;
constexpr int32_t kAttrUnderline = 131072;
constexpr int32_t kAttrReverse = 262144;
constexpr int32_t kAttrBlink = 524288;
constexpr int32_t kAttrDim = 1048576;
constexpr int32_t kAttrBold = 2097152;

struct ScreenAttr {
  int32_t foreground;
  int32_t background;
  int32_t colorBits;  // used on a colour terminal
  int32_t monoBits;   // used without colours
};

// The attribute slots; slot k is drawn with colour pair 2k+1.
enum AttrSlot {
  kAttrNormal, kAttrDir, kAttrHighlightDir, kAttrStatus, kAttrSpare, kAttrBoldText,
  kAttrItalic, kAttrScrollArrow, kAttrScrollBlock, kAttrScrollBar, kAttrTitle,
  kAttrMore, kAttrBoldLink, kAttrSymLink, kAttrHighlightBoldLink,
  kAttrHighlightSymLink, kAttrSlotCount
};

enum KeyBindingMode { kKeysDefault = 0, kKeysVi = 1, kKeysEmacs = 2 };
enum ShowNewDirMode { kShowNewDirNo = 0, kShowNewDirYes = 1, kShowNewDirMulti = 2 };

struct ProfileConfig {
  ProfileConfig();  // the built-in defaults

  bool QuietFullScan = false;
  bool QuietSmartScan = false;
  bool QuietPartialScan = false;
  bool AutoScan = false;
  bool SpaceSelect = true;
  bool SortTree = true;
  bool CaseSensitiveSort = false;
  bool GraphicChar = true;
  bool ScrollBar = true;
  bool GlobDot = false;
  bool GlobPath = false;
  bool Utf8Names = false;
  int32_t KeyBinding = kKeysDefault;
  uint32_t ShowListThreshold = 4;
  uint32_t FuzzySize = 10;
  uint32_t MouseScrollRate = 2;
  int32_t ShowNewDir = kShowNewDirMulti;
  ScreenAttr attrs[kAttrSlotCount];
  int32_t DefaultBackground = 0;
  DirList SkipDir;
  DirList StartDir;
  DirList DefaultTree;
  MountDirList MountDir;
};

#endif
