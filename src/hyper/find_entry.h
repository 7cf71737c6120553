// The one-line editor of the search text, drawn inside the title line.
#ifndef VOK_HYPER_FIND_ENTRY_H
#define VOK_HYPER_FIND_ENTRY_H

#include <curses.h>

#include <string>

#include "config/profile.h"

class FindEntry {
 public:
  // keySet: the KeyBinding whose editing keys apply.
  explicit FindEntry(int keySet = kKeysDefault);
  void reset();
  // Returns whether the text changed. Keys that only move the cursor move
  // the curses cursor too; a change redraws the entry.
  bool processKey(int key);
  void redraw();
  void moveCursor();
  const std::string &string();

  static constexpr int maxLen = 15;
  WINDOW *window = nullptr;  // not owned; without one nothing is drawn
  int column;
  int row = 0;
  const attr_t *attr;
  char text[maxLen + 1] = {};
  int length = 0;
  int cursor = 0;
  bool insertMode = true;
  std::string cache;
  bool changed = false;

 private:
  const int keySet_;
  void edited();
  bool insert(char c);
  bool erase(int at);
};

#endif
