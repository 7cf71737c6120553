// The alias and function lines, and vokscr sourced through them by real
// shells of both families.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "select/bookmarks.h"
#include "support/run_vok.h"
#include "support/tmux_screen.h"
#include "support/trees.h"

namespace {

TEST(AliasLinesTest, OneLinePerProfileForEveryShellKind) {
  VokRunner vok;
  EXPECT_EQ(vok.run({"-ia"}).out, "alias vok='. /usr/bin/vokscr -p vok';\n");
  EXPECT_EQ(vok.run({"-ic"}).out, "alias vok 'source /usr/bin/vokscr -p vok';\n");
  EXPECT_EQ(vok.run({"-if"}).out, "vok () { . /usr/bin/vokscr -p vok \"$@\" ; };\n");
  EXPECT_EQ(vok.run({"-ias", "/opt/x"}).out, "alias vok='. /opt/x/vokscr -p vok';\n");
  EXPECT_EQ(vok.run({"-ics", "/opt/x/"}).out,
            "alias vok 'source /opt/x//vokscr -p vok';\n");
  EXPECT_EQ(vok.run({"-ifs", "rel"}).out, "vok () { . rel/vokscr -p vok \"$@\" ; };\n");
  EXPECT_EQ(vok.run({"-p", "work", "-ia"}).out,
            "alias work='. /usr/bin/vokscr -p work';\n");

  writeFile(vok.dir().file("vok.conf"), "[work]\n[home]\n");
  VokResult lines = vok.run({"-ia"});
  EXPECT_EQ(lines.status, 0);
  // Loaded quietly: no "loading configuration" line among the aliases.
  EXPECT_EQ(lines.out,
            "alias home='. /usr/bin/vokscr -p home';\n"
            "alias vok='. /usr/bin/vokscr -p vok';\n"
            "alias work='. /usr/bin/vokscr -p work';\n");
  VokResult profiles = vok.run({"--profiles"});
  EXPECT_NE(
      profiles.out.find("\n\nProfiles:\n     *\n     home\n     vok\n     work\n\n"),
      std::string::npos);

  // A profile named like a builtin or keyword of the shell would hide the
  // shell's own: it gets no command, and the user is told. Other names,
  // programs included, become commands.
  writeFile(vok.dir().file("vok.conf"), "[cd]\n[env]\n[if]\n[string]\n[onintr]\n");
  auto told = [](std::initializer_list<const char *> names) {
    std::string text;
    for (const char *name : names)
      text += std::string("vok: profile `") + name +
              "' has the name of a shell builtin or keyword: no command is made for it\n";
    return text;
  };
  for (const auto &[option, err] : {std::pair{"-ia", told({"cd", "if"})},
                                    {"-if", told({"cd", "if"})},
                                    {"-ic", told({"cd", "if", "onintr"})},
                                    {"-ifish", told({"cd", "if", "string"})}}) {
    VokResult result = vok.run({option});
    EXPECT_EQ(result.status, 0) << option;
    EXPECT_EQ(result.err, err) << option;
    EXPECT_NE(result.out.find(" -p env"), std::string::npos) << option << result.out;
  }
}

// The program as installed names vokscr where the install put it: PREFIX/bin
// for the build's prefix, /usr/bin for the package.
TEST(AliasLinesTest, TheShippedProgramNamesItsOwnScript) {
  VokRunner vok;
  const std::string script = std::string(VOK_SHIPPED_SCRIPT_DIR) + "/vokscr";
  VokResult lines = vok.runProgram({VOK_SHIPPED_BINARY, "-ia"});
  EXPECT_EQ(lines.out, "alias vok='. " + script + " -p vok';\n");
  // With the fish functions, the place of the completion (not every prefix
  // is one fish looks in).
  EXPECT_NE(vok.runProgram({VOK_SHIPPED_BINARY, "-ifish"}).out.find(
                "set -a fish_complete_path '" VOK_SHIPPED_FISH_COMPLETIONS "'\n"),
            std::string::npos);
  EXPECT_EQ(vok.run({"-ifish", "x"}).err, "vok: argument not allowed for `-ifish'\n");
}

enum class Family { Posix, Csh, Fish };

struct Shell {
  const char *name;
  std::vector<const char *> flags;  // start-up flags that skip the user's rc files
  const char *install;              // the option whose lines the shell evaluates
  Family family;
  bool csh() const { return family == Family::Csh; }
};

const Shell kShells[] = {
    {"bash", {"--norc", "--noprofile"}, "-ias", Family::Posix},
    {"bash", {"--norc", "--noprofile"}, "-ifs", Family::Posix},
    {"zsh", {"-f"}, "-ias", Family::Posix},
    {"zsh", {"-f"}, "-ifs", Family::Posix},
    {"dash", {}, "-ifs", Family::Posix},
    {"mksh", {}, "-ias", Family::Posix},
    {"mksh", {}, "-ifs", Family::Posix},
    {"tcsh", {"-f"}, "-ics", Family::Csh},
    {"fish", {"--no-config"}, "-ifish", Family::Fish},
};

std::string findShell(const char *name) {
  for (const char *dir : {"/bin", "/usr/bin", "/usr/local/bin"}) {
    std::string path = std::string(dir) + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

// A shell session in a temporary home: `vok` on PATH is the program under
// test (or a stand-in), and vokscr is the repository's.
class ShellSession {
 public:
  explicit ShellSession(const Shell &shell) : shell_(shell) {
    path_ = findShell(shell.name);
    makeDirs(bin());
    vok_.setEnv("PATH", bin() + ":/usr/local/bin:/usr/bin:/bin");
    vok_.setEnv("TMPDIR", tmp());
    vok_.setEnv("VOK_TEMP", std::nullopt);
    makeDirs(tmp());
    useProgram(VOK_BINARY);
  }
  bool available() const { return !path_.empty(); }
  std::string bin() const { return vok_.dir().file("bin"); }
  std::string tmp() const { return vok_.dir().file("tmp"); }
  VokRunner &runner() { return vok_; }

  // Installs from a copy of vokscr in this directory (made below the
  // test's), as the user names it with -ias, -ics or -ifs.
  void useScriptDir(const std::string &name) {
    scriptDir_ = vok_.dir().file(name);
    makeDirs(scriptDir_);
    writeFile(scriptDir_ + "/vokscr", readFile(std::string(VOK_SOURCE_DIR) + "/scripts/vokscr"));
  }

  void useProgram(const std::string &program) {
    unlink((bin() + "/vok").c_str());
    ASSERT_EQ(symlink(program.c_str(), (bin() + "/vok").c_str()), 0);
  }

  // The line that evaluates the installation lines, as the user's start-up
  // file has it. The lines come from the real program even when `vok' is a
  // stand-in; run outside vokscr, it would write the real home's
  // new-directory file. fish has functions of its own, which source no
  // script. The directory reaches the line through a variable; a csh
  // parses a command substitution inside double quotes after putting in
  // the variables, so there the lines go through a file.
  std::string installLine() {
    vok_.setEnv("VOKSCR_DIR", scriptDir_);
    const std::string install =
        "env VOK_TEMP=" + shellQuote(vok_.dir().file("install-newdir")) + " " + VOK_BINARY +
        " " + shell_.install + (shell_.family == Family::Fish ? "" : " \"$VOKSCR_DIR\"");
    if (shell_.family == Family::Fish) return install + " | source";
    const std::string lines = vok_.dir().file("lines");
    if (shell_.csh()) return install + " > " + lines + "; eval \"`cat " + lines + "`\"";
    return "eval \"$(" + install + ")\"";
  }

  // Runs the lines after the installation lines have been evaluated.
  VokResult run(const std::string &body) {
    std::string script;
    if (std::string(shell_.name) == "bash") script = "shopt -s expand_aliases\n";
    script += installLine() + "\n" + body;
    writeFile(vok_.dir().file("script"), script);
    std::vector<std::string> argv{path_};
    for (const char *flag : shell_.flags) argv.emplace_back(flag);
    argv.push_back(vok_.dir().file("script"));
    return vok_.runProgram(argv);
  }

  // The shell, interactive, for a terminal of its own.
  std::string interactiveCommand() const {
    std::vector<std::string> argv{path_};
    for (const char *flag : shell_.flags) argv.emplace_back(flag);
    argv.emplace_back("-i");
    return vok_.programCommandLine(argv);
  }

 private:
  Shell shell_;
  std::string path_;
  VokRunner vok_;
  std::string scriptDir_ = std::string(VOK_SOURCE_DIR) + "/scripts";
};

std::string label(const Shell &shell) {
  return std::string(shell.name) + " " + shell.install;
}
void PrintTo(const Shell &shell, std::ostream *out) { *out << label(shell); }

bool requireShell(const ShellSession &session, const Shell &shell) {
  if (session.available()) return true;
  // CI installs every shell; a missing one there is a failure, not a skip.
  if (getenv("CI")) ADD_FAILURE() << shell.name << " is not installed";
  return false;
}

// Through lines that name vokscr in a directory of awkward name.
TEST(VokscrTest, RunsTheProgramWithEveryArgumentUnchanged) {
  for (const Shell &shell : kShells) {
    ShellSession session(shell);
    if (!requireShell(session, shell)) continue;
    session.useScriptDir("script dir/it's $HOME");
    // The same awkward argument, /x y/'q"*, in each family's quoting.
    const std::string awkward = shell.csh() ? "'/x y/'\"'\"'q\"*'" : "\"/x y/'q\\\"*\"";
    VokResult result = session.run(
        "vok -v\n"
        "vok -ias " +
        awkward +
        "\n"
        "vok -ifs -dash\n"
        "pwd\n"
        "set | grep -c '^vok_'\n");
    const std::string home = session.runner().home();
    EXPECT_EQ(result.out,
              "vok 0.1.0\n"
              R"(alias vok='. '\''/x y/'\''\'\'''\''q"*'\''/vokscr -p vok';)"
              "\nvok () { . -dash/vokscr -p vok \"$@\" ; };\n" +
                  home + "\n0\n")
        << label(shell) << "\n"
        << result.err;
    EXPECT_EQ(result.err, "") << label(shell);
    EXPECT_EQ(readFile(session.tmp()).size(), 0u);
  }
}

// A stand-in for vok that prints its arguments and answers with $FAKEDIR,
// so that the change of directory can be checked for awkward names.
TEST(VokscrTest, ChangesToTheDirectoryInTheNewDirectoryFile) {
  const char *names[] = {"with space", "quote'\"x", "-lead", "trail ",
                         "dollar$HOME", "star*?[x]", "line\nfeed"};
  for (const Shell &shell : kShells) {
    ShellSession session(shell);
    if (!requireShell(session, shell)) continue;
    const std::string fake = session.runner().dir().file("fakevok");
    writeFile(fake,
              "#!/bin/sh\n"
              "printf '<%s>' \"$@\" >&2; echo >&2\n"
              "echo \"$VOK_TEMP\" >> \"$LOG\"\n"
              "printf '%s' \"$FAKEDIR\" > \"$VOK_TEMP\"\n");
    chmod(fake.c_str(), 0755);
    session.useProgram(fake);
    session.runner().setEnv("LOG", session.runner().dir().file("log"));
    for (const char *name : names) {
      // csh cannot hold a line feed in a word (see the hostile names below).
      if (shell.csh() && strchr(name, '\n')) continue;
      const std::string target = session.runner().dir().file(name);
      makeDirs(target);
      session.runner().setEnv("FAKEDIR", target);
      VokResult result = session.run("vok 'a b' '*'\npwd\nvok x\npwd\n");
      EXPECT_EQ(result.out, target + "\n" + target + "\n") << label(shell) << " " << name;
      const char *expectedArgs =
          shell.install == std::string("-ifs") && std::string(shell.name) == "dash"
              ? "<a b><*>\n<x>\n"  // dash's `.' takes no arguments
              : "<-p><vok><a b><*>\n<-p><vok><x>\n";
      EXPECT_EQ(result.err, expectedArgs) << label(shell) << " " << name;
    }
    // Each run had a file of its own, and none is left behind.
    std::string log = readFile(session.runner().dir().file("log"));
    size_t first = log.find('\n');
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(log.substr(0, first),
              log.substr(first + 1, log.find('\n', first + 1) - first - 1))
        << label(shell);
    EXPECT_EQ(system(("test -z \"$(ls -A '" + session.tmp() + "')\"").c_str()), 0)
        << label(shell) << ": temporary files left behind";

    // "." keeps the shell where it is; a VOK_TEMP of the user's is used and kept.
    const std::string own = session.runner().dir().file("own-newdir");
    session.runner().setEnv("FAKEDIR", std::string("."));
    session.runner().setEnv("VOK_TEMP", own);
    VokResult stay = session.run("cd /\nvok\npwd\n");
    EXPECT_EQ(stay.out, "/\n") << label(shell);
    EXPECT_EQ(readFile(own), ".") << label(shell);
  }
}

}  // namespace

namespace {

// The whole loop: the shell evaluates the printed lines, vok PATTERN picks a
// directory and the shell ends up there; again from there moves on.
TEST(VokscrTest, JumpsByPatternInEveryShell) {
  for (const Shell &shell : kShells) {
    ShellSession session(shell);
    if (!requireShell(session, shell)) continue;
    VokRunner &vok = session.runner();
    const std::string t = vok.tree();
    for (const char *dir : {"a b/jumpme", "q'\"x/jumpme", "-lead/jumpme"})
      makeDirs(t + "/" + dir);
    vok.writeConfig("StartDir = \"" + t + "\"\nFuzzySize = 0\nShowNewDir = no\n");
    // Run directly, the program writes the new-directory file: not the home's.
    vok.setEnv("VOK_TEMP", vok.dir().file("scan-newdir"));
    ASSERT_EQ(vok.run({"-rfq"}).status, 0);
    vok.setEnv("VOK_TEMP", std::nullopt);
    VokResult result = session.run(
        "vok jumpme\npwd\nvok jumpme\npwd\nvok jumpme\npwd\nvok jumpme\npwd\n"
        "vok nomatchzz\npwd\n");
    EXPECT_EQ(result.out, t + "/-lead/jumpme\n" + t + "/a b/jumpme\n" + t +
                              "/q'\"x/jumpme\n" + t + "/-lead/jumpme\n" + t +
                              "/-lead/jumpme\n")
        << label(shell) << "\n"
        << result.err;
    EXPECT_EQ(result.err, "vok: cannot find directory matching the string nomatchzz\n")
        << label(shell);
  }
}

}  // namespace

namespace {

// Aliases and functions a user may have for the commands vokscr and the
// fish functions use, each of which would print HOSTILE instead.
std::string hostileDefinitions(Family family) {
  // (`env' is a profile of the test: its command is the script itself.)
  const char *names[] = {"cd", "chdir", "cat", "rm", "mktemp", "sh", "echo", "test"};
  std::string text, aliases;
  for (const char *name : names) {
    const std::string n = name;
    if (family == Family::Csh) {
      // (A csh reaches no builtin past an alias: vokscr uses `chdir'.)
      if (n != "chdir") text += "alias " + n + " 'printf HOSTILE'\n";
    } else if (family == Family::Fish) {
      if (n != "test") text += "function " + n + "; printf HOSTILE; end\n";
    } else {
      // An alias made first would turn the function's definition into its text.
      text += n + " () { printf HOSTILE; }\n";
      aliases += "alias " + n + "='printf HOSTILE'\n";
    }
  }
  return text + aliases;
}

// A profile's own command, one named like a program the script runs, and
// the program's exit status through each shell's command: a bad pattern
// gives 4. Nothing reaches the user's aliases and functions.
TEST(VokscrTest, ProfilesAndExitStatusInEveryShell) {
  for (const Shell &shell : kShells) {
    ShellSession session(shell);
    if (!requireShell(session, shell)) continue;
    VokRunner &vok = session.runner();
    vok.makeTreeDirs("only/here");
    vok.writeConfig("StartDir = \"" + vok.tree() + "\"\nShowNewDir = no\n[work]\n"
                    "ShowNewDir = yes\n[env]\n");
    vok.setEnv("VOK_TEMP", vok.dir().file("scan-newdir"));
    for (const char *profile : {"vok", "work", "env"})
      ASSERT_EQ(vok.run({"-p", profile, "-rfq"}).status, 0);
    vok.setEnv("VOK_TEMP", std::nullopt);
    // A sourced csh script ends with the status of its last command, not
    // the program's.
    const std::string status = shell.csh() ? "" : shell.family == Family::Posix ? "$?" : "$status";
    VokResult result = session.run(hostileDefinitions(shell.family) +
                                   "work here\npwd\nenv only\npwd\nvok //\n"
                                   "printf '%s\\n' " + status + "\n");
    const std::string here = vok.tree() + "/only/here";
    // dash's `.' takes no arguments: every function runs the default profile.
    const bool profiles = std::string(shell.name) != "dash";
    EXPECT_EQ(result.out, (profiles ? "change to " + here + "\n" : "") + here + "\n" +
                              vok.tree() + "/only\n" + (shell.csh() ? "" : "4") + "\n")
        << label(shell) << "\n"
        << result.err;
    EXPECT_EQ(result.err, "vok: invalid search string\n") << label(shell);
  }
}

// A tree of hostile names, end to end: scanned in every mode, jumped into
// through bash and tcsh, bookmarked and read back. Nothing a name spells is
// run, every shell ends where it should, the saved files give the names
// back byte for byte. Each name ends in a marker a pattern finds alone.
// csh cannot hold a line feed in a word, so there the jump to that name
// stays put with a message.
TEST(HostileNamesTest, ScanJumpAndBookmarkThroughShells) {
  const std::vector<std::string> hostile = {"tab\there",
                                            "new\nline",
                                            "cr\rhere",
                                            "back\\slash",
                                            "quote'single",
                                            "dq\"double",
                                            "$(touch PWNED)",
                                            "`touch PWNED`",
                                            "semi;colon && touch PWNED",
                                            "-leading-dash",
                                            "esc\033[2Jx",
                                            "\xe9\xff high",
                                            std::string(248, 'n'),
                                            "star*?[x]",
                                            " spaced ",
                                            "~home"};
  VokRunner vok;
  const std::string t = vok.tree();
  std::vector<std::string> paths;
  for (size_t i = 0; i < hostile.size(); ++i) {
    paths.push_back(t + "/" + hostile[i] + ".zq" + std::to_string(10 + i));
    makeDirs(paths.back());
  }
  writeFile(t + "/file", "x");
  ASSERT_EQ(symlink("loop2", (t + "/loop1").c_str()), 0);
  ASSERT_EQ(symlink("loop1", (t + "/loop2").c_str()), 0);
  ASSERT_EQ(symlink("file", (t + "/tofile").c_str()), 0);
  ASSERT_EQ(symlink("missing", (t + "/dangling").c_str()), 0);
  vok.writeConfig("StartDir = \"" + t + "\"\nFuzzySize = 0\nShowNewDir = no\n");
  vok.setCwd(t);
  for (std::vector<std::string> args :
       {std::vector<std::string>{"-rfq"}, {"-rq"}, {"-rpq", t}}) {
    VokResult result = vok.run(args);
    EXPECT_EQ(result.status, 0) << args[0] << " " << result.err;
    EXPECT_EQ(result.err, "") << args[0];
  }
  // The saved tree gives every name back, and only the directories.
  std::vector<std::string> saved =
      treePaths(savedTreeOf(vok.dir().file("tree.gz")).rootList);
  saved.erase(std::remove(saved.begin(), saved.end(), t), saved.end());
  std::vector<std::string> expected = paths;
  std::sort(saved.begin(), saved.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_TRUE(saved == expected) << saved.size() << " saved";

  for (const Shell &shell : {kShells[0], kShells[7], kShells[8]}) {  // bash, tcsh, fish
    ShellSession session(shell);
    if (!requireShell(session, shell)) continue;
    session.runner().writeConfig(readFile(vok.configFile()));
    writeFile(session.runner().dir().file("tree.gz"),
              readFile(vok.dir().file("tree.gz")));
    std::string script, want, here;
    for (size_t i = 0; i < paths.size(); ++i) {
      script += "vok zq" + std::to_string(10 + i) + "\npwd\n";
      if (!shell.csh() || paths[i].find('\n') == std::string::npos) here = paths[i];
      want += here + "\n";
    }
    VokResult result = session.run(script);
    EXPECT_TRUE(result.out == want) << label(shell) << "\n" << result.out << result.err;
    EXPECT_EQ(result.err.find("line feed") != std::string::npos, shell.csh()) << result.err;
  }
  struct stat status;
  for (const std::string &place : {t, vok.home(), vok.dir().path()})
    EXPECT_NE(stat((place + "/PWNED").c_str(), &status), 0)
        << "a name was run in " << place;

  std::vector<std::string> add = {"-ba"};
  add.insert(add.end(), paths.begin(), paths.end());
  ASSERT_EQ(vok.run(add).status, 0);
  std::vector<std::string> bookmarked;
  for (const Bookmark &entry : readBookmarks(vok.dir().file("bookmarks")))
    bookmarked.push_back(entry.path);
  EXPECT_TRUE(bookmarked == paths) << "the bookmarks read back as written";
}

}  // namespace

namespace {

// Ctrl-C while the program waits for another run's lock, in an interactive
// shell on a terminal: the shell goes on as before, with no file of the run
// left in the temporary directory and none of the script's variables set.
class InterruptTest : public ::testing::TestWithParam<Shell> {};

TEST_P(InterruptTest, AnInterruptedRunLeavesNothingBehind) {
  const Shell &shell = GetParam();
  ShellSession session(shell);
  if (!requireShell(session, shell)) return;
  VokRunner &vok = session.runner();
  vok.makeTreeDirs("a");
  vok.setEnv("VOK_TEMP", vok.dir().file("scan-newdir"));
  ASSERT_EQ(vok.run({"-rfq"}).status, 0);
  vok.setEnv("VOK_TEMP", std::nullopt);
  const int lock = open(vok.dir().file("tree.gz.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const std::string install = session.installLine();
  TmuxScreen screen(vok.dir().path(), 120, 30, session.interactiveCommand());
  screen.literal(install + "\n");
  screen.literal("vok -r\n");
  const auto shows = [](const std::string &text) {
    return [text](const std::vector<std::string> &lines) {
      return std::any_of(lines.begin(), lines.end(), [&](const std::string &line) {
        return line.find(text) != std::string::npos;
      });
    };
  };
  ASSERT_TRUE(screen.waitFor(shows("vok: waiting for another vok"))) << showScreen(screen.capture());
  screen.keys({"C-c"});
  const std::string vars = "set | grep -c '^vok_'", files = "ls -A \"$TMPDIR\" | grep -c '^vok'";
  screen.literal(shell.family == Family::Fish
                     ? "echo vars (" + vars + ") files (" + files + ")\n"
                     : "echo vars `" + vars + "` files `" + files + "`\n");
  EXPECT_TRUE(screen.waitFor(shows("vars 0 files 0"))) << label(shell) << "\n"
                                                         << showScreen(screen.capture());
  close(lock);
}

INSTANTIATE_TEST_SUITE_P(Shells, InterruptTest, ::testing::ValuesIn(kShells),
                         [](const ::testing::TestParamInfo<Shell> &param) {
                           return std::string(param.param.name) + "_" +
                                  (param.param.install + 1);
                         });

}  // namespace
