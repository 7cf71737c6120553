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

// A display without line graphics, outside a terminal: plain look-alikes
// and the monochrome attributes; each display makes its own.
TEST(TerminalTest, PlainGlyphsWithoutLineGraphics) {
  ProfileConfig config;
  config.GraphicChar = false;
  const DisplayLook look = DisplayLook::of(config, true);
  const char expected[] = "++++++++-|><v^'#<>!o+####*f----";
  for (int i = GBoxUR; i <= GS7; ++i)
    EXPECT_EQ(look.glyphs[i], static_cast<chtype>(expected[i - GBoxUR])) << i;
  EXPECT_EQ(look.glyphs[GLt], static_cast<chtype>('<'));
  EXPECT_EQ(look.troughGlyph, GSpace);
  EXPECT_EQ(look.sliderGlyph, GSpace);
  EXPECT_EQ(look.slot[kAttrDir], static_cast<attr_t>(kAttrUnderline));
  EXPECT_TRUE(look.utf8);
  config.GraphicChar = true;
  EXPECT_EQ(DisplayLook::of(config, false).troughGlyph, GCkBoard);
}

}  // namespace
