#include "support/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScopedTempDir::ScopedTempDir() {
  const char *base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vok-test-XXXXXX";
  if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp failed");
  // Resolve links (a /tmp that is a link) so paths compare with getcwd's.
  char *real = realpath(pattern.c_str(), nullptr);
  path_ = real ? real : pattern;
  free(real);
  savedCwd_ = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

ScopedTempDir::~ScopedTempDir() {
  if (savedCwd_ >= 0) {
    if (fchdir(savedCwd_) != 0) { /* nothing better to do in a destructor */
    }
    close(savedCwd_);
  }
  // Unreadable directories made by a test must become removable first. The
  // tools walk trees of any depth (nftw recurses) and never follow links,
  // so nothing outside changes.
  const std::string quoted = shellQuote(path_);
  if (system(("chmod -R u+rwx -- " + quoted + " 2>/dev/null; rm -rf -- " + quoted)
                 .c_str()) != 0) { /* nothing better to do in a destructor */
  }
}

void writeFile(const std::string &path, const std::string &contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void makeDirs(const std::string &path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at == path.size() || path[at] == '/') {
      std::string prefix = path.substr(0, at);
      if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot make " + prefix);
    }
  }
}

bool runningAsRoot() { return geteuid() == 0; }

std::vector<std::string> namesStartingWith(const std::string &dir,
                                           const std::string &prefix) {
  std::vector<std::string> names;
  DIR *listing = opendir(dir.c_str());
  if (!listing) throw std::runtime_error("cannot list " + dir);
  while (struct dirent *entry = readdir(listing))
    if (std::string(entry->d_name).rfind(prefix, 0) == 0) names.push_back(entry->d_name);
  closedir(listing);
  return names;
}

std::string shellQuote(const std::string &text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
