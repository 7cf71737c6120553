#include "config/scan_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/errors.h"

namespace {

size_t find(char c, const std::string &line, size_t from = 0) {
  return findChar(c, line.data(), from, line.size());
}

TEST(ScanTextTest, BlanksWordsAndEquals) {
  const std::string line = " \t\r\nab,c=d  ";
  EXPECT_EQ(skipBlanks(line.data(), 0, line.size()), 4u);
  EXPECT_EQ(skipBlanks(line.data(), 10, line.size()), line.size());
  EXPECT_EQ(skipBlanks(line.data(), 50, line.size()), line.size());
  EXPECT_EQ(wordEnd(line.data(), 4, line.size()), 6u);
  EXPECT_EQ(wordEnd(line.data(), 7, line.size()), 8u);
  EXPECT_EQ(wordEnd(line.data(), 9, line.size()), 10u);

  const std::string assign = "Name  =  value";
  EXPECT_EQ(expectEquals(assign.data(), 4, assign.size()), 9u);
  const std::string bare = "Name value";
  EXPECT_THROW(expectEquals(bare.data(), 4, bare.size()), ErrorSeek);
  EXPECT_THROW(expectEquals(bare.data(), 10, bare.size()), ErrorSeek);
  const std::string empty = "Name = ";
  EXPECT_EQ(expectEquals(empty.data(), 4, empty.size()), empty.size());
}

TEST(ScanTextTest, RestIsBlankCountsOnlySpacesAndTabs) {
  const std::string line = "x \t ";
  EXPECT_TRUE(restIsBlank(line.data(), 1, line.size()));
  EXPECT_TRUE(restIsBlank(line.data(), 9, line.size()));
  EXPECT_FALSE(restIsBlank(line.data(), 0, line.size()));
  const std::string cr = "x \r";
  EXPECT_FALSE(restIsBlank(cr.data(), 1, cr.size()));
}

TEST(ScanTextTest, FindCharSkipsEscapesAndQuotedRuns) {
  EXPECT_EQ(find('"', "\"abc\" x", 1), 4u);
  EXPECT_EQ(find(']', "[a\\]b]", 1), 5u);
  EXPECT_EQ(find(']', "[\"a]\"]", 1), 5u);
  // Quotes of another kind open runs of their own inside a run.
  EXPECT_EQ(find('"', "a'b`c`'\"", 0), 7u);
  EXPECT_THROW(find('"', "a'b\"c'\"", 0), ErrorSeek);
  EXPECT_EQ(find('"', "x`'a'`\"", 0), 6u);
  EXPECT_THROW(find('"', "x`'`'\"", 0), ErrorSeek);
  EXPECT_EQ(find('\\', "ab\\\\c", 0), 3u);
  EXPECT_THROW(find('"', "o'brien\"", 0), ErrorSeek);
  EXPECT_EQ(find('"', "o\\'brien\"", 0), 8u);
  EXPECT_THROW(find('"', "abc\\", 0), ErrorSeek);
  EXPECT_THROW(find('"', "abc", 0), ErrorSeek);
  EXPECT_THROW(find('x', "", 0), ErrorSeek);
  // Deeply nested runs must not exhaust the stack.
  std::string balanced;
  for (int i = 0; i < 50000; ++i) balanced += i % 2 ? '`' : '\'';
  EXPECT_THROW(find('"', balanced + "\""), ErrorSeek);
  balanced += std::string(balanced.rbegin(), balanced.rend()) + "\"";
  EXPECT_EQ(find('"', balanced), balanced.size() - 1);
}

TEST(ScanTextTest, StartsWithWordIgnoresCaseAndStaysInTheLine) {
  const std::string line = "YeS";
  EXPECT_TRUE(startsWithWord(line.data(), 0, line.size(), "yes"));
  EXPECT_TRUE(startsWithWord(line.data(), 1, line.size(), "es"));
  EXPECT_FALSE(startsWithWord(line.data(), 1, line.size(), "esx"));
  EXPECT_FALSE(startsWithWord(line.data(), 5, line.size(), "x"));
}

}  // namespace
