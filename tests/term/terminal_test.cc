#include "term/terminal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "base/errors.h"
#include "term/glyphs.h"

namespace {

// Each case runs in a child: the terminal state and the glyph table are
// process-wide and filled once.
void toDevNull(int fd) {
  int null = open("/dev/null", O_RDWR);
  dup2(null, fd);
  close(null);
}

TEST(TerminalTest, RedirectedOutputFailsBeforeAnyCursesCall) {
  EXPECT_EXIT(
      {
        toDevNull(STDOUT_FILENO);
        bool thrown = false;
        try {
          CursesSession session(true);
        } catch (const ErrorIORedirect &) {
          thrown = true;
        }
        _exit(thrown && stdscr == nullptr ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        toDevNull(STDIN_FILENO);
        CursesSession session(false);  // goes on with every curses call skipped
        prepareWindow(nullptr);
        bool ok = session.started() && session.redirected() && stdscr == nullptr;
        session.end();
        session.end();
        _exit(ok && !session.started() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(TerminalTest, PlainGlyphsWithoutLineGraphics) {
  EXPECT_EXIT(
      {
        fillGraphicGlyphs(false);
        const char expected[] = "++++++++-|><v^'#<>!o+####*f----";
        bool ok = true;
        for (int i = GBoxUR; i <= GS7; ++i)
          ok = ok && GraphicCharTable[i].glyph == static_cast<chtype>(expected[i - GBoxUR]);
        fillGraphicGlyphs(true);  // only the first call fills
        ok = ok && GraphicCharTable[GBoxH].glyph == static_cast<chtype>('-');
        ProfileConfig config;
        config.GraphicChar = false;
        computeDisplayAttributes(config);
        ok = ok && displayAttributes.troughGlyph == GSpace &&
             displayAttributes.sliderGlyph == GSpace &&
             displayAttributes.slot[kAttrDir] == static_cast<attr_t>(kAttrUnderline);
        _exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(TerminalTest, LineGraphicsComeFromTheTerminal) {
  EXPECT_EXIT(
      {
        FILE *out = fopen("/dev/null", "w");
        FILE *in = fopen("/dev/null", "r");
        if (!newterm("xterm", out, in)) _exit(2);  // the ACS map exists from here on
        fillGraphicGlyphs(true);
        bool ok = true;
        for (int i = GBoxUR; i <= GS7; ++i) ok = ok && GraphicCharTable[i].glyph != 0;
        ok = ok && GraphicCharTable[GBoxH].glyph == ACS_HLINE &&
             (GraphicCharTable[GBoxH].glyph & A_ALTCHARSET);
        ProfileConfig config;
        computeDisplayAttributes(config);
        ok = ok && displayAttributes.troughGlyph == GCkBoard;
        endwin();
        _exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
