#include "support/run_vok.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char **environ;

VokRunner::VokRunner() {
  makeDirs(home());
  cwd_ = home();
  setEnv("HOME", home());
  setEnv("VOK_TEMP", dir_.file("newdir"));
  setEnv("VOK_CONFIG", dir_.file("vok.conf"));
  setEnv("VOK_DIRTREE", dir_.file("tree.gz"));
  setEnv("VOK_BOOKMARK", dir_.file("bookmarks"));
  setEnv("IFS", std::nullopt);
  makeDirs(tree());
  writeConfig("StartDir = \"" + tree() + "\"\n");
}

VokResult VokRunner::scanTree(const std::string &extraConfig) const {
  writeConfig("StartDir = \"" + tree() + "\"\n" + extraConfig);
  return run({"-rfq"});
}

void VokRunner::setEnv(const std::string &name, std::optional<std::string> value) {
  for (auto &entry : env_) {
    if (entry.first == name) {
      entry.second = std::move(value);
      return;
    }
  }
  env_.emplace_back(name, std::move(value));
}

void VokRunner::setUser(uid_t uid, gid_t gid) {
  uid_ = uid;
  gid_ = gid;
  asUser_ = true;
  binary_ = dir_.file("vok-for-user");
  writeFile(binary_, readFile(VOK_BINARY));
  chmod(binary_.c_str(), 0755);
}

std::string VokRunner::newDirFile() const {
  for (const auto &entry : env_)
    if (entry.first == "VOK_TEMP" && entry.second && !entry.second->empty())
      return *entry.second;
  return home() + "/.vok.newdir";
}

namespace {

std::vector<std::string> childEnvironment(
    const std::vector<std::pair<std::string, std::optional<std::string>>> &env) {
  std::vector<std::string> result;
  for (char **entry = environ; *entry; ++entry) {
    std::string text = *entry;
    bool replaced = false;
    for (const auto &override : env)
      if (text.compare(0, override.first.size() + 1, override.first + "=") == 0)
        replaced = true;
    if (!replaced) result.push_back(text);
  }
  for (const auto &override : env)
    if (override.second) result.push_back(override.first + "=" + *override.second);
  return result;
}

[[noreturn]] void childFail(const char *what) {
  perror(what);
  _exit(127);
}

void redirect(const std::string &path, int flags, int target) {
  int fd = open(path.c_str(), flags, 0600);
  if (fd < 0 || dup2(fd, target) < 0) childFail(path.c_str());
  close(fd);
}

}  // namespace

std::string VokRunner::commandLine(const std::vector<std::string> &args) const {
  std::vector<std::string> argv{binary_};
  argv.insert(argv.end(), args.begin(), args.end());
  return programCommandLine(argv);
}

std::string VokRunner::programCommandLine(const std::vector<std::string> &argv) const {
  std::string command = "cd " + shellQuote(cwd_) + " && env";
  // env takes its -u options before the assignments.
  for (const auto &entry : env_)
    if (!entry.second) command += " -u " + shellQuote(entry.first);
  for (const auto &entry : env_)
    if (entry.second) command += " " + shellQuote(entry.first + "=" + *entry.second);
  if (asUser_)
    command += " setpriv --reuid=" + std::to_string(uid_) +
               " --regid=" + std::to_string(gid_) + " --clear-groups";
  for (const std::string &arg : argv) command += " " + shellQuote(arg);
  return command;
}

VokResult VokRunner::runWithOutput(const std::vector<std::string> &args,
                                   const std::string &outPath) const {
  std::vector<std::string> argv{binary_};
  argv.insert(argv.end(), args.begin(), args.end());
  return execute(argv, outPath);
}

namespace {

// Signals the child when a temporary file shows up, or returns once the
// child has ended without making one (it stays a zombie until reaped, so
// its pid cannot name another process meanwhile).
void waitForTemporary(int watch, pid_t pid, int signal) {
  alignas(struct inotify_event) char buffer[4096];
  for (;;) {
    struct pollfd ready = {watch, POLLIN, 0};
    poll(&ready, 1, 20);
    ssize_t size;
    while ((size = read(watch, buffer, sizeof buffer)) > 0) {
      for (char *at = buffer; at < buffer + size;) {
        const auto *event = reinterpret_cast<const struct inotify_event *>(at);
        if (event->len && strncmp(event->name, ".vok-", 5) == 0) {
          kill(pid, signal);
          return;
        }
        at += sizeof *event + event->len;
      }
    }
    siginfo_t info = {};
    if (waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
      return;
  }
}

}  // namespace

VokResult VokRunner::execute(const std::vector<std::string> &command,
                             const std::string &outPath) const {
  // Remove a stale answer so a run that writes nothing is seen as such.
  unlink(newDirFile().c_str());
  const int watch = writeSignal_ ? inotify_init1(IN_CLOEXEC | IN_NONBLOCK) : -1;
  if (writeSignal_ &&
      (watch < 0 || inotify_add_watch(watch, dir_.path().c_str(), IN_CREATE) < 0))
    throw std::runtime_error("inotify failed");
  const pid_t pid = spawn(command, outPath, "");
  if (watch >= 0) {
    waitForTemporary(watch, pid, writeSignal_);
    close(watch);
  }
  return collect(pid, outPath, "");
}

std::vector<VokResult> VokRunner::runTogether(
    const std::vector<std::vector<std::string>> &runs,
    const std::function<void(const std::vector<pid_t> &)> &whileRunning) const {
  unlink(newDirFile().c_str());
  std::vector<pid_t> pids;
  for (size_t i = 0; i < runs.size(); ++i) {
    std::vector<std::string> argv{binary_};
    argv.insert(argv.end(), runs[i].begin(), runs[i].end());
    pids.push_back(spawn(argv, "", std::to_string(i)));
  }
  if (whileRunning) whileRunning(pids);
  // Two minutes are far beyond these runs: one still going has hung (on a
  // lock that was never released, say) and is ended so the test can fail.
  for (int waited = 0; waited < 12000; ++waited) {
    bool running = false;
    for (pid_t pid : pids) {
      siginfo_t info = {};
      running = running ||
                waitid(P_PID, static_cast<id_t>(pid), &info,
                       WEXITED | WNOHANG | WNOWAIT) != 0 ||
                info.si_pid != pid;
    }
    if (!running) break;
    usleep(10000);
    if (waited == 11999)
      for (pid_t pid : pids) kill(pid, SIGKILL);
  }
  std::vector<VokResult> results;
  for (size_t i = 0; i < runs.size(); ++i)
    results.push_back(collect(pids[i], "", std::to_string(i)));
  return results;
}

pid_t VokRunner::spawn(const std::vector<std::string> &command,
                       const std::string &outPath, const std::string &slot) const {
  const std::string in = dir_.file(".stdin"), err = dir_.file(".stderr" + slot);
  const std::string out = outPath.empty() ? dir_.file(".stdout" + slot) : outPath;
  writeFile(in, input_);
  std::vector<std::string> envText = childEnvironment(env_);
  std::vector<char *> argv, envp;
  std::vector<std::string> argText(command);
  for (auto &arg : argText) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  for (auto &entry : envText) envp.push_back(&entry[0]);
  envp.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid > 0) return pid;
  redirect(in, O_RDONLY, 0);
  redirect(out, O_WRONLY | O_CREAT | (outPath.empty() ? O_TRUNC : 0), 1);
  redirect(err, O_WRONLY | O_CREAT | O_TRUNC, 2);
  if (asUser_ && (setgroups(0, nullptr) != 0 || setgid(gid_) != 0 || setuid(uid_) != 0))
    childFail("setuid");
  if (chdir(cwd_.c_str()) != 0) childFail("chdir");
  if (umask_ >= 0) umask(static_cast<mode_t>(umask_));
  if (fileSizeLimit_ > 0) {
    const struct rlimit limit = {fileSizeLimit_, fileSizeLimit_};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) childFail("setrlimit");
    signal(SIGXFSZ, killedBySize_ ? SIG_DFL : SIG_IGN);
  }
  if (removeCwd_ && rmdir(cwd_.c_str()) != 0) childFail("rmdir");
  // A suite started in the background by a shell inherits Ctrl-C and
  // Ctrl-\ ignored; the runs that tests interrupt must see them as a
  // terminal's foreground would.
  signal(SIGINT, SIG_DFL);
  signal(SIGQUIT, SIG_DFL);
  execve(argv[0], argv.data(), envp.data());
  childFail("execve");
}

VokResult VokRunner::collect(pid_t pid, const std::string &outPath,
                             const std::string &slot) const {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  VokResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  if (outPath.empty()) result.out = readFile(dir_.file(".stdout" + slot));
  result.err = readFile(dir_.file(".stderr" + slot));
  result.newDir = readFile(newDirFile());
  return result;
}
