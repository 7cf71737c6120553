#include "support/curses_screen.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "term/terminal.h"

namespace {
int keyPipe[2] = {-1, -1};
}

void useTestScreen() {
  static bool made = false;
  if (made) return;
  made = true;
  if (pipe(keyPipe) != 0) abort();
  FILE *out = fopen("/dev/null", "w");
  FILE *in = fdopen(keyPipe[0], "r");
  char type[] = "vt100";
  if (!out || !in || !newterm(type, out, in)) abort();
}

void typeKeys(const std::string &bytes) {
  if (write(keyPipe[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    abort();
}

std::string windowLine(WINDOW *w, int y) {
  std::string line;
  for (int x = 0; x < getmaxx(w); ++x)
    line += static_cast<char>(mvwinch(w, y, x) & A_CHARTEXT);
  return line;
}
