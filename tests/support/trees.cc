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

std::string gzipped(const std::string &data, int level) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return "";
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef *>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  const bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
  out.resize(z.total_out);
  deflateEnd(&z);
  return done ? out : "";
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
