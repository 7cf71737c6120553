// The test build of vok reads its system-wide configuration from the file
// that VOK_TEST_SYSTEM_CONFIG names, or from nowhere, never /usr/local/etc.
#include <cstdlib>

#include "config/reader.h"

namespace {
const char *testSystemConfig() {
  const char *name = getenv("VOK_TEST_SYSTEM_CONFIG");
  return name && *name ? name : "/nonexistent/vok-test/vok.conf";
}
}  // namespace

const char *const systemConfigFile = testSystemConfig();
