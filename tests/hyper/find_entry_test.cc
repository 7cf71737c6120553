#include "hyper/find_entry.h"

#include <gtest/gtest.h>

#include "term/keys.h"

namespace {

class FindEntryTest : public ::testing::Test {
 protected:
  std::string type(const std::string &text) {
    for (char c : text) entry.processKey(static_cast<unsigned char>(c));
    return entry.string();
  }
  FindEntry entry;  // no window: nothing is drawn
};

TEST_F(FindEntryTest, InsertsUpToFifteenCharacters) {
  entry.reset();
  EXPECT_EQ(type("abcdefghijklmno"), "abcdefghijklmno");
  EXPECT_FALSE(entry.processKey('p'));
  EXPECT_EQ(entry.string(), "abcdefghijklmno");
  entry.processKey(KEY_HOME);
  EXPECT_FALSE(entry.processKey('z'));  // full, also in the middle
}

TEST_F(FindEntryTest, OverwritesInsideAndAppendsAtTheEnd) {
  entry.reset();
  type("src");
  EXPECT_FALSE(entry.processKey(KEY_IC));
  EXPECT_FALSE(entry.insertMode);
  entry.processKey(KEY_LEFT);
  entry.processKey(KEY_LEFT);
  EXPECT_TRUE(entry.processKey('v'));
  EXPECT_EQ(entry.string(), "svc");
  EXPECT_EQ(entry.cursor, 2);
  entry.processKey(KEY_END);
  EXPECT_TRUE(entry.processKey('s'));
  EXPECT_EQ(entry.string(), "svcs");
  entry.reset();  // back to inserting and empty
  EXPECT_TRUE(entry.insertMode);
  EXPECT_EQ(entry.string(), "");
}

TEST_F(FindEntryTest, DeletesUnderAndBeforeTheCursor) {
  entry.reset();
  type("abcd");
  EXPECT_FALSE(entry.processKey(KEY_DC));  // nothing under the cursor at the end
  EXPECT_TRUE(entry.processKey(KEY_BACKSPACE));
  EXPECT_TRUE(entry.processKey(127));
  EXPECT_EQ(entry.string(), "ab");
  entry.processKey(KEY_HOME);
  EXPECT_FALSE(entry.processKey(8));  // nothing before the start
  EXPECT_TRUE(entry.processKey(KEY_DC));
  EXPECT_EQ(entry.string(), "b");
  EXPECT_EQ(entry.cursor, 0);
}

TEST_F(FindEntryTest, RefusesWhatIsNotPrintable) {
  entry.reset();
  for (int key : {0, 9, 10, 13, 1, 27, 0x80, 0xff, KEY_F(3), KEY_MOUSE, -1})
    EXPECT_FALSE(entry.processKey(key)) << key;
  EXPECT_EQ(entry.string(), "");
  EXPECT_FALSE(entry.processKey(21));  // ^U clears only in the vi set
  type("x y");
  EXPECT_EQ(entry.string(), "x y");
}

TEST(FindEntryKeySetTest, KeySetExtras) {
  FindEntry vi(kKeysVi), emacs(kKeysEmacs);
  auto type = [](FindEntry &entry, const std::string &text) {
    for (char c : text) entry.processKey(static_cast<unsigned char>(c));
  };
  vi.reset();
  type(vi, "abc");
  EXPECT_TRUE(vi.processKey(kCtrlU));
  EXPECT_EQ(vi.string(), "");
  emacs.reset();
  type(emacs, "abc");
  emacs.processKey(kCtrlA);
  emacs.processKey(kCtrlF);
  EXPECT_TRUE(emacs.processKey(kCtrlD));
  EXPECT_EQ(emacs.string(), "ac");
  emacs.processKey(kCtrlE);
  emacs.processKey(kCtrlB);
  EXPECT_EQ(emacs.cursor, 1);
  EXPECT_FALSE(vi.processKey(kCtrlA)) << "^A moves only in the emacs set";
}

}  // namespace
