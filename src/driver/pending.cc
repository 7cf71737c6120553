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
void jumpByPattern(const std::string &pattern, bool, bool, unsigned long) {
  notAvailable(pattern.empty() ? _("browsing the directory tree")
                               : _("the jump by pattern"));
}
void listBookmarksCommand(const std::string &) { notAvailable("-b"); }
void addBookmarksCommand(int, char **, int) { notAvailable("-ba"); }
void removeBookmarksCommand(int, char **, int) { notAvailable("-br"); }
