// The bookmark file reader on arbitrary contents; what it reads must write
// back and read back unchanged.
#include "base/errors.h"
#include "fuzz/fuzz_support.h"
#include "select/bookmarks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const std::string file = scratchFile("bookmarks", bytes);
  try {
    const BookmarkList first = readBookmarks(file);
    for (const Bookmark &entry : first)
      if (entry.usable && !entry.path.empty() && entry.path[0] == '\0')
        propertyBroken("a bookmark starts with NUL", bytes);
    writeBookmarks(file, first);
    if (readBookmarks(file) != first) propertyBroken("bookmarks changed on the way back", bytes);
  } catch (const ErrorBase &) {
  }
  return 0;
}
