// The informational texts and the file names derived from the environment.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/run_vok.h"

namespace {

const char kBanner[] =
    "vok 0.1.0 - Voknav\n"
    "Directory changer for Unix shells, released Dec  9, 2026\n\n";

TEST(InfoTest, VersionIsOneLineWithoutBanner) {
  VokRunner vok;
  VokResult result = vok.run({"-v"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "vok 0.1.0\n");
  EXPECT_EQ(result.err, "");
}

TEST(InfoTest, UsageText) {
  VokRunner vok;
  VokResult result = vok.run({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string(kBanner) +
      "Usage:   vok [-B] [PATTERN] [NUMBER]\n"
      "  or:    vok [OPTION]\n"
      "Available options:\n"
      "     -b [PATTERN]   Display bookmarked directories matching PATTERN\n"
      "                    (default = display all)\n"
      "     -ba [DIR ...]  Bookmark DIR list (default = current directory)\n"
      "     -br [DIR ...]  Remove DIR list bookmark\n"
      "     -B             Use entire tree even a bookmarked match is found\n"
      "     --config       Display current configuration\n"
      "     --configattr   Display current screen attribute configuration\n"
      "     --features     Display features included during compilation\n"
      "     -h, --help     Display this help\n"
      "     --helpinst     Display help about shell alias/function installation\n"
      "     -M             Don't scan directories given by MountDir\n"
      "     -p NAME        Use configuration profile NAME.  If used, this must be\n"
      "                    the first option in the command line\n"
      "     --profiles     Display the list of configuration profile\n"
      "     -r             Rescan directory tree\n"
      "     -rf            Rescan directory tree using full rescan mode\n"
      "     -rp DIR        Rescan part of directory tree beginning at DIR\n"
      "     -rq            Rescan directory tree, do not display progress\n"
      "     -rQ            Rescan directory tree, display progress\n"
      "     -t [DIR]       Display DIR as directory tree (default = current\n"
      "                    directory)\n"
      "     -tr [DIR]      Like -t but rescan directory tree before display\n"
      "     -T             Display full directory tree\n"
      "     -v, --version  Display version number\n\n");
}

TEST(InfoTest, InstallationHelp) {
  VokRunner vok;
  VokResult result = vok.run({"--helpinst"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string(kBanner) +
      "Usage:   eval `vok [OPTION]`\n"
      "Available options:\n"
      "     -ia            Print command for shell alias installation\n"
      "                    (Works with bash, pdksh, zsh)\n"
      "     -ic            Print command for shell alias installation\n"
      "                    (Works with tcsh)\n"
      "     -if            Print command for shell function installation\n"
      "                    (Works with ash)\n"
      "     -ias DIR,      Same as -ia,-ic or -if but use the specified\n"
      "        -ics DIR,   directory\n"
      "        -ifs DIR\n\n");
}

TEST(InfoTest, FeatureList) {
  VokRunner vok;
  VokResult result = vok.run({"--features"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string(kBanner) +
      "     xterm/rxvt resize   : Yes\n"
      "     mouse support       : Yes\n"
      "     default scroll bar  : Yes\n"
      "     UTF-8 support       : No\n"
      "     d_type speedup      : Yes\n"
      "     regular expression  : Yes\n\n");
}

TEST(InfoTest, FailedStandardOutputIsNotSuccess) {
  VokRunner vok;
  // /dev/full accepts the open and fails every write.
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  VokResult result = vok.runWithOutput({"--help"}, "/dev/full");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "vok: error writing to standard output\n");
}

// With VOK_TEMP empty or unset, the new-directory file lies in the home
// directory. The home directory comes from the password entry first, so the
// run must be made as a user that has none (root only).
TEST(InfoTest, DefaultNewDirectoryFileIsInTheHomeDirectory) {
  if (!runningAsRoot()) GTEST_SKIP() << "needs root to run as a user without a password entry";
  VokRunner vok;
  chmod(vok.dir().path().c_str(), 0755);
  ASSERT_EQ(chown(vok.home().c_str(), 54321, 54321), 0);
  vok.setUser(54321, 54321);
  for (std::optional<std::string> value : {std::optional<std::string>(""),
                                           std::optional<std::string>()}) {
    vok.setEnv("VOK_TEMP", value);
    VokResult result = vok.run({"-v"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(vok.home() + "/.vok.newdir"), ".");
    unlink((vok.home() + "/.vok.newdir").c_str());
  }
  vok.setEnv("HOME", std::nullopt);
  VokResult noHome = vok.run({"-v"});
  EXPECT_EQ(noHome.status, 3);
  EXPECT_EQ(noHome.err, "vok: error obtaining the user home directory\n");
  vok.setEnv("HOME", std::string("relative/home"));
  VokResult relative = vok.run({"-v"});
  EXPECT_EQ(relative.status, 3);
  EXPECT_EQ(relative.err, "vok: bad directory `relative/home'\n");
}

TEST(InfoTest, NewDirectoryFileNamedByVokTemp) {
  VokRunner vok;
  const std::string chosen = vok.dir().file("x");
  vok.setEnv("VOK_TEMP", chosen);
  EXPECT_EQ(vok.run({"-v"}).status, 0);
  EXPECT_EQ(readFile(chosen), ".");
}

}  // namespace
