#include "base/errors.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ErrorsTest, ComposedMessagesAndTheirStatuses) {
  ErrorGenericFile file("cannot create file %$", std::string("/x/y"));
  EXPECT_STREQ(file.what(), "cannot create file /x/y");
  EXPECT_EQ(file.exitCode(), 2);
  ErrorGenericFile fromText("cannot open %$", "b.txt");
  EXPECT_STREQ(fromText.what(), "cannot open b.txt");
  EXPECT_STREQ(ErrorGeneric("no %$ here").what(), "no %$ here");
  EXPECT_STREQ(ErrorGeneric("gone %$!", std::string()).what(), "gone !");
  EXPECT_EQ(ErrorGenericCommandLine("x").exitCode(), 4);
  EXPECT_EQ(ErrorGeneric("x").exitCode(), 7);
}

TEST(ErrorsTest, RethrowKeepsTheDerivedStatus) {
  try {
    try {
      throw ErrorGenericSyntax("bad");
    } catch (const ErrorGeneric &) {
      throw;
    }
  } catch (const ErrorBase &error) {
    EXPECT_EQ(error.exitCode(), 3);
    EXPECT_STREQ(error.what(), "bad");
  }
}

TEST(ErrorsTest, FixedMessagesAndStatuses) {
  struct Case {
    const ErrorBase &error;
    const char *message;
    int status;
  };
  const Case cases[] = {
      {ErrorSyntaxIgnored(), "bad file format - command ignored", 3},
      {ErrorBadFileFormat(), "bad file format", 3},
      {ErrorGZIO(), "gz I/O error", 2},
      {ErrorRange(), "input out of range", 3},
      {ErrorSeek(), "seek error", 3},
      {ErrorScreenTooSmall(), "screen too small", 8},
      {ErrorBadNCurses(),
       "your ncurses library is bad\nRefer to vok README file for solution", 5},
      {ErrorIORedirect(), "input/output is redirected or piped", 6},
  };
  for (const Case &c : cases) {
    EXPECT_STREQ(c.error.what(), c.message);
    EXPECT_EQ(c.error.exitCode(), c.status) << c.message;
  }
}

}  // namespace
