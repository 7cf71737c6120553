#include "term/draw.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <cwchar>

#include "base/message.h"
#include "base/utf8.h"

chtype printableByte(unsigned char byte) {
  return isprint(byte) || byte == ' ' ? byte : '?';
}

namespace {

const char *ellipsis() {
  static const char *const text = _("...");
  return text;
}

// Draws at most `cells` cells of the text from the cursor; returns the
// bytes of the text they took.
int drawCells(WINDOW *w, std::string_view s, size_t cells, bool utf8) {
  if (!utf8) {
    const size_t n = std::min(s.size(), cells);
    for (size_t i = 0; i < n; ++i)
      waddch(w, printableByte(static_cast<unsigned char>(s[i])));
    return static_cast<int>(n);
  }
  const size_t end = headEnd(s, cells, true);
  const std::string shown = shownBytes(s.substr(0, end), true);
  waddnstr(w, shown.data(), static_cast<int>(shown.size()));
  return static_cast<int>(end);
}

// Draws s from column 2 when it fits into width - 2 cells; returns the room
// left for it beside the ellipsis when it does not, or -1.
long fitOrRoom(WINDOW *w, int width, int minWidth, std::string_view s, bool utf8) {
  if (width <= minWidth) return -1;
  wmove(w, 0, 2);
  const size_t room = static_cast<size_t>(width - 2);
  if (shownWidth(s, utf8) <= room) {
    drawCells(w, s, room, utf8);
    return -1;
  }
  return static_cast<long>(room) - static_cast<long>(strlen(ellipsis()));
}

}  // namespace

int drawPrintableN(WINDOW *w, const char *s, int n, bool utf8) {
  const std::string_view text(s);
  return drawCells(w, text.substr(0, std::min(text.size(), static_cast<size_t>(n))),
                   static_cast<size_t>(n), utf8);
}

int drawPrintable(WINDOW *w, const char *s, bool utf8) {
  return drawPrintableN(w, s, INT_MAX, utf8);
}

void drawTruncated(WINDOW *w, int width, int minWidth, const char *s, bool utf8) {
  const long room = fitOrRoom(w, width, minWidth, s, utf8);
  if (room < 0) return;
  drawCells(w, s, static_cast<size_t>(room), utf8);
  drawPrintable(w, ellipsis(), utf8);
}

void drawTruncatedStart(WINDOW *w, int width, int minWidth, const char *s, bool utf8) {
  const long room = fitOrRoom(w, width, minWidth, s, utf8);
  if (room < 0) return;
  const std::string_view text(s);
  drawPrintable(w, ellipsis(), utf8);
  drawCells(w, text.substr(tailStart(text, static_cast<size_t>(room), utf8)),
            static_cast<size_t>(room), utf8);
}

void drawCharacter(WINDOW *w, std::string_view bytes, attr_t attr) {
  // The character and the marks joined to it, as many as a cell holds.
  wchar_t wide[CCHARW_MAX + 1] = {};
  std::mbstate_t state{};
  size_t count = 0;
  for (size_t at = 0; at < bytes.size() && count < CCHARW_MAX;) {
    const size_t used =
        mbrtowc(&wide[count], bytes.data() + at, bytes.size() - at, &state);
    if (used == 0 || used > bytes.size() - at) break;
    at += used;
    ++count;
  }
  // setcchar takes the colour pair apart from the other attributes: left
  // in them, it is dropped and the character shows in the default colours.
  cchar_t cell;
  if (count == 0 ||
      setcchar(&cell, wide, attr & ~A_COLOR, static_cast<short>(PAIR_NUMBER(attr)),
               nullptr) != OK) {
    waddch(w, '?' | attr);
    return;
  }
  wadd_wch(w, &cell);
}

void fillLine(WINDOW *w, int width, attr_t attr) {
  wmove(w, 0, 0);
  wattrset(w, attr);
  for (int i = 0; i < width; ++i) waddch(w, ' ');
}
