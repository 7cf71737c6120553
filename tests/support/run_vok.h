// Runs the built vok binary as a child process in a test's temporary
// directory, with every per-user file named inside that directory.
#ifndef VOK_TESTS_RUN_VOK_H
#define VOK_TESTS_RUN_VOK_H

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

struct VokResult {
  int status = -1;  // exit status, or -1 when the child did not exit
  int signal = 0;   // the signal that ended the child, if one did
  std::string out;
  std::string err;
  std::string newDir;  // contents of the new-directory file after the run
};

class VokRunner {
 public:
  // HOME, VOK_TEMP, VOK_CONFIG, VOK_DIRTREE and VOK_BOOKMARK all point into
  // the temporary directory, so no run can reach the real home directory.
  // The configuration starts with the one StartDir tree(), so that no scan
  // ever leaves the temporary directory; tests replace it as they need.
  VokRunner();

  std::string tree() const { return dir_.file("tree"); }
  std::string configFile() const { return dir_.file("vok.conf"); }
  void writeConfig(const std::string &text) const { writeFile(configFile(), text); }
  // Makes a directory (with its parents) below tree().
  void makeTreeDirs(const std::string &relative) const { makeDirs(tree() + "/" + relative); }
  // Configures tree() as the one StartDir, with the extra lines, and scans
  // it in full, quietly.
  VokResult scanTree(const std::string &extraConfig = "") const;

  // Sets (or with nullopt removes) an environment variable of later runs.
  void setEnv(const std::string &name, std::optional<std::string> value);
  void setCwd(const std::string &dir) { cwd_ = dir; }
  // The file creation mask of later runs (the test's own otherwise).
  void setUmask(mode_t mask) { umask_ = static_cast<int>(mask); }
  void setInput(const std::string &text) { input_ = text; }
  // The child removes its working directory before it starts vok, so that
  // the current directory cannot be determined.
  void removeCwdBeforeRun() { removeCwd_ = true; }
  // Later runs may not write files beyond this many bytes (RLIMIT_FSIZE):
  // a write past it fails (EFBIG), or with `killed` the system ends the
  // program in the middle of it (SIGXFSZ). 0 lifts the limit.
  void setFileSizeLimit(unsigned long bytes, bool killed) {
    fileSizeLimit_ = bytes;
    killedBySize_ = killed;
  }
  // Later runs get this signal (0: none) as soon as they create a temporary
  // file (".vok-…") in the test's directory, that is while they write a
  // data file there.
  void signalWhileWriting(int signal) { writeSignal_ = signal; }
  // Runs as this user and group id (root only); HOME stays the temporary one.
  // The binary is copied where that user may run it, whatever the build's umask.
  void setUser(uid_t uid, gid_t gid);

  VokResult run(const std::vector<std::string> &args) const {
    return runWithOutput(args, "");
  }
  // Starts every run at once and waits for them all; the results come in
  // the order of the runs. `whileRunning` gets their process ids before the
  // wait. A run that takes a minute is killed (it has hung).
  std::vector<VokResult> runTogether(
      const std::vector<std::vector<std::string>> &runs,
      const std::function<void(const std::vector<pid_t> &)> &whileRunning = {}) const;
  // As run, with standard output sent to the named file instead of captured.
  VokResult runWithOutput(const std::vector<std::string> &args,
                          const std::string &outPath) const;
  // A shell command that runs the program in this environment and working
  // directory, for a terminal of its own.
  std::string commandLine(const std::vector<std::string> &args) const;
  // The same for another program (argv[0] is its path).
  std::string programCommandLine(const std::vector<std::string> &argv) const;
  // Runs another program (argv[0] is its path) in the same environment.
  VokResult runProgram(const std::vector<std::string> &argv) const {
    return execute(argv, "");
  }

  const ScopedTempDir &dir() const { return dir_; }
  std::string home() const { return dir_.file("home"); }
  std::string newDirFile() const;

 private:
  VokResult execute(const std::vector<std::string> &argv,
                    const std::string &outPath) const;
  // One child, its output in files of its own slot.
  pid_t spawn(const std::vector<std::string> &argv, const std::string &outPath,
              const std::string &slot) const;
  VokResult collect(pid_t pid, const std::string &outPath, const std::string &slot) const;

  ScopedTempDir dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> env_;
  std::string cwd_;
  std::string input_;
  std::string binary_ = VOK_BINARY;
  bool asUser_ = false;
  unsigned long fileSizeLimit_ = 0;
  bool killedBySize_ = false;
  int writeSignal_ = 0;
  int umask_ = -1;
  bool removeCwd_ = false;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

#endif
