#include "tree/tree_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>

#include "base/errors.h"
#include "support/temp_dir.h"
#include "support/trees.h"
#include "tree/dir_tree.h"

namespace {

DirNodeRef dir(const char *name, uint16_t mode = 040755) {
  DirNodeRef node = dirNode(name);
  node->entryMode = node->targetMode = mode;
  node->modifyTime = 0x0102030405060708;
  node->changeTime = 7;
  return node;
}

std::string header(int64_t time) {
  std::string h = "<VOKID#9>\x04\x08\x01\x02\x08\x08\x08";
  int32_t check = 0x1234;
  h.append(reinterpret_cast<const char *>(&check), 4);
  h.append(reinterpret_cast<const char *>(&time), 8);
  return h + "HP";
}

template <class T>
std::string bytes(T value) {
  return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

// A small tree with every kind of record and state.
DirTree sample() {
  DirTree tree;
  tree.lastScanTime = 1234567890;
  DirNodeRef root = dir("/r");
  DirNodeRef skipped = dir("skipped");
  skipped->skipState = SkipSkipped;
  DirNodeRef unreadable = dir("unreadable");
  unreadable->unreadableState = ReadCannotList;
  DirNodeRef added = dir("added");
  added->skipState = SkipAdded;
  DirNodeRef link = dir("link", 040700);
  link->entryMode = 0120777;
  link->setLinkText("../target");
  link->setResolvedPath("/target");
  link->linkState = LinkOutside;
  link->linkAccess = AccessNoRead;
  skipped->children.push_back(dir("inner\n\t\xff"));
  root->children = {skipped, unreadable, added, link};
  tree.rootList = {root, dir("/second")};
  return tree;
}

DirTree decoded(const std::string &image) {
  DirTree tree;
  decodeTree(image, tree);
  return tree;
}

std::string describe(const DirNodeList &list, const std::string &indent = "") {
  std::string text;
  for (const DirNodeRef &n : list) {
    text +=
        indent + n->name.str() + " lt=" + n->linkText() + " rp=" + n->resolvedPath() +
        " em=" + std::to_string(n->entryMode) + " tm=" + std::to_string(n->targetMode) +
        " mt=" + std::to_string(n->modifyTime) + " ct=" + std::to_string(n->changeTime) +
        " s=" + std::to_string(n->skipState) +
        " u=" + std::to_string(n->unreadableState) +
        " ls=" + std::to_string(n->linkState) + " la=" + std::to_string(n->linkAccess) +
        "\n";
    text += describe(n->children, indent + "  ");
  }
  return text;
}

TEST(TreeFileTest, EmptyTreeIsTheHeaderAndOneE) {
  DirTree tree;
  tree.lastScanTime = 42;
  EXPECT_EQ(encodeTree(tree), header(42) + "E");
  EXPECT_EQ(encodeTree(tree).size(), 31u);
}

TEST(TreeFileTest, RecordsByteForByte) {
  DirTree tree;
  tree.lastScanTime = 5;
  DirNodeRef root = dir("/a");
  root->children.push_back(dir("b"));
  DirNodeRef link = dir("/l");
  link->entryMode = 0120777;
  link->setLinkText("/a");
  link->setResolvedPath("/a");
  link->linkState = LinkInside;
  tree.rootList = {root, link};
  const std::string times = bytes<int64_t>(0x0102030405060708) + bytes<int64_t>(7);
  const std::string mode = bytes<uint16_t>(040755);
  EXPECT_EQ(encodeTree(tree), header(5) + std::string("D\x01/a\0", 5) + mode + times +
                                  std::string("D\x00"
                                              "b\0",
                                              4) +
                                  mode + times + "E" + std::string("L/a\0", 4) +
                                  bytes<uint16_t>(0120777) + std::string("/a\0", 3) +
                                  std::string("\x00\x00", 2) + std::string("/l\0", 3) +
                                  mode + times + "E");
}

TEST(TreeFileTest, RoundTripKeepsEveryStoredField) {
  const DirTree tree = sample();
  const DirTree back = decoded(encodeTree(tree));
  EXPECT_EQ(back.lastScanTime, 1234567890);
  EXPECT_EQ(describe(back.rootList), describe(tree.rootList));
}

TEST(TreeFileTest, EveryTruncationFailsCleanly) {
  const std::string image = encodeTree(sample());
  for (size_t length = 0; length < image.size(); ++length) {
    try {
      decoded(image.substr(0, length));
      ADD_FAILURE() << "a file cut at " << length << " bytes was accepted";
    } catch (const ErrorGZIO &) {
    } catch (const ErrorBadFileFormat &) {
      EXPECT_LT(length, 30u) << "only a cut header is another format";
    }
  }
}

TEST(TreeFileTest, EveryChangedByteEndsInAResultOrAKnownError) {
  const std::string image = encodeTree(sample());
  for (size_t at = 0; at < image.size(); ++at) {
    for (unsigned char value : {0x00, 0x01, 0x44, 0x45, 0x4c, 0xff}) {
      std::string damaged = image;
      damaged[at] = static_cast<char>(value);
      try {
        decoded(damaged);
      } catch (const ErrorGZIO &) {
      } catch (const ErrorBadFileFormat &) {
      } catch (const ErrorGenericFile &error) {
        EXPECT_STREQ(error.what(),
                     "error in saved directory file\nPlease rebuild it using `vok -rf'");
      }
    }
  }
}

TEST(TreeFileTest, DeeplyNestedRecordsNeedNoCallStack) {
  // A damaged or hostile file can nest records as deep as its size allows.
  std::string image = header(0);
  const std::string record = std::string("D\x01x\0", 4) + bytes<uint16_t>(040755) +
                             bytes<int64_t>(0) + bytes<int64_t>(0);
  std::string root = record;  // a root is named by its absolute path
  root.replace(2, 1, "/x");
  image += root;
  for (int i = 1; i < 300000; ++i) image += record;
  EXPECT_THROW(decoded(image), ErrorGZIO);
  std::string leaf = record;
  leaf[1] = '\0';  // the innermost record has no children of its own
  image += leaf + std::string(300001, 'E');
  const DirTree tree = decoded(image);
  EXPECT_EQ(tree.rootList.size(), 1u);
  EXPECT_TRUE(encodeTree(tree) == image);
}

}  // namespace

namespace {

// Names the scans would follow elsewhere than the tree says.
TEST(TreeFileTest, NamesMustBeSingleComponentsAndRootsAbsolute) {
  auto record = [](const std::string &name, bool children) {
    return "D" + std::string(1, children ? '\x01' : '\0') + name + std::string(1, '\0') +
           bytes<uint16_t>(040755) + bytes<int64_t>(0) + bytes<int64_t>(0);
  };
  const std::pair<const char *, const char *> cases[] = {
      {"/r", "a/sub"}, {"/r", "."}, {"/r", ".."}, {"/r", ""}, {"relative", "child"}};
  for (const auto &c : cases) {
    const std::string image =
        header(0) + record(c.first, true) + record(c.second, false) + "EE";
    try {
      decoded(image);
      ADD_FAILURE() << c.first << " " << c.second << " was taken";
    } catch (const ErrorGenericFile &error) {
      EXPECT_STREQ(error.what(),
                   "error in saved directory file\nPlease rebuild it using `vok -rf'");
    }
  }
  const DirTree tree =
      decoded(header(0) + record("/", true) + record("..a", false) + "EE");
  EXPECT_EQ(tree.rootList[0]->children[0]->name, "..a");
}

}  // namespace

namespace {

// A tree whose file spans many of the reader's chunks.
DirTree bigTree() {
  DirTree tree;
  tree.lastScanTime = 42;
  DirNodeRef root = dirNode("/big");
  for (int i = 0; i < 60000; ++i) {
    DirNodeRef child =
        dirNode("directory-with-a-long-name-" + std::to_string(i * 7919 % 100003));
    child->modifyTime = i;
    root->children.push_back(child);
  }
  tree.rootList = {root};
  return tree;
}

// A saved file of many chunks is inflated by a second thread while the
// first decodes: it must load whole, and a stream damaged or cut anywhere,
// also far beyond the first chunks, must fail cleanly without hanging.
TEST(TreeFileTest, LargeFilesLoadWholeAndFailCleanlyAnywhere) {
  ScopedTempDir dir;
  const std::string treeFile = dir.file("tree.gz");
  const DirTree tree = bigTree();
  const std::string image = encodeTree(tree);
  ASSERT_GT(image.size(), 8u << 18) << "the file must span many chunks";
  saveTree(treeFile, tree);
  const std::string saved = readFile(treeFile);
  DirTree loaded;
  ASSERT_EQ(readTreeFile(treeFile, loaded), TreeFileState::Loaded);
  EXPECT_TRUE(encodeTree(loaded) == image);
  // The chunks, compressed in two threads, make one gzip stream whose
  // trailer (check value and length) any reader accepts.
  std::string inflated(image.size() + 1, '\0');
  z_stream z{};
  ASSERT_EQ(inflateInit2(&z, 16 + 15), Z_OK);
  z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(saved.data()));
  z.avail_in = static_cast<uInt>(saved.size());
  z.next_out = reinterpret_cast<Bytef *>(&inflated[0]);
  z.avail_out = static_cast<uInt>(inflated.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(z.avail_in, 0u) << "one stream, nothing after it";
  inflated.resize(z.total_out);
  inflateEnd(&z);
  EXPECT_TRUE(inflated == image);

  std::string badLastRecord = image;  // the kind byte of the last record
  badLastRecord[badLastRecord.rfind(std::string("D\0directory", 11))] = 'X';
  const struct {
    std::string bytes;
    const char *error;
  } damaged[] = {
      {saved.substr(0, saved.size() / 2), "error reading file "},
      {saved.substr(0, saved.size() * 3 / 4), "error reading file "},
      {image.substr(0, image.size() - 1), "error reading file "},
      {badLastRecord, "error in saved directory file"},
  };
  for (const auto &file : damaged) {
    writeFile(treeFile, file.bytes);
    try {
      DirTree damagedTree;
      readTreeFile(treeFile, damagedTree);
      ADD_FAILURE() << "a damaged file of " << file.bytes.size() << " bytes loaded";
    } catch (const ErrorGenericFile &error) {
      EXPECT_EQ(std::string(error.what()).rfind(file.error, 0), 0u) << error.what();
    }
  }
}

// Whoever wrote the file: another gzip writer, several members, bytes after
// the last member (ignored, as gzip ignores them) or no compression at all,
// it loads as the program's own; a member whose check value or length is
// wrong does not.
TEST(TreeFileTest, FilesOfEveryGzipWriterLoad) {
  ScopedTempDir dir;
  const std::string treeFile = dir.file("tree.gz"), plain = dir.file("plain");
  const std::string image = encodeTree(bigTree());
  writeFile(plain, image);
  ASSERT_EQ(
      system(("gzip -9 -c " + shellQuote(plain) + " > " + shellQuote(treeFile)).c_str()),
      0);
  const std::string byGzip = readFile(treeFile);
  const size_t half = image.size() / 2;
  std::string badCheck = gzipped(image, 1), badLength = badCheck;
  badCheck[badCheck.size() - 8] ^= 1;
  badLength[badLength.size() - 4] ^= 1;
  const struct {
    const char *what;
    std::string bytes;
    bool loads;
  } files[] = {
      {"gzip -9", byGzip, true},
      {"zlib, level 6", gzipped(image, 6), true},
      {"two members", gzipped(image.substr(0, half), 1) + gzipped(image.substr(half), 9),
       true},
      {"bytes after the member", byGzip + "not gzip\n", true},
      {"not compressed", image, true},
      {"wrong check value", badCheck, false},
      {"wrong length", badLength, false},
  };
  for (const auto &file : files) {
    SCOPED_TRACE(file.what);
    writeFile(treeFile, file.bytes);
    DirTree loaded;
    try {
      EXPECT_EQ(readTreeFile(treeFile, loaded), TreeFileState::Loaded);
      EXPECT_TRUE(file.loads) << "loaded";
      EXPECT_TRUE(encodeTree(loaded) == image);
    } catch (const ErrorGenericFile &error) {
      EXPECT_FALSE(file.loads) << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("error reading file ", 0), 0u)
          << error.what();
    }
  }
}

}  // namespace
