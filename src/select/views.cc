#include "select/views.h"

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "base/globals.h"
#include "hyper/browser.h"
#include "hyper/drawers.h"
#include "scan/scan_commands.h"
#include "scan/scanner.h"

void browseTree(const DirNodeList &roots, const std::string &selected) {
  prepareTags();
  HyperTreeDraw drawer(&roots);
  browse(drawer, selected);
}

void showMatchList(const MatchList &matches) {
  std::vector<std::string> entries;
  entries.reserve(matches.size());
  for (const DirMatch &match : matches) entries.push_back(match.path);
  prepareTags();
  HyperListDraw drawer(&entries);
  browse(drawer, "");
}

void addViewRoot(const std::string &dir, DirNodeList &list) {
  const std::string path = expandDirName(makeAbsolute(dir, currentDir), false, false);
  DirNodeRef root = nodeFromPath(path);
  DirLocation found = lookupPath(path, false, false, false);
  if (found.node)
    root->children = found.node->children;
  else
    root->skipState = SkipAdded;
  list.push_back(root);
}

DirNodeList buildDirectoryView(const std::string &dir) {
  DirNodeList view;
  if (!dir.empty()) {
    addViewRoot(dir, view);
    if (!currentDir.empty()) lookupPath(currentDir, false, true, true, view);
  } else {
    if (currentDir.empty())
      throw ErrorGenericCommandLine(_("cannot determine current directory"));
    addViewRoot(currentDir, view);
  }
  resolveLinksBelow(view);
  return view;
}

void showDirectoryTree(const std::string &dir, bool mountScan, bool rescanFirst) {
  std::string path;
  if (!dir.empty()) {
    path = expandDirName(makeAbsolute(dir, currentDir), false, false);
  } else {
    path = currentDir;
    if (path.empty())
      throw ErrorGenericCommandLine(_("cannot determine current directory"));
  }
  if (rescanFirst || !lookupPath(path, false, false, false).node)
    scanForTreeCommand(path, false);
  // The prefix is the directory as the mount entries spell it: absolute.
  if (mountScan) scanMountDirs(false, dir.empty() ? dir : path);
  prepareTags();
  const DirNodeList view = buildDirectoryView(path);
  HyperTreeDraw drawer(view.empty() ? &dirTree.rootList : &view);
  browse(drawer, "");
}

void showWholeTree(bool mountScan, bool rescanFirst) {
  if (rescanFirst) rescanTree(false);
  if (mountScan) scanMountDirs(false, "");
  prepareTags();
  HyperTreeDraw drawer(&dirTree.rootList);
  browse(drawer, "");
}
