#include "hyper/find_entry.h"

#include <cctype>
#include <cstring>

#include "base/message.h"
#include "base/utf8.h"
#include "term/draw.h"
#include "term/keys.h"
#include "term/terminal.h"

constexpr int FindEntry::maxLen;

FindEntry::FindEntry(int keySet, attr_t textAttr, bool utf8)
    : column(static_cast<int>(strlen(_("Find: ["))) + 2),
      attr(textAttr),
      keySet_(keySet),
      utf8_(utf8) {}

void FindEntry::reset() {
  text_.clear();
  cursor = 0;
  insertMode = true;
}

size_t FindEntry::offset(int index) const {
  size_t at = 0;
  for (int i = 0; i < index && at < text_.size(); ++i)
    at += shownCharAt(text_, at, utf8_).length;
  return at;
}

int FindEntry::characters() const {
  int count = 0;
  for (size_t at = 0; at < text_.size(); ++count)
    at += shownCharAt(text_, at, utf8_).length;
  return count;
}

void FindEntry::edited() { redraw(); }

bool FindEntry::insert(const std::string &character) {
  const size_t at = offset(cursor);
  const size_t replaced =
      insertMode || cursor == characters() ? 0 : shownCharAt(text_, at, utf8_).length;
  std::string edited = text_;
  edited.replace(at, replaced, character);
  if (shownWidth(edited, utf8_) > static_cast<size_t>(maxLen)) return false;
  text_ = std::move(edited);
  ++cursor;
  this->edited();
  return true;
}

bool FindEntry::erase(int at) {
  if (at < 0 || at >= characters()) return false;
  const size_t from = offset(at);
  text_.erase(from, shownCharAt(text_, from, utf8_).length);
  cursor = at;
  edited();
  return true;
}

namespace {
// The UTF-8 bytes of a code point.
std::string encode(char32_t point) {
  std::string bytes;
  if (point < 0x80) {
    bytes += static_cast<char>(point);
  } else if (point < 0x800) {
    bytes += static_cast<char>(0xc0 | (point >> 6));
    bytes += static_cast<char>(0x80 | (point & 0x3f));
  } else if (point < 0x10000) {
    bytes += static_cast<char>(0xe0 | (point >> 12));
    bytes += static_cast<char>(0x80 | ((point >> 6) & 0x3f));
    bytes += static_cast<char>(0x80 | (point & 0x3f));
  } else {
    bytes += static_cast<char>(0xf0 | (point >> 18));
    bytes += static_cast<char>(0x80 | ((point >> 12) & 0x3f));
    bytes += static_cast<char>(0x80 | ((point >> 6) & 0x3f));
    bytes += static_cast<char>(0x80 | (point & 0x3f));
  }
  return bytes;
}
}  // namespace

bool FindEntry::processKey(int key) {
  const bool emacs = keySet_ == kKeysEmacs;
  const bool vi = keySet_ == kKeysVi;
  const int oldCursor = cursor;
  if (key == 0 || key == '\t' || key == '\n' || key == '\r') return false;
  if (key == KEY_HOME || (emacs && key == kCtrlA)) {
    cursor = 0;
  } else if (key == KEY_END || (emacs && key == kCtrlE)) {
    cursor = characters();
  } else if (key == KEY_LEFT || (emacs && key == kCtrlB)) {
    if (cursor > 0) --cursor;
  } else if (key == KEY_RIGHT || (emacs && key == kCtrlF)) {
    if (cursor < characters()) ++cursor;
  } else if (key == KEY_DC || (emacs && key == kCtrlD)) {
    return erase(cursor);
  } else if (key == KEY_IC) {
    insertMode = !insertMode;
    return false;
  } else if (vi && key == kCtrlU) {
    text_.clear();
    cursor = 0;
    edited();
    return true;
  } else if (key == kCtrlH || key == KEY_BACKSPACE || key == kDelete) {
    return cursor > 0 && erase(cursor - 1);
  } else if (isCharKey(key)) {
    // Only while names are read as UTF-8, and only what shows as itself.
    const std::string character = encode(charOfKey(key));
    const ShownChar shown = shownCharAt(character, 0, utf8_);
    return utf8_ && shown.valid && shown.length == character.size() && insert(character);
  } else if (key < 0 || key > 255 || !isprint(key)) {
    return false;
  } else {
    return insert(std::string(1, static_cast<char>(key)));
  }
  if (cursor != oldCursor) moveCursor();
  return false;
}

void FindEntry::redraw() {
  if (!window) return;
  attr_t saved;
  short pair;
  wattr_get(window, &saved, &pair, nullptr);
  wattrset(window, attr);
  wmove(window, row, column);
  for (int i = 0; i <= maxLen; ++i) waddch(window, ' ');
  wmove(window, row, column);
  drawPrintableN(window, text_.c_str(), maxLen, utf8_);
  moveCursor();
  wattr_set(window, saved, pair, nullptr);
}

void FindEntry::moveCursor() {
  if (window)
    wmove(window, row,
          column + static_cast<int>(shownWidth(
                       std::string_view(text_).substr(0, offset(cursor)), utf8_)));
}
