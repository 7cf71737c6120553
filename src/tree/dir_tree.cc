#include "tree/dir_tree.h"

#include <strings.h>

#include <algorithm>
#include <cstring>


void keepTreeUntilExit(DirTree &tree) {
  static DirNodeList *kept = nullptr;
  if (!kept) kept = new DirNodeList;
  for (DirNodeRef &root : tree.rootList) kept->push_back(std::move(root));
  tree.rootList.clear();
}

DirNode::~DirNode() {
  DirNodeList pending = std::move(children);
  while (!pending.empty()) {
    DirNodeRef node = std::move(pending.back());
    pending.pop_back();
    if (node.use_count() == 1) {
      for (DirNodeRef &child : node->children) pending.push_back(std::move(child));
      node->children.clear();
    }
  }
}

const std::string &DirNode::noText() {
  static const std::string empty;
  return empty;
}

void DirNode::setLinkText(std::string text) {
  if (!link_ && text.empty()) return;
  if (!link_) link_.reset(new LinkInfo);
  link_->text = std::move(text);
}

void DirNode::setResolvedPath(std::string path) {
  if (!link_ && path.empty()) return;
  if (!link_) link_.reset(new LinkInfo);
  link_->resolved = std::move(path);
}

void DirNode::refreshStatus(FileSystem &fs, const std::string &path) {
  setLinkText(std::string());
  skipState = SkipNone;
  unreadableState = ReadOk;
  FileStatus status;
  if (fs.statusAt(FileSystem::kHere, path.c_str(), false, status) != 0) {
    entryMode = targetMode = 0;
    return;
  }
  entryMode = static_cast<uint16_t>(status.mode);
  modifyTime = status.modifyTime;
  changeTime = status.changeTime;
  if (!isLinkMode(entryMode)) {
    targetMode = entryMode;
    return;
  }
  if (fs.statusAt(FileSystem::kHere, path.c_str(), true, status) != 0) {
    entryMode = targetMode = 0;
    return;
  }
  setLinkText(fs.readLink(FileSystem::kHere, path.c_str()));
  targetMode = static_cast<uint16_t>(status.mode);
}

void DirNode::setDirectoryStatus(const FileStatus &status) {
  setLinkText(std::string());
  skipState = SkipNone;
  unreadableState = ReadOk;
  entryMode = targetMode = static_cast<uint16_t>(status.mode);
  modifyTime = status.modifyTime;
  changeTime = status.changeTime;
}

void DirNode::copyAttributes(const DirNode &other) {
  if (other.link_ || link_) {
    setLinkText(other.linkText());
    setResolvedPath(other.resolvedPath());
  }
  entryMode = other.entryMode;
  targetMode = other.targetMode;
  modifyTime = other.modifyTime;
  changeTime = other.changeTime;
  skipState = other.skipState;
  unreadableState = other.unreadableState;
  linkState = other.linkState;
  linkAccess = other.linkAccess;
}

DirNodeRef nodeFromPath(FileSystem &fs, const std::string &path) {
  DirNodeRef node = newDirNode();
  node->name = path;
  node->refreshStatus(fs, path);
  return node;
}

// As strcasecmp, over texts that need not end with a NUL (names hold none).
static int caseOrder(std::string_view a, std::string_view b) {
  const int order = strncasecmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (order != 0) return order;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool compareNameTexts(std::string_view a, std::string_view b, const TreeOrder &order) {
  if (!order.caseSensitive) return caseOrder(a, b) < 0;
  size_t common = std::min(a.size(), b.size());
  int byBytes = memcmp(a.data(), b.data(), common);
  return byBytes < 0 || (byBytes == 0 && a.size() < b.size());
}

bool compareNames(const DirNode &a, const DirNode &b, const TreeOrder &order) {
  return compareNameTexts(a.name, b.name, order);
}

void sortChildren(DirNodeList &list, const TreeOrder &order) {
  if (!order.sorted) return;
  std::stable_sort(list.begin(), list.end(),
                   [&order](const DirNodeRef &a, const DirNodeRef &b) {
                     return compareNames(*a, *b, order);
                   });
}

