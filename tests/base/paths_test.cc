#include "base/paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "base/errors.h"
#include "support/temp_dir.h"

namespace {

std::string plain(const std::string &name) { return expandDirName(name, false, false); }
std::string glob(const std::string &name) { return expandDirName(name, true, false); }
std::string regex(const std::string &name) { return expandDirName(name, true, true); }

std::string syntaxError(const std::function<void()> &call) {
  try {
    call();
  } catch (const ErrorGenericSyntax &error) {
    return error.what();
  }
  return "(no error)";
}

std::string realHome() {
  struct passwd *entry = getpwuid(getuid());
  return entry ? entry->pw_dir : getenv("HOME");
}

TEST(ExpandDirNameTest, FoldsSlashesAndDotComponents) {
  EXPECT_EQ(plain("/usr//local/./bin/."), "/usr/local/bin");
  EXPECT_EQ(plain("/."), "/");
  EXPECT_EQ(plain("/./"), "/");
  EXPECT_EQ(plain("//"), "/");
  EXPECT_EQ(plain("/./././a/./."), "/a");
  EXPECT_EQ(plain("/a/../b"), "/a/../b");
  EXPECT_EQ(plain("/a/.b/c."), "/a/.b/c.");
  EXPECT_EQ(plain("/a///"), "/a");
  EXPECT_EQ(plain(""), "");
}

TEST(ExpandDirNameTest, RefusesRelativeNames) {
  EXPECT_EQ(syntaxError([] { plain("src"); }), "bad directory `src'");
  EXPECT_EQ(syntaxError([] { plain("./x"); }), "bad directory `./x'");
  EXPECT_EQ(syntaxError([] { regex("*x"); }), "bad directory `*x'");
  for (bool pattern : {false, true})
    EXPECT_THROW(expandDirName(std::string("\0/x", 3), pattern, false), ErrorGenericSyntax)
        << "a leading NUL byte is no '/'";
  EXPECT_EQ(glob("*/tmp"), "*/tmp");
  EXPECT_EQ(glob("[ab]/x"), "[ab]/x");
  EXPECT_EQ(regex("^/home"), "^/home");
  EXPECT_EQ(regex(".*/x"), ".*/x");
  EXPECT_EQ(regex("(/a|/b)"), "(/a|/b)");
}

TEST(ExpandDirNameTest, HomeDirectories) {
  const std::string home = realHome();
  EXPECT_EQ(plain("~"), home == "/" ? "/" : home);
  EXPECT_EQ(plain("~/src/"), (home == "/" ? "" : home) + "/src");
  struct passwd *root = getpwnam("root");
  ASSERT_NE(root, nullptr);
  const std::string rootHome = root->pw_dir;  // getpw* reuse their storage
  EXPECT_EQ(plain("~root/x"), (rootHome == "/" ? "" : rootHome) + "/x");
  EXPECT_EQ(plain("~root"), rootHome);
  EXPECT_EQ(syntaxError([] { plain("~nobodyhere/x"); }),
            "error obtaining home directory for user `nobodyhere'");
  // In pattern mode the user name is unescaped before the look-up.
  EXPECT_EQ(glob("~\\x72oot"), escapeGlob(rootHome));
  EXPECT_EQ(syntaxError([] { glob("~ro\\x7"); }), "bad quoting for directory `ro\\x7'");
}

TEST(ExpandDirNameTest, PatternModeEscapes) {
  EXPECT_EQ(glob("/\\x41BC"), "/ABC");
  EXPECT_EQ(glob("/a\\\"b"), "/a\"b");
  EXPECT_EQ(glob("/a\\*b"), "/a\\*b");
  EXPECT_EQ(syntaxError([] { glob("/\\x4"); }), "bad quoting for directory `/\\x4'");
  EXPECT_EQ(syntaxError([] { glob("~/\\xZZ"); }), "bad quoting for directory `/\\xZZ'");
  EXPECT_EQ(regex("/usr/\\./bin"), "/usr/bin");
  EXPECT_EQ(regex("/usr/\\."), "/usr");
  EXPECT_EQ(regex("/usr/./bin"), "/usr/./bin");
  // Plain mode takes backslashes literally.
  EXPECT_EQ(plain("/\\x41"), "/\\x41");
}

// The home directory comes from the password entry; a user without one
// falls back to HOME. Runs in a child that becomes such a user (root only).
TEST(ExpandDirNameTest, HomeWithSpecialCharactersMatchesLiterally) {
  if (!runningAsRoot()) GTEST_SKIP() << "needs root to become a user without a password entry";
  EXPECT_EXIT(
      {
        if (setgid(54321) != 0 || setuid(54321) != 0) _exit(2);
        setenv("HOME", "/home/a*b", 1);
        bool ok = glob("~/a*") == "/home/a\\*b/a*" &&
                  regex("~/x") == "/home/a\\*b/x" && plain("~") == "/home/a*b";
        unsetenv("HOME");
        bool noHome = syntaxError([] { plain("~"); }) ==
                      "error obtaining the user home directory";
        _exit(ok && noHome ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(UnescapePatternTest, Escapes) {
  EXPECT_EQ(unescapePattern("a\\x2a\\x2A"), "a**");
  EXPECT_EQ(unescapePattern("end\\"), "end");
  EXPECT_EQ(unescapePattern("\\\\"), "\\\\");
  EXPECT_EQ(unescapePattern("\\*"), "\\*");
  EXPECT_EQ(unescapePattern("\\\""), "\"");
  EXPECT_THROW(unescapePattern("\\x"), ErrorRange);
  EXPECT_THROW(unescapePattern("\\x4"), ErrorRange);
  EXPECT_THROW(unescapePattern("\\xg0"), ErrorRange);
}

TEST(EscapeTest, GlobAndRegexSpecials) {
  EXPECT_EQ(escapeGlob("a*?[]\\b.^"), "a\\*\\?\\[\\]\\\\b.^");
  EXPECT_EQ(escapeRegex("^.[]$()|*+?{}\\x"), "\\^\\.\\[\\]\\$\\(\\)\\|\\*\\+\\?\\{\\}\\\\x");
}

TEST(ParseUnsignedTest, DigitsUpToTheTerminator) {
  EXPECT_EQ(parseUnsigned("007", '\0'), 7u);
  EXPECT_EQ(parseUnsigned("4294967295", '\0'), 4294967295u);
  EXPECT_EQ(parseUnsigned("65;", ';'), 65u);
  EXPECT_EQ(parseUnsigned("0", '\0'), 0u);
  for (const char *bad : {"4294967296", "99999999999999999999", "12a", "", "-1", "+1", " 1"})
    EXPECT_THROW(parseUnsigned(bad, '\0'), ErrorRange) << bad;
  EXPECT_THROW(parseUnsigned("65", ';'), ErrorRange);
  EXPECT_THROW(parseUnsigned(";", ';'), ErrorRange);
}

TEST(PathsTest, MakeAbsolute) {
  EXPECT_EQ(makeAbsolute("x", "/w"), "/w/x");
  EXPECT_EQ(makeAbsolute("~x", "/w"), "~x");
  EXPECT_EQ(makeAbsolute("/y", "/w"), "/y");
  EXPECT_EQ(makeAbsolute("", "/w"), "");
}

TEST(PathsTest, CurrentDirAndLinks) {
  ScopedTempDir temp;
  ASSERT_EQ(chdir(temp.path().c_str()), 0);
  EXPECT_EQ(getCurrentDir(), temp.path());
  ASSERT_EQ(symlink("some/target", temp.file("link").c_str()), 0);
  EXPECT_EQ(readLinkTarget(temp.file("link")), "some/target");
  EXPECT_EQ(readLinkTarget(temp.path()), "");
  EXPECT_EQ(readLinkTarget(temp.file("missing")), "");

  // A working directory whose path is longer than 1023 bytes is unknown.
  const std::string part(200, 'd');
  size_t length = temp.path().size();
  while (length <= 1100) {
    ASSERT_EQ(mkdir(part.c_str(), 0700), 0);
    ASSERT_EQ(chdir(part.c_str()), 0);
    length += part.size() + 1;
  }
  EXPECT_EQ(getCurrentDir(), "");
}

TEST(UnescapeEntryTest, BackslashesMakeBytesLiteral) {
  EXPECT_EQ(unescapeEntry("/a\\*b"), "/a*b");
  EXPECT_EQ(unescapeEntry("/\\x41\\x6a"), "/Aj");
  EXPECT_EQ(unescapeEntry("/a\\\\b"), "/a\\b");
  EXPECT_EQ(unescapeEntry("/end\\"), "/end");
  EXPECT_EQ(unescapeEntry(""), "");
  for (const char *bad : {"/\\x", "/\\x4", "/\\xZZ", "/\\x4g"})
    EXPECT_THROW(unescapeEntry(bad), ErrorRange) << bad;
}

}  // namespace
