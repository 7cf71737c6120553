#include "scan/scanner.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "scan/scan_log.h"

namespace {

TEST(UnescapeEntryTest, BackslashesMakeBytesLiteral) {
  EXPECT_EQ(unescapeEntry("/a\\*b"), "/a*b");
  EXPECT_EQ(unescapeEntry("/\\x41\\x6a"), "/Aj");
  EXPECT_EQ(unescapeEntry("/a\\\\b"), "/a\\b");
  EXPECT_EQ(unescapeEntry("/end\\"), "/end");
  EXPECT_EQ(unescapeEntry(""), "");
  for (const char *bad : {"/\\x", "/\\x4", "/\\xZZ", "/\\x4g"})
    EXPECT_THROW(unescapeEntry(bad), ErrorRange) << bad;
}

TEST(FormatDurationTest, MinutesUnderAnHourHoursFromThere) {
  EXPECT_EQ(formatDuration(0), "00:00");
  EXPECT_EQ(formatDuration(75), "01:15");
  EXPECT_EQ(formatDuration(3599), "59:59");
  EXPECT_EQ(formatDuration(3600), "01:00:00");
  EXPECT_EQ(formatDuration(3725), "01:02:05");
}

}  // namespace
