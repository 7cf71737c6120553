// The places this build is installed to, compiled into the shipped program
// alone: the tests link their own, which never reach the machine's files.
#include "config/reader.h"
#include "driver/shell.h"

const char *const systemConfigFile = "/usr/local/etc/vok.conf";
const char *const scriptDirectory = VOK_SCRIPT_DIR;
const char *const fishCompletionDirectory = VOK_FISH_COMPLETION_DIR;
