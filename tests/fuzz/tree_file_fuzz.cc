// The saved tree file on arbitrary bytes: as an image in memory, as a file
// of raw bytes, and compressed as the program writes it. Whatever loads
// must save and load back to the same image.
#include <zlib.h>

#include <cstdlib>

#include "base/errors.h"
#include "fuzz/fuzz_support.h"
#include "tree/dir_tree.h"
#include "tree/tree_file.h"

namespace {

void writeCompressed(const std::string &file, const std::string &bytes) {
  gzFile gz = gzopen(file.c_str(), "wb");
  if (!gz || (!bytes.empty() &&
              gzwrite(gz, bytes.data(), static_cast<unsigned>(bytes.size())) <= 0))
    abort();
  gzclose(gz);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const std::string file = scratchPath("tree.gz");
  for (int form = 0; form < 3; ++form) {
    try {
      DirTree tree;
      if (form == 0) {
        decodeTree(bytes, tree);
      } else {
        if (form == 1)
          scratchFile("tree.gz", bytes);
        else
          writeCompressed(file, bytes);
        if (readTreeFile(file, tree) != TreeFileState::Loaded) continue;
      }
      const std::string image = encodeTree(tree);
      DirTree again;
      decodeTree(image, again);
      if (encodeTree(again) != image) propertyBroken("a loaded tree saves differently", bytes);
    } catch (const ErrorBase &) {
    }
  }
  return 0;
}
