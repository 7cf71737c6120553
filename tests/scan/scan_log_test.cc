#include "scan/scan_log.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(FormatDurationTest, MinutesUnderAnHourHoursFromThere) {
  EXPECT_EQ(formatDuration(0), "00:00");
  EXPECT_EQ(formatDuration(75), "01:15");
  EXPECT_EQ(formatDuration(3599), "59:59");
  EXPECT_EQ(formatDuration(3600), "01:00:00");
  EXPECT_EQ(formatDuration(3725), "01:02:05");
}

// The quiet scan's status line against a clock the test moves: nothing in
// the first second, then at most one rewrite per 100 ms, each rewrite in
// place, and an erase that leaves the line blank.
TEST(ScanStatusLineTest, ShowsAfterASecondAtMostTenTimesASecond) {
  int64_t clock = 5000;
  std::ostringstream out;
  {
    ScanStatusLine status(out, true, [&] { return clock; });
    const struct {
      int64_t at;
      const char *shown;  // what this count writes, "" for nothing
    } steps[] = {
        {5000, ""},
        {5999, ""},
        {6000, "\rvok: directories read: 3\r"},
        {6099, ""},
        {6100, "\rvok: directories read: 5\r"},
        {6150, ""},
        {9000, "\rvok: directories read: 7\r"},
    };
    for (const auto &step : steps) {
      clock = step.at;
      out.str("");
      status.count();
      EXPECT_EQ(out.str(), step.shown) << step.at;
    }
    out.str("");
    status.erase();
    EXPECT_EQ(out.str(), "\r" + std::string(24, ' ') + "\r");
    out.str("");
    status.erase();
    EXPECT_EQ(out.str(), "") << "a second erase writes nothing";
    clock = 9050;
    status.count();
    EXPECT_EQ(out.str(), "\rvok: directories read: 8\r") << "shown again at once";
    out.str("");
  }
  EXPECT_EQ(out.str(), "\r" + std::string(24, ' ') + "\r") << "erased when the scan ends";

  std::ostringstream pipe;
  {
    ScanStatusLine status(pipe, false, [&] { return clock; });
    for (int i = 0; i < 50; ++i) {
      clock += 500;
      status.count();
    }
  }
  EXPECT_EQ(pipe.str(), "") << "nothing reaches a file or a pipe";
}

}  // namespace
