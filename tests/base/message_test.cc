#include "base/message.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace {

std::string format(const char *text, std::initializer_list<const char *> args) {
  std::ostringstream out;
  {
    MessageFormat message(out, text);
    for (const char *a : args) message.arg(a);
    EXPECT_EQ(out.str(), "") << "nothing may be written before destruction";
  }
  return out.str();
}

TEST(MessageFormatTest, PlaceholdersTakeArgumentsInOrderOrByNumber) {
  EXPECT_EQ(format("%$: %$ in `%$' command:\n", {"vok", "bad value", "StartDir"}),
            "vok: bad value in `StartDir' command:\n");
  EXPECT_EQ(format("%2$-%1$", {"x", "y"}), "y-x");
  // A numbered placeholder advances the counter used by "%$".
  EXPECT_EQ(format("%2$ %$", {"a", "b"}), "b b");
  EXPECT_EQ(format("%1$%1$%$", {"a", "b"}), "aa");
  EXPECT_EQ(format("%1$%$", {"a", "b"}), "ab");
}

TEST(MessageFormatTest, MissingAndSurplusArgumentsAreNotErrors) {
  EXPECT_EQ(format("a%$b", {}), "ab");
  EXPECT_EQ(format("%$", {"one", "two"}), "one");
  EXPECT_EQ(format("%0$x", {"a"}), "x");
  EXPECT_EQ(format("[%3$]", {"a", "b"}), "[]");
  EXPECT_EQ(format("[%99999999999999999999$]", {"a"}), "[]");
}

TEST(MessageFormatTest, PercentSignsAndWhereFormattingStops) {
  EXPECT_EQ(format("50%%", {}), "50%");
  EXPECT_EQ(format("50%", {}), "50%");
  EXPECT_EQ(format("value %d here", {"x"}), "value ");
  EXPECT_EQ(format("cut %12", {"x"}), "cut ");
  EXPECT_EQ(format("cut %12x", {"x"}), "cut ");
  EXPECT_EQ(format("", {"x"}), "");
}

TEST(MessageFormatTest, NumbersAndSafeText) {
  std::ostringstream out;
  MessageFormat(out, "%$ %$ %$").arg(-5).arg(ULONG_MAX).arg(0);
  EXPECT_EQ(out.str(), "-5 18446744073709551615 0");

  const char line[] = "a\tb\x80z";
  std::ostringstream safe;
  MessageFormat(safe, "<%$>").arg(SafeText{line, 0, 3, 3});
  EXPECT_EQ(safe.str(), "<a.b\n>");
  EXPECT_EQ((SafeText{line, 0, 3, 1}.render()), "a\n");
  EXPECT_EQ((SafeText{line, 2, 5, 100}.render()), "b.z\n");
  EXPECT_EQ((SafeText{line, 3, 2, 100}.render()), "\n");
}

TEST(MessageFormatTest, ArgumentsAreCopiedWhenAdded) {
  std::ostringstream out;
  {
    std::string name = "before";
    MessageFormat message(out, "%$");
    message.arg(name);
    name = "after";
  }
  EXPECT_EQ(out.str(), "before");
}

TEST(FormatTimeTest, FormatsAndHandlesEmptyResults) {
  EXPECT_EQ(formatTime("%b %e, %Y", releaseDate), "Dec  9, 2026");
  EXPECT_EQ(formatTime("", releaseDate), "");
  struct tm time = {};
  time.tm_hour = 1;
  time.tm_min = 2;
  time.tm_sec = 3;
  EXPECT_EQ(formatTime("%H:%M:%S", time), "01:02:03");
}

}  // namespace
