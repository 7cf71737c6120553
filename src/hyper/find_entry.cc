#include "hyper/find_entry.h"

#include <cctype>
#include <cstring>

#include "base/message.h"
#include "term/keys.h"
#include "term/terminal.h"

constexpr int FindEntry::maxLen;

FindEntry::FindEntry(int keySet)
    : column(static_cast<int>(strlen(_("Find: ["))) + 2),
      attr(&displayAttributes.slot[kAttrTitle]),
      keySet_(keySet) {}

void FindEntry::reset() {
  length = 0;
  cursor = 0;
  insertMode = true;
  changed = true;
}

void FindEntry::edited() {
  changed = true;
  redraw();
}

bool FindEntry::insert(char c) {
  if (insertMode || cursor == length) {
    if (length >= maxLen) return false;
    memmove(text + cursor + 1, text + cursor, static_cast<size_t>(length - cursor));
    ++length;
  }
  text[cursor++] = c;
  edited();
  return true;
}

bool FindEntry::erase(int at) {
  if (at < 0 || at >= length) return false;
  memmove(text + at, text + at + 1, static_cast<size_t>(length - at - 1));
  --length;
  cursor = at;
  edited();
  return true;
}

bool FindEntry::processKey(int key) {
  const bool emacs = keySet_ == kKeysEmacs;
  const bool vi = keySet_ == kKeysVi;
  const int oldCursor = cursor;
  if (key == 0 || key == '\t' || key == '\n' || key == '\r') return false;
  if (key == KEY_HOME || (emacs && key == kCtrlA)) {
    cursor = 0;
  } else if (key == KEY_END || (emacs && key == kCtrlE)) {
    cursor = length;
  } else if (key == KEY_LEFT || (emacs && key == kCtrlB)) {
    if (cursor > 0) --cursor;
  } else if (key == KEY_RIGHT || (emacs && key == kCtrlF)) {
    if (cursor < length) ++cursor;
  } else if (key == KEY_DC || (emacs && key == kCtrlD)) {
    return erase(cursor);
  } else if (key == KEY_IC) {
    insertMode = !insertMode;
    return false;
  } else if (vi && key == kCtrlU) {
    length = 0;
    cursor = 0;
    edited();
    return true;
  } else if (key == kCtrlH || key == KEY_BACKSPACE || key == kDelete) {
    return cursor > 0 && erase(cursor - 1);
  } else if (key < 0 || key > 255 || !isprint(key)) {
    return false;
  } else {
    return insert(static_cast<char>(key));
  }
  if (cursor != oldCursor) moveCursor();
  return false;
}

void FindEntry::redraw() {
  if (!window) return;
  attr_t saved;
  short pair;
  wattr_get(window, &saved, &pair, nullptr);
  wattrset(window, *attr);
  wmove(window, row, column);
  for (int i = 0; i <= maxLen; ++i) waddch(window, ' ');
  wmove(window, row, column);
  for (int i = 0; i < length; ++i) waddch(window, static_cast<unsigned char>(text[i]));
  wmove(window, row, column + cursor);
  wattr_set(window, saved, pair, nullptr);
}

void FindEntry::moveCursor() {
  if (window) wmove(window, row, column + cursor);
}

const std::string &FindEntry::string() {
  if (changed) {
    cache.assign(text, static_cast<size_t>(length));
    changed = false;
  }
  return cache;
}
