#include "scan/links.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/memory_fs.h"
#include "support/trees.h"

namespace {

struct Resolved {
  std::string resolved;
  uint8_t state, access;
  bool operator==(const Resolved &o) const {
    return resolved == o.resolved && state == o.state && access == o.access;
  }
};
void PrintTo(const Resolved &r, std::ostream *out) {
  *out << "{" << r.resolved << ", state " << int(r.state) << ", access " << int(r.access)
       << "}";
}

// Where each kind of link leads and what it allows, for a user who is not
// root: the physical path (links followed, ".." taken), inside or outside
// the tree, and whether the target may be searched and read.
TEST(LinksTest, EveryLinkGetsItsTargetAndState) {
  MemoryFileSystem fs;
  fs.setIdentity(1000, {1000});
  for (const char *d : {"/t/a/x", "/elsewhere/e", "/t/closed", "/t/listless"}) fs.makeDir(d);
  fs.chmod("/t/closed", 0600);
  fs.chmod("/t/listless", 0311);
  fs.makeLink("/elsewhere/hop", "/t/a");
  const struct {
    const char *name, *target;
    Resolved expected;
  } links[] = {
      {"abs", "/t/a", {"/t/a", LinkInside, AccessOk}},
      {"rel", "a/x", {"/t/a/x", LinkInside, AccessOk}},
      {"dotdot", "a/x/../x/..", {"/t/a", LinkInside, AccessOk}},
      {"chain", "rel", {"/t/a/x", LinkInside, AccessOk}},
      {"viaout", "/elsewhere/hop/x", {"/t/a/x", LinkInside, AccessOk}},
      {"out", "/elsewhere/e", {"/elsewhere/e", LinkOutside, AccessOk}},
      {"dangling", "/nowhere", {"", LinkNotFound, AccessOk}},
      {"loop", "loop", {"", LinkNotFound, AccessOk}},
      {"toclosed", "closed", {"", LinkInside, AccessNoSearch}},
      {"tolistless", "listless", {"/t/listless", LinkInside, AccessNoRead}},
  };
  DirNodeRef root =
      dirNode("/t", {dirNode("a", {dirNode("x")}), dirNode("closed"), dirNode("listless")});
  for (const auto &link : links) {
    fs.makeLink(std::string("/t/") + link.name, link.target);
    DirNodeRef node = dirNode(link.name);
    node->entryMode = 0120777;
    root->children.push_back(node);
  }
  DirNodeList roots{root};
  resolveLinksBelow(fs, roots);
  for (size_t i = 0; i < std::size(links); ++i) {
    const DirNode &node = *root->children[3 + i];
    EXPECT_EQ((Resolved{node.resolvedPath(), node.linkState, node.linkAccess}),
              links[i].expected)
        << links[i].name;
  }
}

// Many links are resolved by two threads: every link, absolute or
// relative, must end with its own target's path and state, whichever
// thread took it.
TEST(LinksTest, ManyLinksResolveEachToItsOwnTarget) {
  MemoryFileSystem fs;
  DirNodeRef root = dirNode("/t");
  std::vector<Resolved> expected;
  for (int i = 0; i < 150; ++i) {
    const std::string n = std::to_string(i);
    fs.makeDir("/t/d" + n + "/deeper");
    fs.makeDir("/elsewhere/e" + n);
    std::string target = "/t/d" + n + "/deeper", resolved = target;
    uint8_t state = LinkInside;
    if (i % 3 == 1) {
      target = resolved = "/elsewhere/e" + n;
      state = LinkOutside;
    } else if (i % 3 == 2) {
      target = "d" + n + "/deeper";  // relative to the link's directory
    }
    fs.makeLink("/t/l" + n, target);
    DirNodeRef deeper = dirNode("d" + n, {dirNode("deeper")});
    DirNodeRef link = dirNode("l" + n);
    link->entryMode = 0120777;
    root->children.push_back(deeper);
    root->children.push_back(link);
    expected.push_back({resolved, state, AccessOk});
  }
  DirNodeList roots{root};
  resolveLinksBelow(fs, roots);
  for (size_t i = 0; i < expected.size(); ++i) {
    const DirNode &link = *root->children[2 * i + 1];
    EXPECT_EQ((Resolved{link.resolvedPath(), link.linkState, link.linkAccess}), expected[i])
        << link.name.str();
  }
}

}  // namespace
