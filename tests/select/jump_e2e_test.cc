// vok PATTERN [NUMBER] and the bookmark commands on real temporary trees.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/run_vok.h"

namespace {

// How a bookmark file writes a path made only of graphic bytes (the test's
// temporary directory): a backslash before quotes and backslashes.
std::string escape(const std::string &path) {
  std::string out;
  for (char c : path) {
    if (c == '\'' || c == '"' || c == '`' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

class JumpTest : public ::testing::Test {
 protected:
  JumpTest() : t(vok.tree()) {}
  void mk(const std::string &relative) { vok.makeTreeDirs(relative); }
  void scanned(const std::string &extraConfig = "") {
    ASSERT_EQ(vok.scanTree(extraConfig).status, 0);
  }
  // Runs a jump from a directory below the tree ("" for the tree itself).
  VokResult jump(const std::vector<std::string> &args, const std::string &from = "") {
    vok.setCwd(from.empty() ? t : t + "/" + from);
    return vok.run(args);
  }

  VokRunner vok;
  const std::string t;
};

TEST_F(JumpTest, CyclesThroughMatchesAfterTheCurrentDirectory) {
  mk("x/doc");
  mk("x2");
  mk("y/doc");
  scanned();
  VokResult first = jump({"doc"});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.newDir, t + "/x/doc");
  EXPECT_EQ(first.out, "change to " + t + "/x/doc\n");
  EXPECT_EQ(jump({"doc"}, "x/doc").newDir, t + "/y/doc");
  EXPECT_EQ(jump({"doc"}, "y/doc").newDir, t + "/x/doc");
  // x2 lies between the two matches in tree order.
  EXPECT_EQ(jump({"doc"}, "x2").newDir, t + "/y/doc");
}

TEST_F(JumpTest, NumbersAndTheList) {
  mk("x/doc");
  mk("y/doc");
  scanned();
  EXPECT_EQ(jump({"doc", "2"}).newDir, t + "/y/doc");
  EXPECT_EQ(jump({"doc", "1"}, "y/doc").newDir, t + "/x/doc");
  VokResult same = jump({"doc", "2"}, "y/doc");
  EXPECT_EQ(same.out, "no directory change\n");
  EXPECT_EQ(same.newDir, ".");
  // The list needs a terminal; without one it fails before drawing.
  VokResult list = jump({"doc", "3"});
  EXPECT_EQ(list.status, 6);
  EXPECT_EQ(list.err, "vok: input/output is redirected or piped\n");
  EXPECT_EQ(list.newDir, ".");
}

// The rules of the choice are the policy's (its own table); here, that the
// settings reach it.
TEST_F(JumpTest, TheSettingsReachTheChoice) {
  // (Roots are named by their full path, so the literal must not occur in
  // the temporary directory's name.)
  for (const char *d : {"a/qq", "b/qq", "c/qq", "d/qq", "e/qq"}) mk(d);
  scanned();
  EXPECT_EQ(jump({"qq"}).status, 6) << "five matches bring up the list";
  scanned("ShowListThreshold = 5\nShowNewDir = no\n");
  VokResult quiet = jump({"qq"}, "a/qq");
  EXPECT_EQ(quiet.newDir, t + "/b/qq");
  EXPECT_EQ(quiet.out, "");
  scanned("ShowNewDir = yes\n");
  EXPECT_EQ(jump({"qq", "2"}).out, "change to " + t + "/b/qq\n");
}

TEST_F(JumpTest, DirectoryPartsAndApproximateMatches) {
  mk("proj/src");
  mk("other/src");
  mk("sources");
  mk("-lead");
  scanned();
  EXPECT_EQ(jump({"pro/src"}).newDir, t + "/proj/src");
  EXPECT_EQ(jump({"--", "-lea"}).newDir, t + "/-lead") << "-- ends the options";
  EXPECT_EQ(jump({"oth//src"}).newDir, t + "/other/src");
  // Nothing contains "sourcs": the nearest names are offered.
  VokResult fuzzy = jump({"sourcs", "1"});
  EXPECT_EQ(fuzzy.status, 0) << fuzzy.err;
  EXPECT_EQ(fuzzy.newDir, t + "/sources");
  // Nothing near either: a failure, with or without a number, even where
  // the current directory's marker is all the search found.
  for (const char *fuzzySize : {"10", "0"}) {
    scanned(std::string("FuzzySize = ") + fuzzySize + "\n");
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{"qqqqq"}, {"qqqqq", "1"}}) {
      SCOPED_TRACE(std::string("FuzzySize ") + fuzzySize + ", " + args.back());
      VokResult none = jump(args);
      EXPECT_EQ(none.status, 2);
      EXPECT_EQ(none.err, "vok: cannot find directory matching the string qqqqq\n");
      EXPECT_EQ(none.newDir, ".");
    }
  }
  for (const char *bad : {"/src", "src/", "a///b"}) {
    VokResult invalid = jump({bad});
    EXPECT_EQ(invalid.status, 4);
    EXPECT_EQ(invalid.err, "vok: invalid search string\n");
  }
  makeDirs(vok.dir().file("cwd"));
  vok.setCwd(vok.dir().file("cwd"));
  vok.removeCwdBeforeRun();
  VokResult unknown = vok.run({"srx"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "vok: cannot find directory matching the string srx\n");
}

TEST_F(JumpTest, CurrentDirectoryAndVanishedMatches) {
  mk("here");
  mk("a/gone");
  mk("b/gone");
  scanned();
  VokResult stay = jump({"here"}, "here");
  EXPECT_EQ(stay.out, "no directory change\n");
  EXPECT_EQ(stay.newDir, ".");
  ASSERT_EQ(rmdir((t + "/a/gone").c_str()), 0);
  VokResult skip = jump({"gone"});
  EXPECT_EQ(skip.err, "vok: skipping " + t + "/a/gone - directory no longer exist\n");
  EXPECT_EQ(skip.newDir, t + "/b/gone");
  ASSERT_EQ(rmdir((t + "/b/gone").c_str()), 0);
  // With the current directory's marker as the start: no change.
  VokResult marked = jump({"gone"}, "here");
  EXPECT_EQ(marked.status, 0);
  EXPECT_EQ(marked.out, "no directory change\n");
  // Without a current directory the start is a real match: an error.
  vok.setCwd(t + "/here");
  vok.removeCwdBeforeRun();
  VokResult all = vok.run({"gone"});
  EXPECT_EQ(all.status, 2);
  EXPECT_NE(all.err.find("vok: cannot find directory matching the string gone\n"),
            std::string::npos);
}

TEST_F(JumpTest, BookmarksComeFirst) {
  mk("a/doc");
  mk("b/doc");
  mk("c/doc");
  mk("my dir/q\"uote");
  scanned();
  vok.setCwd(t);
  VokResult added = vok.run({"-ba", "c/doc", t + "/my dir/q\"uote", "", "not/there"});
  EXPECT_EQ(added.err, "vok: cannot find " + t + "/not/there in saved directory tree\n");
  EXPECT_EQ(readFile(vok.dir().file("bookmarks")),
            escape(t) + "/c/doc\n" + escape(t) + "/my\\x20dir/q\\\"uote\n");
  VokResult twice = vok.run({"-ba", "c/doc"});
  EXPECT_EQ(twice.err, "vok: directory " + t + "/c/doc already bookmarked\n");

  EXPECT_EQ(jump({"doc"}).newDir, t + "/c/doc") << "the bookmark wins";
  EXPECT_EQ(jump({"-B", "doc"}).newDir, t + "/a/doc") << "-B searches the tree";
  EXPECT_EQ(jump({"uote"}).newDir, t + "/my dir/q\"uote") << "the escapes round-trip";
  // From above the start directory, which becomes a root of its own that
  // holds the start directory, the bookmark still wins.
  vok.setCwd(vok.dir().path());
  EXPECT_EQ(vok.run({"doc"}).newDir, t + "/c/doc") << "from a directory holding the tree";

  ASSERT_EQ(vok.run({"-br", t + "/c/doc"}).status, 0);
  EXPECT_EQ(readFile(vok.dir().file("bookmarks")), escape(t) + "/my\\x20dir/q\\\"uote\n");
}

// -t of what cannot be shown says why and ends with status 2: no display
// (which would send the shell nowhere), the shell stays, whether or not
// the saved tree has the directory. As root, where
// permissions do not bite, vok runs as another user.
TEST_F(JumpTest, TreesThatCannotBeShown) {
  mk("closed");
  scanned();
  const std::string file = vok.dir().file("file"), closed = vok.dir().file("closed");
  const std::string closedInside = t + "/closed";  // in the saved tree
  writeFile(file, "x");
  makeDirs(closed);
  chmod(closed.c_str(), 0);
  chmod(closedInside.c_str(), 0);
  if (runningAsRoot()) {
    chmod(vok.dir().path().c_str(), 0755);
    ASSERT_EQ(system(("chown -R 54321:54321 " + shellQuote(vok.dir().path())).c_str()),
              0);
    vok.setUser(54321, 54321);
  }
  const std::pair<std::string, std::string> cases[] = {
      {"/nonexistent", "vok: cannot find directory /nonexistent.  Command ignored\n"},
      {file, "vok: " + file + " is not a directory.  Command ignored\n"},
      {closed, "vok: cannot change to directory " + closed + " - Permission denied\n"},
      {closedInside,
       "vok: cannot change to directory " + closedInside + " - Permission denied\n"},
  };
  for (const auto &c : cases) {
    VokResult result = vok.run({"-t", c.first});
    EXPECT_EQ(result.status, 2) << c.first;
    EXPECT_EQ(result.err, c.second);
    EXPECT_EQ(result.newDir, ".");
  }
}

// Lines the program cannot use, and lines written by hand that it can,
// stay in their place as written through every rewrite; the lines it cannot
// use are named once on standard error by every command that reads them;
// the good lines, the last without its newline, still work. A directory
// that cannot be added or removed is named too, after every other has
// been handled, and the command fails.
TEST_F(JumpTest, BookmarkLinesNotUsedAreKeptInPlace) {
  for (const char *d : {"good", "last", "new"}) mk(d);
  scanned();
  const std::string file = vok.dir().file("bookmarks");
  const std::string bad = "relative/path\n~nosuchuser/a\n/bad\\x4\n";
  const std::string good = escape(t) + "/good\n", last = escape(t) + "/last";
  // Usable as written, used as the names they stand for: a home, a "..",
  // an escape of a byte that needs none, and a directory the tree lost.
  const std::string byHand = "~/x\n" + t + "/new/../good\n" + t + "/l\\ast\n" + t + "/gone\n";
  const std::string before = bad + byHand + good + last;
  const std::string notFound = " in saved directory tree\n";
  const struct {
    std::vector<std::string> args;
    std::string after;  // the file afterwards
    int status;
    std::string said;   // besides the lines not used
  } rows[] = {
      {{"-ba", t + "/new"}, before + "\n" + escape(t) + "/new\n", 0, ""},
      {{"-br", t + "/good"}, bad + byHand + last + "\n", 0, ""},
      {{"-br", t + "/gone"}, bad + "~/x\n" + t + "/new/../good\n" + t + "/l\\ast\n" + good + last + "\n", 0, ""},
      {{"-ba", "relative/path"}, before + "\n", 2, "vok: cannot find " + t + "/good/relative/path" + notFound},
      {{"-ba", "/nonexistent", t + "/new", "/etc/passwd"}, before + "\n" + escape(t) + "/new\n", 2,
       "vok: cannot find /nonexistent" + notFound + "vok: cannot find /etc/passwd" + notFound},
      {{"-br", "/nowhere"}, before + "\n", 2, "vok: cannot find /nowhere" + notFound},
      {{"last"}, before, 0, ""},  // a jump rewrites nothing
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.args[0] + " " + row.args.back());
    writeFile(file, before);
    VokResult result = jump(row.args, "good");
    EXPECT_EQ(result.status, row.status) << result.err;
    EXPECT_EQ(readFile(file), row.after);
    std::string err = result.err;
    for (const std::string warning :
         {", line 1: bad directory `relative/path'",
          ", line 2: error obtaining home directory", ", line 3: malformed \\x escape"}) {
      const std::string line = "vok: " + file + warning;
      const size_t at = err.find(line);
      ASSERT_NE(at, std::string::npos) << warning;
      EXPECT_EQ(err.find(line, at + 1), std::string::npos) << "said once";
      err.erase(at, err.find('\n', at) + 1 - at);
    }
    EXPECT_EQ(err, row.said);
  }
  EXPECT_EQ(jump({"last"}, "good").newDir, t + "/last");
}

}  // namespace
