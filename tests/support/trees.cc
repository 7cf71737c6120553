#include "support/trees.h"

#include <zlib.h>

#include "tree/tree_file.h"

DirNodeRef dirNode(const std::string &name, DirNodeList children) {
  DirNodeRef node = newDirNode();
  node->name = name;
  node->entryMode = node->targetMode = 040755;
  node->children = std::move(children);
  return node;
}

std::string inflatedImage(const std::string &file) {
  gzFile gz = gzopen(file.c_str(), "rb");
  if (!gz) return "";
  std::string image;
  char chunk[65536];
  for (int got; (got = gzread(gz, chunk, sizeof chunk)) > 0;)
    image.append(chunk, static_cast<size_t>(got));
  gzclose(gz);
  return image;
}

DirTree savedTreeOf(const std::string &file) {
  DirTree tree;
  readTreeFile(file, tree);
  return tree;
}

std::vector<std::string> treePaths(const DirNodeList &roots) {
  std::vector<std::string> paths;
  walkTree(roots, [&](const DirNodeRef &, const std::string &path) {
    paths.push_back(path);
    return true;
  });
  return paths;
}

std::string describeTree(const DirNodeList &roots) {
  std::string out;
  walkTree(roots, [&](const DirNodeRef &node, const std::string &path) {
    out += path;
    if (node->skipState == SkipSkipped) out += " [skipped]";
    if (node->skipState == SkipAdded) out += " [*]";
    if (node->unreadableState) out += " [unreadable]";
    if (node->isLink()) out += " -> " + std::to_string(node->linkState);
    out += "\n";
    return true;
  });
  return out;
}
