// Actions whose subsystems are still to be built. Each fails with exit status
// 7 and says so, rather than pretending to have done its work.
#include "base/errors.h"
#include "base/message.h"
#include "driver/actions.h"

namespace {
[[noreturn]] void notAvailable(const char *action) {
  throw ErrorGeneric(_("%$ is not available yet in this version"), action);
}
}  // namespace

void showDirectoryTree(const std::string &, bool, bool) {
  notAvailable(_("the directory tree display"));
}
void showWholeTree(bool, bool) { notAvailable(_("the directory tree display")); }
