#include "command/views.h"

#include <optional>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "base/utf8.h"
#include "hyper/browser.h"
#include "hyper/drawers.h"
#include "scan/links.h"
#include "command/scan_commands.h"
#include "select/new_dir_file.h"
#include "tree/lookup.h"

namespace {

void showTree(RunState &run, const DirNodeList &roots, const std::string &selected) {
  HyperTreeDraw drawer(roots, run.tree.lastScanTime);
  const std::optional<std::string> chosen = browse(drawer, selected, run.config.active, utf8Names());
  if (chosen) writeNewDirFile(run.newDirFile, *chosen);
}

// The tree of dir alone (with the current directory in it when it lies
// below), its links resolved within it.
DirNodeList buildDirectoryView(RunState &run, const std::string &dir) {
  DirNodeList view;
  addViewRoot(run, dir, view);
  joinCurrentDir(run.fs, view, run.currentDir, treeOrder(run.config.active));
  resolveLinksBelow(run.fs, view);
  return view;
}

}  // namespace

void browseTree(RunState &run, const DirNodeList &roots, const std::string &selected) {
  showTree(run, roots, selected);
}

void showMatchList(RunState &run, const MatchList &matches) {
  std::vector<std::string> entries;
  entries.reserve(matches.size());
  for (const DirMatch &match : matches) entries.push_back(match.path);
  HyperListDraw drawer(entries, run.tree.lastScanTime);
  const std::optional<std::string> chosen = browse(drawer, "", run.config.active, utf8Names());
  if (chosen) writeNewDirFile(run.newDirFile, *chosen);
}

void addViewRoot(const RunState &run, const std::string &dir, DirNodeList &list) {
  const std::string path = expandDirName(makeAbsolute(dir, run.currentDir), false, false);
  DirNodeRef root = nodeFromPath(run.fs, path);
  DirLocation found = findPath(run.tree.rootList, path);
  if (found.node)
    root->children = found.node->children;
  else
    root->skipState = SkipAdded;
  list.push_back(root);
}

void showDirectoryTree(RunState &run, const std::string &dir, bool mountScan,
                       bool rescanFirst) {
  std::string path;
  if (!dir.empty()) {
    path = expandDirName(makeAbsolute(dir, run.currentDir), false, false);
  } else {
    path = run.currentDir;
    if (path.empty())
      throw ErrorGenericCommandLine(_("cannot determine current directory"));
  }
  ScanOptions options = displayScanOptions(run);
  requireEnterable(run.fs, path, options);
  if (rescanFirst || !findPath(run.tree.rootList, path).node)
    scanForTreeCommand(run, path, false, options);
  // The prefix is the directory as the mount entries spell it: absolute.
  if (mountScan) scanMountDirs(run.fs, run.tree, options, false, dir.empty() ? dir : path);
  const DirNodeList view = buildDirectoryView(run, path);
  showTree(run, view.empty() ? run.tree.rootList : view, "");
}

void showWholeTree(RunState &run, bool mountScan, bool rescanFirst) {
  if (rescanFirst) rescanTree(run, false, QuietOverride::None);
  if (mountScan) scanMountDirs(run.fs, run.tree, displayScanOptions(run), false, "");
  showTree(run, run.tree.rootList, "");
}
