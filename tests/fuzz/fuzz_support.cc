#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <streambuf>


namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c == EOF ? 0 : c; }
  std::streamsize xsputn(const char *, std::streamsize count) override { return count; }
};

std::string scratchDir;

void removeScratch() {
  if (scratchDir.empty()) return;
  std::string command = "rm -rf '" + scratchDir + "'";
  if (system(command.c_str()) != 0)
    fprintf(stderr, "cannot remove %s\n", scratchDir.c_str());
}

}  // namespace

void prepareFuzzing() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  // Never destroyed: the standard streams flush through it at exit, after
  // every static object of ours is gone.
  static NullBuffer *const nothing = new NullBuffer;
  std::cout.rdbuf(nothing);
  std::cerr.rdbuf(nothing);
  if (!freopen("/dev/null", "r", stdin)) abort();
  const char *tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vok-fuzz-XXXXXX";
  if (!mkdtemp(&pattern[0])) abort();
  scratchDir = pattern;
  atexit(removeScratch);
}

std::string scratchPath(const std::string &name) { return scratchDir + "/" + name; }

std::string scratchFile(const std::string &name, const std::string &bytes) {
  const std::string path = scratchPath(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) abort();
  return path;
}

std::vector<std::string> splitAtNul(const uint8_t *data, size_t size) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      pieces.emplace_back();
    else
      pieces.back() += static_cast<char>(data[i]);
  }
  return pieces;
}

void propertyBroken(const char *what, const std::string &input) {
  fprintf(stderr, "property broken: %s\ninput (%zu bytes):", what, input.size());
  for (unsigned char c : input) fprintf(stderr, " %02x", c);
  fputc('\n', stderr);
  abort();
}
