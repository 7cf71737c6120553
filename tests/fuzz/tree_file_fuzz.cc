// The saved tree file on arbitrary bytes: as an image in memory, as a file
// of raw bytes, and compressed as the program writes it. Whatever loads
// must save and load back to the same image.
#include <zlib.h>

#include <cstdlib>

#include "base/errors.h"
#include "base/globals.h"
#include "fuzz/fuzz_support.h"
#include "tree/dir_tree.h"
#include "tree/tree_file.h"

namespace {

void writeCompressed(const std::string &bytes) {
  gzFile gz = gzopen(treeFile.c_str(), "wb");
  if (!gz || (!bytes.empty() &&
              gzwrite(gz, bytes.data(), static_cast<unsigned>(bytes.size())) <= 0))
    abort();
  gzclose(gz);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  for (int form = 0; form < 3; ++form) {
    try {
      if (form == 0) {
        decodeTree(bytes);
      } else {
        if (form == 1)
          scratchFile("tree.gz", bytes);
        else
          writeCompressed(bytes);
        if (readTreeFile() != TreeFileState::Loaded) continue;
      }
      const std::string image = encodeTree();
      dirTree.rootList.clear();
      decodeTree(image);
      if (encodeTree() != image) propertyBroken("a loaded tree saves differently", bytes);
    } catch (const ErrorBase &) {
    }
    dirTree.rootList.clear();
  }
  return 0;
}
