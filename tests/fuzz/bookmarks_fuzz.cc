// The bookmark file reader on arbitrary contents; what it reads must write
// back and read back unchanged.
#include "base/errors.h"
#include "base/globals.h"
#include "fuzz/fuzz_support.h"
#include "select/bookmarks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  scratchFile("bookmarks", bytes);
  try {
    readBookmarks();
    const std::vector<std::string> first = bookmarkList;
    for (const std::string &path : first)
      if (!path.empty() && path[0] == '\0')
        propertyBroken("a bookmark starts with NUL", bytes);
    writeBookmarks();
    readBookmarks();
    if (bookmarkList != first) propertyBroken("bookmarks changed on the way back", bytes);
  } catch (const ErrorBase &) {
  }
  bookmarkList.clear();
  return 0;
}
