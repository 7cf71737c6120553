// vok --complete: the wiring from the command line to the saved tree, the
// lines a shell reads, and what a completion never does.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/run_vok.h"

namespace {

TEST(CompleteTest, WordsToLines) {
  VokRunner vok;
  const std::string t = vok.tree();
  for (const char *d : {"a b", "it's", "*glob", "-dash", "ctl\001x", "tab\tx", "lf\nx"})
    vok.makeTreeDirs(d);
  for (int i = 0; i < 205; ++i) vok.makeTreeDirs("n" + std::to_string(1000 + i));
  ASSERT_EQ(vok.scanTree().status, 0);
  // A configuration with errors is not read: a Tab must never wait for Enter.
  vok.writeConfig("NoSuchCommand = 1\n");
  vok.setInput("");

  std::string many;
  for (int i = 0; i < 200; ++i)
    many += "n" + std::to_string(1000 + i) + "\t" + t + "/n" + std::to_string(1000 + i) + "\n";
  const struct {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"a"}, "a b\t" + t + "/a b\n"},
      {{"it"}, "it's\t" + t + "/it's\n"},
      {{"*"}, "*glob\t" + t + "/*glob\n"},
      {{"c"}, std::string("ctl\001x\t") + t + "/ctl\001x\n"},
      {{"tab"}, ""},   // a name with a tab fits no line
      {{"lf"}, ""},    // nor one with a line feed
      {{"n"}, many + "...\n"},
      {{""}, ""},
      {{"-r"}, "-r\n-rQ\n-rf\n-rfq\n-rp\n-rq\n"},  // an option word
      {{"--", "-d"}, "-dash\t" + t + "/-dash\n"},    // a pattern after "--"
      {{"--"}, "--config\n--configattr\n--features\n--help\n--helpinst\n--profiles\n"
               "--version\n"},
  };
  for (const auto &c : cases) {
    std::vector<std::string> args = {"--complete"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(args.back());
    VokResult r = vok.run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(access(vok.newDirFile().c_str(), F_OK), 0) << "no new-directory file";
  }
  // "-p NAME" may come first, as the profiles' own commands give it.
  EXPECT_EQ(vok.run({"-p", "work", "--complete", "a"}).out, cases[0].out);
}

TEST(CompleteTest, WhatCannotBeAnswered) {
  VokRunner vok;
  vok.makeTreeDirs("alpha");
  ASSERT_EQ(vok.scanTree().status, 0);
  const std::string file = vok.dir().file("tree.gz");
  EXPECT_EQ(vok.run({"--complete"}).status, 4);
  EXPECT_EQ(vok.run({"--complete", "a", "b"}).err,
            "vok: one argument required for `--complete'\n");
  // The bookmarks are read: a file that cannot be read is an error.
  makeDirs(vok.dir().file("bookmarks"));
  VokResult bookmarks = vok.run({"--complete", "a"});
  EXPECT_EQ(bookmarks.status, 2);
  EXPECT_EQ(bookmarks.out, "");
  rmdir(vok.dir().file("bookmarks").c_str());
  writeFile(file, "damaged");
  VokResult damaged = vok.run({"--complete", "a"});
  EXPECT_EQ(damaged.status, 2);
  EXPECT_EQ(damaged.out, "");
  EXPECT_EQ(readFile(file), "damaged") << "never rebuilt";
  unlink(file.c_str());
  VokResult missing = vok.run({"--complete", "a"});
  EXPECT_EQ(missing.err, "vok: cannot read file " + file + "\n");
  EXPECT_NE(access(file.c_str(), F_OK), 0) << "never scanned";
}

}  // namespace
