// A curses screen without a terminal, for unit tests of windows: a vt100
// of 24 x 80 writing to /dev/null, reading keys from a pipe that the test
// fills. Made once per process; plain glyphs, monochrome attributes.
#ifndef VOK_TESTS_CURSES_SCREEN_H
#define VOK_TESTS_CURSES_SCREEN_H

#include <curses.h>

#include <string>

void useTestScreen();
// Bytes for the next reads of curses.
void typeKeys(const std::string &bytes);
// Line y of a window as text, its full width.
std::string windowLine(WINDOW *w, int y);

#endif
