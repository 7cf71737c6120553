// Directory name expansion and the two unescapers on arbitrary text.
#include "base/errors.h"
#include "base/paths.h"
#include "fuzz/fuzz_support.h"
#include "select/bookmarks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::string text(reinterpret_cast<const char *>(data), size);
  for (int mode = 0; mode < 3; ++mode) {
    try {
      const std::string expanded = expandDirName(text, mode > 0, mode == 2);
      if (!text.empty() && (expanded.empty() || expanded[0] == '\0' ||
                            expanded.find("//") != std::string::npos ||
                            (expanded.size() > 1 && expanded.back() == '/')))
        propertyBroken("an expanded name is not clean", text);
    } catch (const ErrorBase &) {
    }
  }
  try {
    unescapePattern(text);
  } catch (const ErrorBase &) {
  }
  try {
    unescapeEntry(text);
  } catch (const ErrorBase &) {
  }
  try {
    if (unescapeEntry(escapeBookmark(text)) != text)
      propertyBroken("an escaped bookmark does not read back", text);
  } catch (const ErrorBase &) {
    propertyBroken("an escaped bookmark is malformed", text);
  }
  return 0;
}
