// A temporary directory for one test, removed with everything in it when the
// test ends; the working directory is put back too.
#ifndef VOK_TESTS_TEMP_DIR_H
#define VOK_TESTS_TEMP_DIR_H

#include <string>
#include <vector>

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir &) = delete;
  ScopedTempDir &operator=(const ScopedTempDir &) = delete;

  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  int savedCwd_;
};

// Small file helpers for tests.
void writeFile(const std::string &path, const std::string &contents);
std::string readFile(const std::string &path);
void makeDirs(const std::string &path);
bool runningAsRoot();
// The names in a directory that begin with `prefix`.
std::vector<std::string> namesStartingWith(const std::string &dir,
                                           const std::string &prefix);
// The text in single quotes for sh.
std::string shellQuote(const std::string &text);

#endif
