// The option loop, start-up and failure handling, seen from outside.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/run_vok.h"

namespace {

struct ErrorCase {
  std::vector<std::string> args;
  std::string message;
};

void expectCommandLineErrors(const VokRunner &vok, const std::vector<ErrorCase> &cases) {
  for (const ErrorCase &c : cases) {
    std::string shown;
    for (const auto &a : c.args) shown += "[" + a + "]";
    VokResult result = vok.run(c.args);
    EXPECT_EQ(result.status, 4) << shown;
    EXPECT_EQ(result.err, "vok: " + c.message + "\n") << shown;
    // -r and -tr load the configuration aloud before their checks.
    const std::string loading =
        "vok: loading configuration from " + vok.configFile() + "\n";
    const bool loud = c.args[0].compare(0, 2, "-r") == 0 || c.args[0] == "-tr";
    EXPECT_TRUE(result.out.empty() || (loud && result.out == loading))
        << shown << result.out;
    EXPECT_EQ(result.newDir, ".") << shown;
  }
}

TEST(DriverTest, OptionErrors) {
  VokRunner vok;
  expectCommandLineErrors(vok, {
      {{"-ia", "extra"}, "argument not allowed for `-ia'"},
      {{"-ic", "x"}, "argument not allowed for `-ic'"},
      {{"-if", "x", "y"}, "argument not allowed for `-if'"},
      {{"-iau"}, "user-specific installation deprecated"},
      {{"-icu"}, "user-specific installation deprecated"},
      {{"-ifu", "x"}, "user-specific installation deprecated"},
      {{"-ias"}, "one argument required for `-ias'"},
      {{"-ics", "a", "b"}, "one argument required for `-ics'"},
      {{"-ifs"}, "one argument required for `-ifs'"},
      {{"-B", "-p", "x"}, "`-p' must be the first option used"},
      {{"-p"}, "one argument required for `-p'"},
      {{"-p", "*"}, "`*' profile not allowed in command line"},
      {{"-p", "a", "-p", "b"}, "`-p' must be the first option used"},
      {{"-b", "a", "b"}, "too many arguments for `-b'"},
      {{"-t", "a", "b"}, "too many arguments for `-t'"},
      {{"-tr", "a", "b"}, "too many arguments for `-tr'"},
      {{"-T", "a"}, "argument not allowed for `-T'"},
      {{"-rx"}, "unknown specifier for `-r' option"},
      {{"-rqfz"}, "unknown specifier for `-r' option"},
      {{"-rp"}, "argument required for `-rp'"},
      {{"-rpp", "a"}, "`-rpp' not allowed"},
      {{"-rp", ""}, "argument for `-rp' cannot be empty"},
      {{"-x"}, "unknown option"},
      {{"--help-me"}, "unknown option"},
      {{"-"}, "unknown option"},
      {{"-r", "src"}, "too many arguments"},
      {{"-rp", "a", "src"}, "too many arguments"},
      {{"src", "2", "x"}, "too many arguments"},
      {{"src", "0"}, "invalid match number"},
      {{"src", "2x"}, "invalid match number"},
      {{"src", ""}, "invalid match number"},
      {{"src", "-B"}, "invalid match number"},
      {{"src", "4294967296"}, "invalid match number"},
      {{"--", "a", "b", "c"}, "too many arguments"},
      {{"-r", "--", "src"}, "too many arguments"},
      {{"--", "-src", "-1"}, "invalid match number"},
  });
}

TEST(DriverTest, InformationalOptionsIgnoreWhatFollows) {
  VokRunner vok;
  VokResult help = vok.run({"-h", "-x", "anything"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage:   vok [-B] [PATTERN] [NUMBER]\n"), std::string::npos);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(vok.run({"--version", "-x"}).out, "vok 0.1.0\n");
  // -p must be first, but an informational option after it still works.
  VokResult withProfile = vok.run({"-p", "work", "-v"});
  EXPECT_EQ(withProfile.status, 0);
  EXPECT_EQ(withProfile.out, "vok 0.1.0\n");
}

TEST(DriverTest, IfsIsCheckedBeforeAnythingIsWritten) {
  VokRunner vok;
  vok.setEnv("IFS", ":");
  VokResult bad = vok.run({"-v"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "vok: invalid IFS environment variable setting\n");
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.newDir, "") << "the new-directory file must not be touched";
  for (const char *good : {"", " x", "\tx", " \t\n"}) {
    vok.setEnv("IFS", std::string(good));
    VokResult ok = vok.run({"-v"});
    EXPECT_EQ(ok.status, 0) << "IFS=[" << good << "]";
    EXPECT_EQ(ok.newDir, ".");
  }
}

TEST(DriverTest, NewDirectoryFileIsResetOnEveryRun) {
  VokRunner vok;
  writeFile(vok.newDirFile(), "/some/old/answer");
  VokResult version = vok.run({"-v"});
  EXPECT_EQ(version.newDir, ".");
  // Errors in the options leave the "." too.
  EXPECT_EQ(vok.run({"-zz"}).newDir, ".");
}

TEST(DriverTest, UncreatableNewDirectoryFileFailsEveryInvocation) {
  VokRunner vok;
  // A missing directory, a directory where the file should be (which every
  // user, root too, fails to open for writing) and, where permissions bite,
  // a directory the user may not write. Each test run removes the file
  // first, so none of them can be a plain file.
  std::vector<std::string> uncreatable = {vok.dir().file("no/such/dir/newdir"),
                                          vok.dir().file("a-directory")};
  makeDirs(uncreatable[1]);
  if (!runningAsRoot()) {
    makeDirs(vok.dir().file("locked"));
    chmod(vok.dir().file("locked").c_str(), 0500);
    uncreatable.push_back(vok.dir().file("locked/newdir"));
  }
  for (const std::string &file : uncreatable) {
    vok.setEnv("VOK_TEMP", file);
    for (std::vector<std::string> args : {std::vector<std::string>{"--version"},
                                          {"-h"}, {"-zz"}, {"src"}}) {
      VokResult result = vok.run(args);
      EXPECT_EQ(result.status, 2) << args[0] << " " << file;
      EXPECT_EQ(result.err, "vok: cannot create file " + file + "\n");
      EXPECT_EQ(result.out, "");
    }
  }
  chmod(vok.dir().file("locked").c_str(), 0700);
}

// Standard input and output are pipes here: every display refuses to start
// (before any curses call, so nothing reaches the pipe) and the shell stays.
TEST(DriverTest, DisplaysNeedATerminal) {
  VokRunner vok;
  for (std::vector<std::string> args :
       {std::vector<std::string>{}, {"-T"}, {"-t"}, {"-tr"}, {"-B", "-M"}, {"-b"}, {"--"}}) {
    if (args == std::vector<std::string>{"-b"}) {
      ASSERT_EQ(vok.run({"-ba", vok.tree()}).status, 0);
    }
    VokResult result = vok.run(args);
    EXPECT_EQ(result.status, 6) << args.size();
    EXPECT_EQ(result.err, "vok: input/output is redirected or piped\n");
    EXPECT_EQ(result.out.find('\033'), std::string::npos) << "no terminal codes";
    EXPECT_EQ(result.newDir, ".");
  }
}

TEST(DriverTest, ValidOptionCombinationsReachTheirAction) {
  VokRunner vok;
  // Each of these passes every option check and reaches its action.
  makeDirs(vok.tree() + "/src");
  for (std::vector<std::string> args :
       {std::vector<std::string>{"-B", "-M", "src", "1"}, {"-p", "**", "src"},
        {"-b", "x"}, {"src", "001"}}) {
    VokResult result = vok.run(args);
    EXPECT_NE(result.status, 4) << args[0] << " " << result.err;
    EXPECT_EQ(result.err.find("vok: invalid match number"), std::string::npos);
  }
  // Rescan options accumulate; these all scan the test's tree.
  makeDirs(vok.tree() + "/a");
  makeDirs(vok.tree() + "/b");
  vok.setCwd(vok.tree());
  for (std::vector<std::string> args :
       {std::vector<std::string>{"-rq", "-rQ"}, {"-rp", "a", "-rp", "b"},
        {"-rqp", vok.tree()}, {"-rfq"}}) {
    VokResult result = vok.run(args);
    EXPECT_EQ(result.status, 0) << args[0] << " " << result.err;
  }
}

TEST(DriverTest, MultiplePartialRescansNeedTheCurrentDirectory) {
  VokRunner vok;
  const std::string gone = vok.dir().file("gone");
  makeDirs(gone);
  ASSERT_EQ(vok.run({"-rfq"}).status, 0);  // no rebuild below, which would read it all
  vok.setCwd(gone);
  vok.removeCwdBeforeRun();
  // One partial rescan is accepted: it fails only when it looks for `a'.
  VokResult one = vok.run({"-rp", "a"});
  EXPECT_EQ(one.status, 4) << one.err;
  EXPECT_EQ(one.err, "vok: cannot scan directory a\n");
  makeDirs(gone);
  VokResult two = vok.run({"-rp", "a", "-rp", "b"});
  EXPECT_EQ(two.status, 4);
  EXPECT_EQ(two.err,
            "vok: multiple `-rp' not allowed when current directory cannot be determined\n");
}

}  // namespace
