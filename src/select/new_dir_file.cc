#include "select/new_dir_file.h"

#include <cstdio>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"

void writeNewDirFile(const std::string &file, const std::string &path) {
  FILE *out = sys::fopen(file, "wb");
  if (!out) throw ErrorGenericFile(_("cannot create file %$"), file);
  bool written = sys::fputs(path, out) >= 0;
  // The shell acts on whatever the file holds: a short write, or an old
  // answer left behind by a "." that never reached the disk, must not pass.
  if (fclose(out) != 0 || !written) throw ErrorGenericFile(_("cannot create file %$"), file);
}
