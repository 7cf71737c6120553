// Configuration files as the program reads, reports and displays them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "config/commands.h"
#include "support/run_vok.h"

namespace {

const char kPause[] = "Error found, press Enter key to continue...\n";

struct ConfigRun {
  VokRunner vok;
  std::string confFile() const { return vok.dir().file("vok.conf"); }
  VokResult with(const std::string &conf, const std::vector<std::string> &args) {
    writeFile(confFile(), conf);
    return vok.run(args);
  }
  std::string loading() const {
    return "vok: loading configuration from " + confFile() + "\n";
  }
};

std::string echo(const std::string &line) {
  return "        " + line + "\n     Command ignored\n";
}

std::string valueError(const std::string &message, const std::string &command,
                       const std::string &line) {
  return "vok: " + message + " in `" + command + "' command:\n" + echo(line);
}

const char kDefaultConfig[] =
    "Profile: vok\n"
    "QuietFullScan: No\nQuietSmartScan: No\nQuietPartialScan: No\nAutoScan: No\n"
    "SpaceSelect: Yes\nSortTree: Yes\nCaseSensitiveSort: No\nGraphicChar: Yes\n"
    "ScrollBar: Yes\nGlobDot: No\nGlobPath: No\nKeyBinding: Default\n"
    "ShowNewDir: Multi\nShowListThreshold: 4\nFuzzySize: 10\nMouseScrollRate: 2\n"
    "StartDir: \nSkipDir: \nDefaultTree: \nMountDir: \n";

const char kDefaultAttrs[] =
    "Profile: vok\n"
    "NormalColorAttr: white on default\nNormalBWAttr: normal\n"
    "DirColorAttr: green on default\nDirBWAttr: underline \n"
    "HighlightDirColorAttr: cyan on blue\nHighlightDirBWAttr: reverse \n"
    "SymLinkColorAttr: bold yellow on default\nSymLinkBWAttr: underline bold \n"
    "HighlightSymLinkColorAttr: bold yellow on blue\nHighlightSymLinkAttr: reverse \n"
    "TitleColorAttr: black on cyan\nTitleBWAttr: reverse \n"
    "StatusColorAttr: black on white\nStatusBWAttr: reverse \n"
    "MoreColorAttr: red on default\nMoreBWAttr: bold \n"
    "ScrollArrowColorAttr: bold yellow on blue\nScrollArrowBWAttr: normal\n"
    "ScrollBlockColorAttr: cyan on blue\nScrollBlockBWAttr: reverse \n"
    "ScrollBarColorAttr: blue on cyan\nScrollBarBWAttr: normal\n"
    "DefaultBackground: black \n";

TEST(ConfigDisplayTest, DefaultsWithoutAnyFile) {
  VokRunner vok;
  unlink(vok.configFile().c_str());
  VokResult config = vok.run({"--config"});
  EXPECT_EQ(config.status, 0);
  EXPECT_EQ(config.out, kDefaultConfig);
  EXPECT_EQ(config.err, "");
  VokResult attrs = vok.run({"--configattr"});
  EXPECT_EQ(attrs.out, kDefaultAttrs);
}

// The shipped sample documents every command; loaded unchanged it is the
// built-in defaults, and its commented-out examples are valid lines.
TEST(ConfigDisplayTest, SampleFileIsTheDefaults) {
  const std::string sample = readFile(std::string(VOK_SOURCE_DIR) + "/doc/vok.conf.example");
  ASSERT_FALSE(sample.empty());
  for (size_t i = 0; i < configCommandCount; ++i) {
    const std::regex line("(^|\n)#?" + std::string(configCommands[i].name) + " = ");
    EXPECT_TRUE(std::regex_search(sample, line)) << configCommands[i].name << " is missing";
  }

  ConfigRun run;
  VokResult config = run.with(sample, {"--config"});
  EXPECT_EQ(config.status, 0);
  EXPECT_EQ(config.out, run.loading() + kDefaultConfig);
  EXPECT_EQ(config.err, "");
  VokResult attrs = run.vok.run({"--configattr"});
  EXPECT_EQ(attrs.out, run.loading() + kDefaultAttrs);
  EXPECT_EQ(attrs.err, "");

  // Every "#Command = ..." example and the sample profile, made active.
  std::istringstream lines(sample);
  std::string uncommented, text;
  int examples = 0;
  while (std::getline(lines, text)) {
    if (text.size() > 1 && text[0] == '#' && (isupper(text[1]) || text[1] == '[')) {
      text.erase(0, 1);
      ++examples;
    }
    uncommented += text + "\n";
  }
  EXPECT_GE(examples, 13);
  VokResult active = run.with(uncommented, {"-p", "work", "--config"});
  EXPECT_EQ(active.status, 0);
  EXPECT_EQ(active.err, "");
  EXPECT_NE(active.out.find("KeyBinding: vi\n"), std::string::npos) << active.out;
  EXPECT_NE(active.out.find("StartDir: /srv/projects\n"), std::string::npos) << active.out;
}

TEST(ConfigDisplayTest, StoredSettingsAndListLayout) {
  ConfigRun run;
  makeDirs(run.vok.dir().file("real"));
  ASSERT_EQ(symlink(run.vok.dir().file("real").c_str(), run.vok.dir().file("link").c_str()), 0);
  const std::string link = run.vok.dir().file("link");
  VokResult result = run.with(
      "quietfullscan = YES\n"
      "SortTree = no # trailing comment\n"
      "KeyBinding = emacs\n"
      "Utf8Names = yes\n"
      "ShowNewDir = yes\n"
      "ShowListThreshold = 4294967295\n"
      "FuzzySize = 0#comment right after the digits\n"
      "StartDir = \"/a\"\n"
      "StartDir = \"/b\"\n"
      "StartDir = \"/a\"\n"
      "SkipDir = \"/x/*\", GlobDot = yes,GlobPath=no\n"
      "GlobPath = yes\n"
      "SkipDir = r\"/re.*\"\n"
      "SkipDir = \"/plain\", GlobPath = no\n"
      "SkipDir = \"" + link + "\"\n"
      "MountDir = \"/mnt\" , skip, TREE\n"
      "MountDir = \"/mnt\", all\n"
      "DefaultTree = \"/d\"\n"
      "ScrollBarColorAttr = bold underline red on black\n"
      "ScrollBarBWAttr = blink dim\n"
      "HighlightSymLinkAttr = normal\n"
      "NormalColorAttr = standout white ondefault\n"
      "DefaultBackground = Blue\n",
      {"--config"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, run.loading() +
      "Profile: vok\n"
      "QuietFullScan: Yes\nQuietSmartScan: No\nQuietPartialScan: No\nAutoScan: No\n"
      "SpaceSelect: Yes\nSortTree: No\nCaseSensitiveSort: No\nGraphicChar: Yes\n"
      "ScrollBar: Yes\nGlobDot: No\nGlobPath: Yes\nUtf8Names: Yes\nKeyBinding: emacs\n"
      "ShowNewDir: Yes\nShowListThreshold: 4294967295\nFuzzySize: 0\nMouseScrollRate: 2\n"
      "StartDir: /a\n          /b\n"
      "SkipDir: /x/*   [ GlobDot ]\n"
      "         /re.*   [ Regex ]\n"
      "         /plain\n"
      "         " + run.vok.dir().file("real") + "   [ GlobPath ]\n"
      "DefaultTree: /d\n"
      "MountDir: /mnt  Skip Tree\n");
  VokResult attrs = run.vok.run({"--configattr"});
  EXPECT_NE(attrs.out.find("\nScrollBarColorAttr: underline bold red on black\n"),
            std::string::npos) << attrs.out;
  EXPECT_NE(attrs.out.find("\nScrollBarBWAttr: blink dim \n"), std::string::npos);
  EXPECT_NE(attrs.out.find("\nHighlightSymLinkAttr: normal\n"), std::string::npos);
  EXPECT_NE(attrs.out.find("\nHighlightSymLinkColorAttr: bold yellow on blue\n"),
            std::string::npos);
  EXPECT_NE(attrs.out.find("\nNormalColorAttr: standout white on default\n"),
            std::string::npos);
  EXPECT_NE(attrs.out.find("\nDefaultBackground: blue \n"), std::string::npos);
}

TEST(ConfigDisplayTest, ClearCommands) {
  ConfigRun run;
  VokResult result = run.with(
      "StartDir = \"/a\"\nStartDir = \"/b\"\nStartDir = \"/ab\"\n"
      "ClearStartDir = \"/a*\"\n"
      "SkipDir = \"/s1\"\nSkipDir = r\"/s2.*\"\nSkipDir = \"/t\"\n"
      "ClearSkipDir = r\"/s.*\"\n"
      "MountDir = \"/m1\"\nMountDir = \"/m2\"\nClearMountDir = ALL  \n",
      {"--config"});
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find("StartDir: /b\nSkipDir: /t\nDefaultTree: \nMountDir: \n"),
            std::string::npos) << result.out;
}

struct BadLine {
  std::string line;
  std::string command;
  std::string message;
};

TEST(ConfigErrorsTest, EveryValueErrorIsEchoedAndSkipped) {
  const std::vector<BadLine> cases = {
      {"SortTree", "SortTree", "`=' required"},
      {"SortTree yes", "SortTree", "`=' required"},
      {"sorttree = maybe", "SortTree", "only YES or NO is allowed"},
      {"SortTree = yesterday", "SortTree", "extra characters"},
      {"SortTree = nope", "SortTree", "extra characters"},
      {"FuzzySize = 12 ", "FuzzySize", "non-negative integer required"},
      {"FuzzySize = ", "FuzzySize", "non-negative integer required"},
      {"FuzzySize = -1", "FuzzySize", "non-negative integer required"},
      {"FuzzySize = 4294967296", "FuzzySize", "number out of range"},
      {"FuzzySize = 10000000000", "FuzzySize", "number out of range"},
      {"KeyBinding = nano", "KeyBinding", "invalid attribute"},
      {"KeyBinding = ", "KeyBinding", "invalid attribute"},
      {"KeyBinding = vi x", "KeyBinding", "extra characters"},
      {"ShowNewDir = often", "ShowNewDir", "invalid attribute"},
      {"ShowNewDir = no, x", "ShowNewDir", "extra characters"},
      {"DirColorAttr = white", "DirColorAttr", "invalid value"},
      {"DirColorAttr = default on black", "DirColorAttr", "invalid color"},
      {"DirColorAttr = bold", "DirColorAttr", "invalid attribute"},
      {"DirColorAttr = normal bold white on black", "DirColorAttr", "invalid value"},
      {"DirColorAttr = bold normal white on black", "DirColorAttr", "invalid value"},
      {"DirColorAttr = white over black", "DirColorAttr", "ON required"},
      {"DirColorAttr = white on", "DirColorAttr", "invalid value"},
      {"DirColorAttr = white on pink", "DirColorAttr", "invalid color"},
      {"DirColorAttr = white on black now", "DirColorAttr", "extra characters"},
      {"DirBWAttr = bold purple", "DirBWAttr", "invalid attribute"},
      {"DirBWAttr = ", "DirBWAttr", "invalid attribute"},
      {"DirBWAttr = bold normal", "DirBWAttr", "invalid value"},
      {"DirBWAttr = normal bold", "DirBWAttr", "invalid value"},
      {"DefaultBackground = default", "DefaultBackground", "invalid color"},
      {"DefaultBackground = red green", "DefaultBackground", "extra characters"},
      {"StartDir /a", "StartDir", "`=' required"},
      {"StartDir = /a", "StartDir", "`\"' required"},
      {"StartDir = r\"/a\"", "StartDir", "`\"' required"},
      {"StartDir = \"/a", "StartDir", "`\"' required"},
      {"StartDir = \"/o'brien\"", "StartDir", "`\"' required"},
      {"StartDir = \"\"", "StartDir", "blank entry encountered"},
      {"StartDir = \"/a\" x", "StartDir", "extra characters"},
      {"StartDir = \"relative\"", "StartDir", "bad directory `relative'"},
      {"StartDir = \"/\\x4\"", "StartDir", "bad quoting for directory `/\\x4'"},
      {"StartDir = \"~nobodyhere/x\"", "StartDir",
       "error obtaining home directory for user `nobodyhere'"},
      {"SkipDir = \"/\"", "SkipDir", "cannot skip root directory"},
      {"SkipDir = r\"/\"", "SkipDir", "cannot skip root directory"},
      {"SkipDir = \"//\"", "SkipDir", "cannot skip root directory"},
      {"SkipDir = \"/.\"", "SkipDir", "cannot skip root directory"},
      {"SkipDir = \"/a\" GlobDot=yes", "SkipDir", "comma expected"},
      {"SkipDir = \"/a\", GlobDot=yes ,GlobPath=no", "SkipDir", "comma expected"},
      {"SkipDir = \"/a\", Dots=yes", "SkipDir", "invalid option"},
      {"SkipDir = \"/a\", GlobDot yes", "SkipDir", "`=' required"},
      {"SkipDir = \"/a\", GlobDot = sure", "SkipDir", "only YES or NO is allowed"},
      {"SkipDir = r\"/a\", GlobDot = yes", "SkipDir", "invalid regex option"},
      {"SkipDir = r\"(/a\"", "SkipDir", "invalid regular expression"},
      {"MountDir = \"/m\", sometimes", "MountDir", "invalid option"},
      {"MountDir = \"/m\" skip", "MountDir", "comma expected"},
      {"ClearSkipDir = allx", "ClearSkipDir", "extra characters"},
      {"ClearSkipDir = \"/a\" x", "ClearSkipDir", "extra characters"},
      {"ClearSkipDir = \"\" x", "ClearSkipDir", "extra characters"},
      {"ClearSkipDir = \"\"", "ClearSkipDir", "blank entry encountered"},
      {"ClearMountDir = /m", "ClearMountDir", "`\"' required"},
  };
  for (const BadLine &bad : cases) {
    ConfigRun run;
    // The bad line must change nothing: the entry before it survives.
    VokResult result = run.with("FuzzySize = 7\n" + bad.line + "\n", {"--config"});
    EXPECT_EQ(result.status, 0) << bad.line;
    EXPECT_EQ(result.err, valueError(bad.message, bad.command, bad.line) + kPause)
        << bad.line;
    EXPECT_NE(result.out.find("FuzzySize: 7\n"), std::string::npos) << bad.line;
    EXPECT_NE(result.out.find("StartDir: \nSkipDir: \n"), std::string::npos) << bad.line;
  }
}

TEST(ConfigErrorsTest, CommandNamesMatchLongestFirstAndIgnoreCase) {
  ConfigRun run;
  VokResult result = run.with(
      "scrollbarcolorattr = red on black\n"
      "SCROLLBARBWATTR = bold\n"
      "sortTREE = maybe\n",
      {"--configattr"});
  EXPECT_EQ(result.err, valueError("only YES or NO is allowed", "SortTree",
                                   "sortTREE = maybe") + kPause);
  EXPECT_NE(result.out.find("ScrollBarColorAttr: red on black\nScrollBarBWAttr: bold \n"),
            std::string::npos) << result.out;
  VokResult config = run.vok.run({"--config"});
  EXPECT_NE(config.out.find("ScrollBar: Yes\n"), std::string::npos);
}

TEST(ConfigErrorsTest, UnrecognizedCommandAbortsLoading) {
  ConfigRun run;
  VokResult result = run.with("FuzzySize = 3\nHighlightSymLinkBWAttr = bold\n", {"--config"});
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.out, run.loading());
  EXPECT_EQ(result.err,
            "vok: unrecognized command:\n" + echo("HighlightSymLinkBWAttr = bold") +
                "vok: Error found, program aborted\n");

  // An unknown command in the system-wide file ends the run before the
  // per-user file is read.
  const std::string system = run.vok.dir().file("system.conf");
  writeFile(system, "  Bogus = 1\n");
  run.vok.setEnv("VOK_TEST_SYSTEM_CONFIG", system);
  writeFile(run.confFile(), "FuzzySize = 3\n");
  VokResult early = run.vok.run({"--config"});
  EXPECT_EQ(early.status, 3);
  EXPECT_EQ(early.out, "vok: loading configuration from " + system + "\n");
  EXPECT_EQ(early.err, "vok: unrecognized command:\n" + echo("  Bogus = 1") +
                           "vok: Error found, program aborted\n");
}

TEST(ConfigErrorsTest, SectionHeaders) {
  ConfigRun run;
  VokResult result = run.with(
      "[bad name]\n[]\n[x] y\n[unclosed\n[\"a]\"]\n[ok_1]\n[9lives]\n",
      {"--profiles"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err,
            "vok: invalid characters in profile name\n" + echo("[bad name]") +
            "vok: invalid characters in profile name\n" + echo("[]") +
            "vok: extra characters after profile name\n" + echo("[x] y") +
            "vok: missing `]'\n" + echo("[unclosed") +
            "vok: invalid characters in profile name\n" + echo("[\"a]\"]") +
            "vok: invalid characters in profile name\n" + echo("[9lives]") + kPause);
  EXPECT_NE(result.out.find("Profiles:\n     *\n     ok_1\n     vok\n\n"), std::string::npos)
      << result.out;
}

TEST(ConfigErrorsTest, OddBytesAreEchoedSafely) {
  ConfigRun run;
  VokResult result = run.with(std::string("SortTree = \x01\x80\tno\0x\n", 19) +
                                  "FuzzySize = \"12", {"--config"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err,
            valueError("only YES or NO is allowed", "SortTree", "SortTree = .. no.x") +
            valueError("non-negative integer required", "FuzzySize", "FuzzySize = \"12") +
            kPause);
}

TEST(ConfigErrorsTest, PauseWaitsForEnterButNotForever) {
  ConfigRun run;
  run.vok.setInput("rest of the line\nnext line\n");
  VokResult withInput = run.with("SortTree = x\n", {"--config"});
  EXPECT_EQ(withInput.status, 0);
  EXPECT_NE(withInput.err.find(kPause), std::string::npos);
  run.vok.setInput("");  // standard input at its end at once
  VokResult closed = run.vok.run({"--config"});
  EXPECT_EQ(closed.status, 0);
  EXPECT_EQ(closed.out, run.loading() + kDefaultConfig);
}

TEST(ProfilesTest, SectionsAndTheCommonProfile) {
  ConfigRun run;
  const std::string system = run.vok.dir().file("system.conf");
  writeFile(system, "FuzzySize = 1\n[home]\nFuzzySize = 2\n");
  run.vok.setEnv("VOK_TEST_SYSTEM_CONFIG", system);
  const std::string conf =
      "MouseScrollRate = 5\n"   // goes to "*", not to home
      "[work]\nFuzzySize = 3\n"
      "[*]\nShowListThreshold = 9\n"  // after work was made: not in work
      "[home]\nSortTree = no\n"
      "[work]\nAutoScan = yes\n";
  auto setting = [&](const std::vector<std::string> &args, const std::string &line) {
    VokResult result = run.with(conf, args);
    EXPECT_EQ(result.err, "");
    return result.out.find(line) != std::string::npos;
  };
  EXPECT_TRUE(setting({"--config"}, "FuzzySize: 1\n"));
  EXPECT_TRUE(setting({"--config"}, "MouseScrollRate: 5\n"));
  EXPECT_TRUE(setting({"--config"}, "ShowListThreshold: 9\n"));
  EXPECT_TRUE(setting({"-p", "home", "--config"}, "FuzzySize: 2\n"));
  EXPECT_TRUE(setting({"-p", "home", "--config"}, "MouseScrollRate: 2\n"));
  EXPECT_TRUE(setting({"-p", "home", "--config"}, "SortTree: No\n"));
  EXPECT_TRUE(setting({"-p", "work", "--config"}, "Profile: work\n"));
  EXPECT_TRUE(setting({"-p", "work", "--config"}, "FuzzySize: 3\n"));
  EXPECT_TRUE(setting({"-p", "work", "--config"}, "MouseScrollRate: 5\n"));
  EXPECT_TRUE(setting({"-p", "work", "--config"}, "ShowListThreshold: 4\n"));
  EXPECT_TRUE(setting({"-p", "work", "--config"}, "AutoScan: Yes\n"));
  EXPECT_TRUE(setting({"-p", "other", "--config"}, "Profile: other\n"));
  EXPECT_TRUE(setting({"-p", "other", "--config"}, "ShowListThreshold: 9\n"));

  VokResult profiles = run.vok.run({"--profiles"});
  EXPECT_EQ(profiles.out,
            "vok: loading configuration from " + system + "\n" + run.loading() +
            "vok 0.1.0 - Voknav\n"
            "Directory changer for Unix shells, released Dec  9, 2026\n\n"
            "Profiles:\n     *\n     home\n     vok\n     work\n\n");
}

TEST(StrictConfigTest, FileNamedByVokConfigMustBeAPlainFile) {
  ConfigRun run;
  const std::string target = run.vok.dir().file("target.conf");
  writeFile(target, "FuzzySize = 3\n");
  const std::string conf = run.confFile();
  unlink(conf.c_str());
  auto refused = [&](const std::string &message) {
    VokResult result = run.vok.run({"--config"});
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_EQ(result.err, "vok: " + message + "\n");
    EXPECT_EQ(result.out, "");
  };
  ASSERT_EQ(symlink(target.c_str(), conf.c_str()), 0);
  refused("configuration cannot be a symbolic link");
  unlink(conf.c_str());
  ASSERT_EQ(mkdir(conf.c_str(), 0700), 0);
  refused("configuration file must be a regular file");
  rmdir(conf.c_str());
  ASSERT_EQ(link(target.c_str(), conf.c_str()), 0);
  refused("invalid link count for configuration file");
  unlink(conf.c_str());
  // A missing file is no error, even when VOK_CONFIG names it.
  VokResult missing = run.vok.run({"--config"});
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.out, kDefaultConfig);
}

// The same file reached as ~/.vok.conf is not examined. The home directory
// comes from the password entry, so this runs as a user without one.
TEST(StrictConfigTest, HomeConfigIsNotExamined) {
  if (!runningAsRoot()) GTEST_SKIP() << "needs root to run as a user without a password entry";
  ConfigRun run;
  chmod(run.vok.dir().path().c_str(), 0755);
  ASSERT_EQ(chown(run.vok.home().c_str(), 54321, 54321), 0);
  run.vok.setUser(54321, 54321);
  run.vok.setEnv("VOK_CONFIG", std::string(""));
  run.vok.setEnv("VOK_TEMP", run.vok.home() + "/newdir");
  const std::string target = run.vok.dir().file("target.conf");
  writeFile(target, "FuzzySize = 3\n");
  chmod(target.c_str(), 0644);
  const std::string homeConf = run.vok.home() + "/.vok.conf";
  ASSERT_EQ(symlink(target.c_str(), homeConf.c_str()), 0);
  VokResult result = run.vok.run({"--config"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("vok: loading configuration from " + homeConf + "\n"),
            std::string::npos);
  EXPECT_NE(result.out.find("FuzzySize: 3\n"), std::string::npos);
}

}  // namespace
