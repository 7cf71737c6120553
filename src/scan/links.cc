#include "scan/links.h"

#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

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

void resolveLink(FileSystem &fs, DirNode &link, const std::string &path,
                 DirNodeList &roots) {
  constexpr int here = FileSystem::kHere;
  // The usual case resolves the long path once: resolving it proves the
  // target is there and may be searched, and reading is one test more.
  const std::string target = fs.physicalPath(path);
  if (!target.empty() && fs.access(here, path.c_str(), R_OK)) {
    link.linkState = LinkInside;
    link.linkAccess = AccessOk;
    return placeLink(link, target, roots);
  }
  // The separate tests tell what is missing.
  if (!fs.access(here, path.c_str(), R_OK | X_OK)) {
    if (!fs.access(here, path.c_str(), F_OK)) {
      link.linkState = LinkNotFound;
      return;
    }
    link.linkState = LinkInside;
    link.linkAccess = !fs.access(here, path.c_str(), X_OK) ? AccessNoSearch : AccessNoRead;
    // A target that may be entered but not listed still has a place to
    // jump to: without it the jump would land on the tree's first line.
    if (link.linkAccess == AccessNoRead && !target.empty()) placeLink(link, target, roots);
    return;
  }
  link.linkState = LinkInside;
  link.linkAccess = AccessOk;
  placeLink(link, target, roots);
}

}  // namespace

void resolveLinksBelow(FileSystem &fs, DirNodeList &roots) {
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
  // Resolving a link's target is most of the cost, and links do not depend
  // on one another: a second thread takes its share. Each link is written
  // by the thread that takes it; the tree is only read.
  std::atomic<size_t> next{0};
  auto resolveSome = [&] {
    for (size_t i; (i = next.fetch_add(1)) < links.size();)
      resolveLink(fs, *links[i].node, links[i].path, roots);
  };
  std::thread helper;
  // A helper that fails (no memory) leaves the links it did not take.
  const bool shared = links.size() >= 64 && startHelperThread(helper, [&] {
                        try {
                          resolveSome();
                        } catch (...) {
                        }
                      });
  resolveSome();
  if (shared) helper.join();
}
