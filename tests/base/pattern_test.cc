#include "base/pattern.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace {

TEST(PatternTest, ValidationAndLiteral) {
  for (const char *bad : {"/usr", "usr/", "a///b", "/"})
    EXPECT_THROW(validatePattern(bad), ErrorGenericCommandLine) << bad;
  for (const char *good : {"", "a//b", "a/b", "a"})
    EXPECT_NO_THROW(validatePattern(good));
  EXPECT_EQ(patternLiteral("a/b/c"), "c");
  EXPECT_EQ(patternLiteral("abc"), "abc");
}

TEST(PatternTest, DirectoryPartsBecomeAnchoredExpressions) {
  EXPECT_EQ(patternRegex("a/b/c"), ".*a[^/]*/[^/]*b[^/]*/[^/]*$");
  EXPECT_EQ(patternRegex("a//c"), ".*a.*/.*$");
  EXPECT_EQ(patternRegex("x.y/c"), ".*x\\.y[^/]*/[^/]*$");
  EXPECT_EQ(compilePattern("plain"), nullptr);
  PatternRef parent = compilePattern("a/b/c");
  EXPECT_TRUE(matchesPattern(parent, "/home/xa/yb/c"));
  EXPECT_FALSE(matchesPattern(parent, "/home/xa/q/yb/c"));
  EXPECT_FALSE(matchesPattern(parent, "/home/b/a/c"));
  PatternRef ancestor = compilePattern("a//c");
  EXPECT_TRUE(matchesPattern(ancestor, "/a/x/y/c"));
  EXPECT_FALSE(matchesPattern(ancestor, "/x/y/c"));
  EXPECT_TRUE(matchesPattern(nullptr, "/anything"));
}

TEST(PatternTest, LiteralInLastComponent) {
  EXPECT_TRUE(literalInLastComponent("doc", "/a/mydocs"));
  EXPECT_FALSE(literalInLastComponent("doc", "/doc/x"));
  EXPECT_TRUE(literalInLastComponent("", "/x"));
  EXPECT_TRUE(literalInLastComponent("x", "x"));
}

}  // namespace
