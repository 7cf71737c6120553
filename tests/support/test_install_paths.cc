// The test build of vok reads its system-wide configuration from the file
// that VOK_TEST_SYSTEM_CONFIG names, or from nowhere, never /usr/local/etc;
// its shell lines name vokscr where the package puts it.
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
