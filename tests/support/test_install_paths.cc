// The test build of vok reads its system-wide configuration from the file
// that VOK_TEST_SYSTEM_CONFIG names, or from nowhere, never /usr/local/etc;
// its shell lines name vokscr where the package puts it, and the fish
// completion where the test says.
#include <cstdlib>

#include "config/reader.h"
#include "driver/shell.h"

namespace {
const char *testSystemConfig() {
  const char *name = getenv("VOK_TEST_SYSTEM_CONFIG");
  return name && *name ? name : "/nonexistent/vok-test/vok.conf";
}
}  // namespace

const char *const systemConfigFile = testSystemConfig();
const char *const scriptDirectory = "/usr/bin";
// The fish completion where the test names it (its source), so that the
// set-up line alone can be shown to find it.
const char *const fishCompletionDirectory = [] {
  const char *dir = getenv("VOK_TEST_FISH_COMPLETIONS");
  return dir && *dir ? dir : "/usr/share/fish/vendor_completions.d";
}();
