#include "config/reader.h"

const char *const systemConfigFile = "/usr/local/etc/vok.conf";
