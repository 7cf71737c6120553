#include "term/glyphs.h"

#include <gtest/gtest.h>

namespace {

TEST(GraphicCharTableTest, NamesAndInitialGlyphs) {
  static const char *const kNames[] = {
      "lt",      "gt",      "amp",    "quot",    "boxur",  "boxdr",  "boxdl",    "boxul",
      "boxvl",   "boxvr",   "boxhu",  "boxhd",   "boxh",   "boxv",   "rarr",     "larr",
      "darr",    "uarr",    "degree", "plminus", "lequal", "gequal", "nequal",   "bullet",
      "diamond", "ckboard", "board",  "lantern", "block",  "pi",     "sterling", "s1",
      "s9",      "s3",      "s7",     "space"};
  ASSERT_EQ(sizeof kNames / sizeof kNames[0], static_cast<size_t>(GraphicCharCount));
  for (int i = 0; i < GraphicCharCount; ++i) {
    EXPECT_STREQ(GraphicCharTable[i].name, kNames[i]) << i;
    if (i >= GBoxUR && i <= GS7) {
      EXPECT_EQ(GraphicCharTable[i].glyph, 0u) << i;
    }
  }
  EXPECT_EQ(GraphicCharTable[GLt].glyph, static_cast<chtype>('<'));
  EXPECT_EQ(GraphicCharTable[GGt].glyph, static_cast<chtype>('>'));
  EXPECT_EQ(GraphicCharTable[GAmp].glyph, static_cast<chtype>('&'));
  EXPECT_EQ(GraphicCharTable[GQuot].glyph, static_cast<chtype>('"'));
  EXPECT_EQ(GraphicCharTable[GSpace].glyph, static_cast<chtype>(' '));
}

}  // namespace
