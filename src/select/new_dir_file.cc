#include "select/new_dir_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"

void writeNewDirFile(const std::string &file, const std::string &path) {
  // A new file is the user's alone: it names where the user goes.
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  FILE *out = fd >= 0 ? fdopen(fd, "wb") : nullptr;
  if (!out && fd >= 0) close(fd);
  if (!out) throw ErrorGenericFile(_("cannot create file %$"), file);
  bool written = sys::fputs(path, out) >= 0;
  // The shell acts on whatever the file holds: a short write, or an old
  // answer left behind by a "." that never reached the disk, must not pass.
  if (fclose(out) != 0 || !written)
    throw ErrorGenericFile(_("cannot create file %$"), file);
}
