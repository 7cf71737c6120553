// Rescans of real temporary trees through the program, and the saved tree
// file they leave behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "support/run_vok.h"
#include "support/trees.h"
#include "tree/dir_tree.h"
#include "tree/tree_file.h"

namespace {

std::string savedTree(const std::string &file) {
  if (inflatedImage(file).empty()) return "(no file)";
  return describeTree(savedTreeOf(file).rootList);
}

class ScanTest : public ::testing::Test {
 protected:
  ScanTest() : t(vok.tree()), treeFile(vok.dir().file("tree.gz")) {}
  // Standard output without the "loading configuration" line.
  VokResult scan(const std::vector<std::string> &args) {
    VokResult result = vok.run(args);
    const std::string loading =
        "vok: loading configuration from " + vok.configFile() + "\n";
    if (result.out.compare(0, loading.size(), loading) == 0)
      result.out.erase(0, loading.size());
    // The duration depends on the machine; a test tree takes no time.
    result.out = std::regex_replace(result.out, std::regex("Time spent: 00:0[0-9] "),
                                    "Time spent: 00:00 ");
    return result;
  }
  std::string saved() const { return savedTree(treeFile); }
  void mk(const std::string &relative) { vok.makeTreeDirs(relative); }

  VokRunner vok;
  const std::string t;
  const std::string treeFile;
};

TEST_F(ScanTest, FullScanReportsEveryDirectoryAndSavesTheTree) {
  mk("b/inner");
  mk("a");
  writeFile(t + "/a/file", "not a directory");
  ASSERT_EQ(symlink("b", (t + "/lb").c_str()), 0);
  ASSERT_EQ(symlink("/", (t + "/out").c_str()), 0);
  ASSERT_EQ(symlink("missing", (t + "/dangling").c_str()), 0);
  VokResult result = scan({"-rf"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  // Progress follows the directory's own order; the saved tree is sorted.
  std::string out = result.out;
  for (const char *line : {"/a\n", "/b\n", "/b/inner\n", "/lb\n", "/out\n"})
    EXPECT_NE(out.find(t + line), std::string::npos) << line;
  EXPECT_EQ(out.find("dangling"), std::string::npos);
  EXPECT_EQ(out.compare(0, t.size() + 1, t + "\n"), 0);
  EXPECT_NE(out.find("\nResolving symbolic links\nTime spent: 00:00 (full scan mode)\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(saved(), t + "\n" + t + "/a\n" + t + "/b\n" + t + "/b/inner\n" + t +
                         "/lb -> 0\n" + t + "/out -> 1\n");
}

TEST_F(ScanTest, MissingTreeFileIsRebuiltOnceBySmartScan) {
  mk("x");
  VokResult result = scan({"-r"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "vok: cannot find " + treeFile + ", file will be rebuilt\n" + t +
                            "\n" + t +
                            "/x\nResolving symbolic links\n"
                            "Time spent: 00:00 (full scan mode)\n");
  writeFile(treeFile, "");
  VokResult empty = scan({"-r"});
  EXPECT_EQ(empty.out.rfind(
                "vok: " + treeFile + " is empty, file will be rebuilt\n" + t + "\n", 0),
            0u)
      << empty.out;
}

TEST_F(ScanTest, QuietSettingsAndTheirOverride) {
  mk("x");
  vok.writeConfig("StartDir = \"" + t +
                  "\"\nQuietFullScan = yes\nQuietSmartScan = yes\n");
  EXPECT_EQ(scan({"-rf"}).out, "Time spent: 00:00 (full scan mode)\n");
  EXPECT_EQ(scan({"-r"}).out, "Time spent: 00:00 (smart scan mode)\n");
  EXPECT_EQ(scan({"-rQ"}).out, t + "\n" + t +
                                   "/x\nResolving symbolic links\n"
                                   "Time spent: 00:00 (smart scan mode)\n");
  EXPECT_EQ(scan({"-rQ", "-rq"}).out, "Time spent: 00:00 (smart scan mode)\n");
  vok.writeConfig("StartDir = \"" + t + "\"\n");
  EXPECT_EQ(scan({"-rfq"}).out, "Time spent: 00:00 (full scan mode)\n");
}

TEST_F(ScanTest, SmartScanFollowsChanges) {
  mk("keep/deep/er");
  mk("old/sub");
  mk("becomes_link/sub");
  mk("skipped/sub");
  vok.writeConfig("StartDir = \"" + t + "\"\nSkipDir = \"" + t + "/skipped\"\n");
  ASSERT_EQ(scan({"-rfq"}).status, 0);
  EXPECT_NE(saved().find(t + "/skipped [skipped]\n"), std::string::npos);

  mk("keep/deep/er/new/newer");
  ASSERT_EQ(rename((t + "/old").c_str(), (t + "/renamed").c_str()), 0);
  ASSERT_EQ(system(("rm -r '" + t + "/becomes_link'").c_str()), 0);
  ASSERT_EQ(symlink("keep", (t + "/becomes_link").c_str()), 0);
  vok.writeConfig("StartDir = \"" + t + "\"\n");  // skipped is no longer skipped
  VokResult result = scan({"-r"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(saved(), t + "\n" + t + "/becomes_link -> 0\n" + t + "/keep\n" + t +
                         "/keep/deep\n" + t + "/keep/deep/er\n" + t +
                         "/keep/deep/er/new\n" + t + "/keep/deep/er/new/newer\n" + t +
                         "/renamed\n" + t + "/renamed/sub\n" + t + "/skipped\n" + t +
                         "/skipped/sub\n");
}

// A directory the user may not search cannot be entered; one it may search
// but not read cannot be listed. As root, where permissions do not bite,
// the scan runs as another user.
TEST_F(ScanTest, UnreadableDirectoriesStayUnreadableUntilTheyChange) {
  mk("closed/sub");
  mk("listless/sub");
  if (runningAsRoot()) {
    const std::string top = vok.dir().path();
    chmod(top.c_str(), 0755);
    ASSERT_EQ(system(("chown -R 54321:54321 " + shellQuote(top)).c_str()), 0);
    vok.setUser(54321, 54321);
  }
  chmod((t + "/closed").c_str(), 0);
  chmod((t + "/listless").c_str(), 0311);
  for (const char *option : {"-rfq", "-rq"}) {
    VokResult result = scan({option});
    EXPECT_EQ(result.status, 0) << option << " " << result.err;
    EXPECT_EQ(result.err, "") << "permission denied is not reported";
    EXPECT_NE(saved().find(t + "/closed [unreadable]\n" + t + "/listless [unreadable]\n"),
              std::string::npos) << "and neither has children";
  }
  const DirTree tree = savedTreeOf(treeFile);
  ASSERT_EQ(tree.rootList.size(), 1u);
  const DirNodeList &children = tree.rootList[0]->children;
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0]->unreadableState, ReadCannotEnter);
  EXPECT_EQ(children[1]->unreadableState, ReadCannotList);
  chmod((t + "/closed").c_str(), 0755);
  EXPECT_NE(saved().find(t + "/closed [unreadable]\n"), std::string::npos);
}

TEST_F(ScanTest, PartialScans) {
  mk("a/b");
  mk("c");
  ASSERT_EQ(scan({"-rfq"}).status, 0);
  mk("a/b/new");
  mk("c/other");
  vok.setCwd(t);
  VokResult result = scan({"-rp", "a"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            t + "/a\n" + t + "/a/b\n" + t +
                "/a/b/new\n"
                "Resolving symbolic links\nTime spent: 00:00 (partial scan mode)\n");
  EXPECT_EQ(saved().find("c/other"), std::string::npos) << "only a was scanned";
  // A directory below one the tree lacks is added with the missing levels.
  VokResult deeper = scan({"-rp", "c/other"});
  EXPECT_EQ(deeper.status, 0) << deeper.err;
  EXPECT_NE(saved().find(t + "/c/other\n"), std::string::npos);

  struct Refused {
    std::string dir, message;
  };
  for (const Refused &r : {Refused{"nowhere", "cannot scan directory nowhere"},
                           Refused{"/",
                                   "/ is either a special directory, in `SkipDir' or "
                                   "not in `StartDir'"}}) {
    VokResult refused = scan({"-rp", r.dir});
    EXPECT_EQ(refused.status, 4);
    EXPECT_EQ(refused.err, "vok: " + r.message + "\n");
  }
}

// The rebuild read everything: the partial updates then do nothing per
// directory, not even look the directories up, and the scan still ends.
TEST_F(ScanTest, PartialScanAfterRebuildDoesNothingPerDirectory) {
  mk("a");
  vok.setCwd(t);
  for (const char *dir : {"a", "/", "nowhere"}) {
    unlink(treeFile.c_str());
    VokResult ok = scan({"-rp", dir});
    EXPECT_EQ(ok.status, 0) << dir << " " << ok.err;
    EXPECT_NE(ok.out.find("file will be rebuilt"), std::string::npos);
    EXPECT_NE(ok.out.find("Time spent: 00:00 (partial scan mode)\n"), std::string::npos);
    size_t first = ok.out.find(t + "/a\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(ok.out.find(t + "/a\n", first + 1), std::string::npos) << ok.out;
  }
  EXPECT_EQ(scan({"-rp", "nowhere"}).status, 4) << "with a saved tree it is refused";
}

TEST_F(ScanTest, BadStartDirectoriesAreReportedAndSkipped) {
  mk("ok");
  writeFile(t + "/file", "x");
  vok.writeConfig("StartDir = \"" + t + "/ok\"\nStartDir = \"" + t +
                  "/file\"\n"
                  "StartDir = \"" +
                  t + "/none\"\nStartDir = \"/\\x5cxZZ\"\n");
  VokResult result = scan({"-rfq"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "vok: " + t +
                            "/file specified in `StartDir' command is not a "
                            "directory.  Command ignored\n"
                            "vok: cannot find directory " +
                            t +
                            "/none as specified in "
                            "`StartDir' command.  Command ignored\n");
  EXPECT_EQ(saved(), t + "/ok\n");
}

// Damage is reported alike by every reader of the file (the jump that
// streams it, the scans and displays that load it), and the file is left as
// it is; only a header of another version is rebuilt.
TEST_F(ScanTest, DamagedTreeFiles) {
  mk("x");
  ASSERT_EQ(scan({"-rfq"}).status, 0);
  const std::string image = inflatedImage(treeFile);

  writeFile(treeFile, image);  // not compressed: read all the same
  EXPECT_EQ(scan({"-rpq", t}).status, 0);

  std::string record = image;
  record[30] = 'Q';
  const std::string readError = "vok: error reading file " + treeFile + "\n";
  const struct {
    const char *what;
    std::string bytes;
    std::string err;
  } damaged[] = {
      {"records cut short", image.substr(0, image.size() - 3), readError},
      {"header cut short, compressed", gzipped(image.substr(0, 12)), readError},
      {"header cut short, plain", image.substr(0, 5), readError},
      {"a bad record byte", record,
       "vok: error in saved directory file\nPlease rebuild it using `vok -rf'\n"},
  };
  for (const auto &file : damaged) {
    for (const std::vector<std::string> &reader :
         std::vector<std::vector<std::string>>{{"x"}, {"-B", "x", "1"}, {"-rq"}, {"-T"}}) {
      SCOPED_TRACE(std::string(file.what) + ", vok " + reader[0]);
      writeFile(treeFile, file.bytes);
      VokResult result = scan(reader);
      EXPECT_EQ(result.status, 2);
      EXPECT_EQ(result.err, file.err);
      EXPECT_TRUE(readFile(treeFile) == file.bytes) << "the file was changed";
    }
  }

  std::string other = image;
  other[16] = 0x12;  // the byte order of another machine
  other[17] = 0x34;
  writeFile(treeFile, other);
  VokResult foreign = scan({"-rq"});
  EXPECT_EQ(foreign.status, 0);
  EXPECT_EQ(foreign.err, "vok: " + treeFile +
                             " is not compatible with current of version of "
                             "vok, file will be rebuilt\n");
  EXPECT_EQ(saved(), t + "\n" + t + "/x\n");
}

TEST_F(ScanTest, SavingKeepsLinksAndModesAndNeverHalfWrites) {
  mk("x");
  const std::string real = vok.dir().file("real.gz");
  writeFile(real, "");
  chmod(real.c_str(), 0640);
  ASSERT_EQ(symlink(real.c_str(), treeFile.c_str()), 0);
  ASSERT_EQ(scan({"-rfq"}).status, 0);
  struct stat status;
  ASSERT_EQ(lstat(treeFile.c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  ASSERT_EQ(stat(real.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  EXPECT_EQ(saved(), t + "\n" + t + "/x\n");

  // A file that cannot be written leaves the old one whole.
  vok.setEnv("VOK_DIRTREE", vok.dir().file("missing/tree.gz"));
  VokResult result = scan({"-rfq"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err,
            "vok: cannot create file " + vok.dir().file("missing/tree.gz") + "\n");
}

TEST_F(ScanTest, AwkwardNamesAndDeepTrees) {
  const std::string longName(255, 'n');
  for (const std::string &name : {longName, std::string("new\nline"),
                                  std::string("tab\there"), std::string("\xe9\xff high")})
    mk(name);
  // 10000 levels: paths far beyond what getcwd accepts.
  int fd = open(t.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 10000; ++i) {
    ASSERT_EQ(mkdirat(fd, "deep", 0755), 0);
    int next = openat(fd, "deep", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  close(fd);
  ASSERT_EQ(scan({"-rfq"}).status, 0);
  std::string tree = saved();
  EXPECT_NE(tree.find(t + "/" + longName + "\n"), std::string::npos);
  EXPECT_NE(tree.find(t + "/new\nline\n"), std::string::npos);
  EXPECT_NE(tree.find(std::string("/deep/deep\n")), std::string::npos);
  VokResult smart = scan({"-rq"});
  EXPECT_EQ(smart.status, 0) << smart.err;
  EXPECT_EQ(saved(), tree);
}

}  // namespace

namespace {

size_t savedNodes(const std::string &file) {
  return treePaths(savedTreeOf(file).rootList).size();
}

// 100 000 levels: paths far beyond any system limit, and as many levels of
// every walk, in both directions between the disk and the saved file.
TEST_F(ScanTest, AChainOfAHundredThousandLevels) {
  int fd = open(t.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 100000; ++i) {
    ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
    int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  ASSERT_EQ(mkdirat(fd, "leafdir", 0755), 0);
  close(fd);
  vok.setCwd(t);
  for (std::vector<std::string> args :
       {std::vector<std::string>{"-rfq"}, {"-rq"}, {"-rpq", t}}) {
    VokResult result = scan(args);
    EXPECT_EQ(result.status, 0) << args[0] << " " << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(savedNodes(treeFile), 100002u) << args[0];
  }
  std::string leaf = t;
  for (int i = 0; i < 100000; ++i) leaf += "/d";
  VokResult jump = vok.run({"leafdir"});
  EXPECT_EQ(jump.status, 0) << jump.err;
  EXPECT_TRUE(jump.newDir == leaf + "/leafdir")
      << "the whole path, " << jump.newDir.size();

  // The same depth from a saved file that the disk does not have.
  auto record = [](const std::string &name, bool children) {
    const uint16_t mode = 040755;
    const int64_t time = 0;
    std::string r =
        "D" + std::string(1, children ? '\x01' : '\0') + name + std::string(1, '\0');
    r.append(reinterpret_cast<const char *>(&mode), 2);
    r.append(reinterpret_cast<const char *>(&time), 8);
    return r.append(reinterpret_cast<const char *>(&time), 8);
  };
  // The magic, the sizes, the check value, the time and "HP".
  const std::string header = inflatedImage(treeFile).substr(0, 30);
  for (const char *name : {"d", "."}) {
    std::string image = header + record(t, true);
    for (int i = 0; i < 100000; ++i) image += record(name, i + 1 < 100000);
    image += std::string(100001, 'E');
    writeFile(treeFile, image);
    VokResult smart = scan({"-rq"});
    if (std::string(name) == "d") {
      EXPECT_EQ(smart.status, 0) << smart.err;
      EXPECT_EQ(savedNodes(treeFile), 100002u) << "the saved chain, as the disk has it";
    } else {
      EXPECT_EQ(smart.status, 2);
      EXPECT_EQ(
          smart.err,
          "vok: error in saved directory file\nPlease rebuild it using `vok -rf'\n");
      EXPECT_TRUE(readFile(treeFile) == image) << "the file is left as it is";
    }
  }
}

}  // namespace
