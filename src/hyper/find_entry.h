// The one-line editor of the search text, drawn inside the title line. The
// text is kept as bytes, which searches match; the cursor moves, and Delete
// and Backspace erase, by whole characters (several bytes for characters
// typed beyond ASCII while names are read as UTF-8).
#ifndef VOK_HYPER_FIND_ENTRY_H
#define VOK_HYPER_FIND_ENTRY_H

#include <curses.h>

#include <string>

#include "config/profile.h"

class FindEntry {
 public:
  // keySet: the KeyBinding whose editing keys apply; attr: how the text is
  // drawn; utf8: whether it is edited and drawn by characters.
  explicit FindEntry(int keySet = kKeysDefault, attr_t attr = A_NORMAL, bool utf8 = false);
  void reset();
  // Returns whether the text changed. Keys that only move the cursor move
  // the curses cursor too; a change redraws the entry.
  bool processKey(int key);
  void redraw();
  void moveCursor();
  const std::string &string() const { return text_; }

  static constexpr int maxLen = 15;  // cells
  WINDOW *window = nullptr;          // not owned; without one nothing is drawn
  int column;
  int row = 0;
  const attr_t attr;
  int cursor = 0;  // in characters
  bool insertMode = true;

 private:
  bool insert(const std::string &character);
  bool erase(int at);
  void edited();
  // The byte where character `index` starts (the text's size past the end).
  size_t offset(int index) const;
  int characters() const;

  const int keySet_;
  const bool utf8_;
  std::string text_;
};

#endif
