// The configuration reader on arbitrary file contents, through the path a
// run takes: the file read into the profile table (errors echoed, the
// prompt after them answered), each profile activated and shown.
#include "base/errors.h"
#include "config/display.h"
#include "config/reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::string file =
      scratchFile("config", std::string(reinterpret_cast<const char *>(data), size));
  ProfileTable profiles;
  profiles["*"] = ProfileConfig();
  try {
    ConfigReader(profiles, systemFileSystem()).readFile(file, false, false);
  } catch (const ErrorBase &) {
    return 0;  // an unknown command ends the run, as it should
  }
  for (const auto &profile : profiles) {
    showConfig(profile.second, profile.first);
    showConfigAttr(profile.second, profile.first);
  }
  return 0;
}
