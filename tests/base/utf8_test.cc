#include "base/utf8.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "base/message.h"

namespace {

// Widths come from the C library's tables, so the tests read names in a
// UTF-8 character type and put "C" back afterwards for the other tests.
class Utf8Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  }
  void TearDown() override { setlocale(LC_CTYPE, "C"); }
};

const std::string kCafe = "caf\xc3\xa9";               // composed é
const std::string kCombined = "e\xcc\x81x";            // e + U+0301, then x
const std::string kWide = "\xe6\x97\xa5\xe6\x9c\xac";  // 日本
const std::string kEmoji = "\xf0\x9f\x98\x80";         // U+1F600

TEST_F(Utf8Test, CharactersTakeTheirCellsAndEverythingElseIsAByte) {
  struct Case {
    std::string text;
    size_t width;
    std::string shown;
  } cases[] = {
      {"plain", 5, "plain"},
      {kCafe, 4, kCafe},
      {kCombined, 2, kCombined},
      {kWide, 4, kWide},
      {kEmoji, 2, kEmoji},
      {"a\xff"
       "b",
       3, "a?b"},                  // not UTF-8 at all
      {"\xc2\x85", 2, "??"},       // C1 control U+0085
      {"a\x7f\x01", 3, "a??"},     // DEL and a C0 control
      {"\xc0\xaf", 2, "??"},       // overlong "/"
      {"\xed\xa0\x80", 3, "???"},  // a surrogate
      {"\x80x", 2, "?x"},          // lone continuation byte
      {"\xe6\x97", 2, "??"},       // cut short at the end
      {"\xcc\x81"
       "a",
       3, "??a"},                         // a mark with nothing to join
      {"\x01\xcc\x81", 3, "???"},         // nor after a control
      {"\xff\xcc\x81", 3, "???"},         // nor after a byte that is none
      {kWide + "\xcc\x81\xcc\x81", 4, kWide + "\xcc\x81\xcc\x81"},  // marks on a wide one
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(shownWidth(c.text, true), c.width);
    EXPECT_EQ(shownBytes(c.text, true), c.shown);
    size_t cells = 0;
    for (size_t at = 0; at < c.text.size();) {
      const ShownChar shown = shownCharAt(c.text, at, true);
      cells += static_cast<size_t>(shown.width);
      at += shown.length;
    }
    EXPECT_EQ(cells, c.width) << "character by character";
  }
  // Without UTF-8 every byte is a cell and only printable ASCII shows.
  EXPECT_EQ(shownWidth(kWide, false), kWide.size());
  EXPECT_EQ(shownBytes(kCafe, false), "caf??");
}

TEST_F(Utf8Test, CombiningMarksStayWithTheirCharacter) {
  const ShownChar e = shownCharAt(kCombined, 0, true);
  EXPECT_EQ(e.length, 3u);
  EXPECT_EQ(e.width, 1);
  EXPECT_TRUE(e.valid);
  const ShownChar wide = shownCharAt(kWide, 3, true);
  EXPECT_EQ(wide.length, 3u);
  EXPECT_EQ(wide.width, 2);
}

TEST_F(Utf8Test, CutsNeverSplitACharacter) {
  const std::string mixed = "a" + kWide + kCombined;  // cells: 1 2 2 1 1
  struct Case {
    size_t cells, head, tail;
  } cases[] = {
      {0, 0, mixed.size()}, {1, 1, mixed.size() - 1},  // tail: the "x"
      {2, 1, 1 + 6},  // head: half of 日 does not fit; tail: é x
      {3, 4, 1 + 6},  // tail: 本 would need a fourth cell
      {4, 4, 1 + 3},        {6, 10, 1},
      {7, mixed.size(), 0}, {100, mixed.size(), 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.cells);
    EXPECT_EQ(headEnd(mixed, c.cells, true), c.head);
    EXPECT_EQ(tailStart(mixed, c.cells, true), c.tail);
  }
  EXPECT_EQ(headEnd(kWide, 3, false), 3u);
  EXPECT_EQ(tailStart(kWide, 4, false), 2u);
}

// Messages keep the characters and turn every other byte from 0x80 on, and
// every control but a kept line feed, into "?"; without the setting every
// byte from 0x80 on is one.
TEST_F(Utf8Test, MessagesOnATerminal) {
  EXPECT_EQ(shownOnTerminal("caf\xc3\xa9\n\xff\xc2\x85\x1b[m", true),
            "caf\xc3\xa9\n????[m");
  EXPECT_EQ(shownOnTerminal("\xe6\x97\xa5\n", false), "\xe6\x97\xa5?");
  setlocale(LC_CTYPE, "C");  // Utf8Names off: no byte from 0x80 on passes
  EXPECT_EQ(shownOnTerminal("/x\xe9\x9b" "2J\xff\x01\n", true), "/x??2J??\n");
}

}  // namespace
