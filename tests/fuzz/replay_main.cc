// Runs a fuzz target over kept inputs, without libFuzzer: every file named,
// and every file in every directory named. Fails when none was found, so a
// misplaced corpus cannot pass unnoticed.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

void collect(const std::string &path, std::vector<std::string> &files) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return;
  if (!S_ISDIR(status.st_mode)) {
    files.push_back(path);
    return;
  }
  DIR *dir = opendir(path.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (struct dirent *entry = readdir(dir))
    if (entry->d_name[0] != '.') names.push_back(entry->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string &name : names) collect(path + "/" + name, files);
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) collect(argv[i], files);
  if (files.empty()) {
    fprintf(stderr, "%s: no inputs found\n", argv[0]);
    return 1;
  }
  for (const std::string &file : files) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)),
                      std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
  }
  printf("%zu inputs ran\n", files.size());
  return 0;
}
