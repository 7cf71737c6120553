#include "scan/links.h"

#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/paths.h"
#include "base/threads.h"
#include "tree/lookup.h"

namespace {

// Where an entered link leads: target is the physical path ("" when it
// could not be had).
void placeLink(DirNode &link, const std::string &target, DirNodeList &roots) {
  if (target.empty()) {
    link.linkState = LinkNotFound;
    return;
  }
  link.setResolvedPath(target);
  link.linkState = findPath(roots, target).node ? LinkInside : LinkOutside;
}

void resolveLink(DirNode &link, const std::string &path, DirNodeList &roots) {
  // The usual case resolves the long path once: entering the target proves
  // it is there and may be searched, and "." is quick to test for reading.
  if (chdir(path.c_str()) == 0 && access(".", R_OK | X_OK) == 0) {
    link.linkState = LinkInside;
    link.linkAccess = AccessOk;
    return placeLink(link, getCurrentDir(), roots);
  }
  // The separate tests tell what is missing.
  if (access(path.c_str(), R_OK | X_OK) != 0) {
    if (access(path.c_str(), F_OK) != 0) {
      link.linkState = LinkNotFound;
      return;
    }
    link.linkState = LinkInside;
    link.linkAccess = access(path.c_str(), X_OK) != 0 ? AccessNoSearch : AccessNoRead;
    // A target that may be entered but not listed still has a place to
    // jump to: without it the jump would land on the tree's first line.
    if (link.linkAccess == AccessNoRead && chdir(path.c_str()) == 0)
      placeLink(link, getCurrentDir(), roots);
    return;
  }
  link.linkState = LinkInside;
  link.linkAccess = AccessOk;
  placeLink(link, chdir(path.c_str()) == 0 ? getCurrentDir() : std::string(), roots);
}

}  // namespace

void resolveLinksBelow(DirNodeList &roots) {
  struct Link {
    DirNode *node;
    std::string path;
  };
  std::vector<Link> links;
  walkTree(roots, [&](const DirNodeRef &node, const std::string &path) {
    if (!node->isLink()) return true;
    links.push_back({node.get(), path});
    return false;
  });
  // Entering a link's target is most of the cost, and links do not depend
  // on one another: a second thread with a working directory of its own
  // takes its share. Each link is written by the thread that takes it; the
  // tree is only read.
  std::atomic<size_t> next{0};
  auto resolveSome = [&] {
    for (size_t i; (i = next.fetch_add(1)) < links.size();)
      resolveLink(*links[i].node, links[i].path, roots);
  };
  std::thread helper;
  // A helper that fails (no memory) leaves the links it did not take.
  const bool shared = links.size() >= 64 && startHelperThread(helper, [&] {
                        try {
                          if (unshare(CLONE_FS) == 0) resolveSome();
                        } catch (...) {
                        }
                      });
  resolveSome();
  if (shared) helper.join();
}
