#include "config/reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every logical line of the text as readConfigLine returns it, with the
// result code of the read that produced it.
std::vector<std::pair<std::string, int>> readAll(const std::string &text) {
  FILE *file = tmpfile();
  fwrite(text.data(), 1, text.size(), file);
  rewind(file);
  Buffer line(true, 100);
  std::vector<std::pair<std::string, int>> lines;
  for (int result = 0; result == 0;) {
    result = readConfigLine(file, line);
    lines.emplace_back(std::string(line.data, line.length), result);
  }
  fclose(file);
  return lines;
}

using Lines = std::vector<std::pair<std::string, int>>;

TEST(ReadConfigLineTest, CommentsQuotesTabsAndCarriageReturns) {
  EXPECT_EQ(readAll("SortTree = yes # on\n"), (Lines{{"SortTree = yes ", 0}, {"", -1}}));
  EXPECT_EQ(readAll("a \"#x\" # y\r\n"), (Lines{{"a \"#x\" ", 0}, {"", -1}}));
  EXPECT_EQ(readAll("a\tb\r\nc"), (Lines{{"a b", 0}, {"c", -1}}));
  EXPECT_EQ(readAll("# only a comment"), (Lines{{"", -1}}));
  // An escaped quote does not open a quoted run, so the '#' starts a comment.
  EXPECT_EQ(readAll("a\\\"#b\nc\n"), (Lines{{"a\\\"", 0}, {"c", 0}, {"", -1}}));
  // A doubled backslash does not escape the quote after it.
  EXPECT_EQ(readAll("a\\\\\"#b\"\n"), (Lines{{"a\\\\\"#b\"", 0}, {"", -1}}));
  // An unterminated quote runs to the end of the line only.
  EXPECT_EQ(readAll("a\"#b\nc # d\n"), (Lines{{"a\"#b", 0}, {"c ", 0}, {"", -1}}));
}

TEST(ReadConfigLineTest, NulAndHighBytesAndLongLines) {
  const std::string nul("a\0b\x80\xff\n", 6);
  EXPECT_EQ(readAll(nul), (Lines{{std::string("a\0b\x80\xff", 5), 0}, {"", -1}}));
  const std::string longLine(250000, 'x');
  Lines lines = readAll(longLine + "\nend");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].first, longLine);
  EXPECT_EQ(lines[1], (std::pair<std::string, int>("end", -1)));
}

}  // namespace
