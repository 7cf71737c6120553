// Scan reporters: progress lines, the time spent and problems of one scan.
#ifndef VOK_SCAN_SCAN_LOG_H
#define VOK_SCAN_SCAN_LOG_H

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

class ScanLog {
 public:
  explicit ScanLog(bool quietScan = false) : quiet(quietScan) {}
  virtual ~ScanLog() = default;
  virtual void reportDirectory(const std::string &path) = 0;
  virtual void reportPhase(const char *text) = 0;
  virtual void reportTime(int64_t seconds, const char *mode) = 0;
  virtual void reportNotDirectory(const std::string &path) = 0;
  virtual void reportNotFound(const std::string &path) = 0;
  virtual void reportCannotChange(const std::string &name, const char *reason) = 0;

  // A subdirectory could not be entered; permission denied is not news.
  void reportError(std::string_view name, int error);

  bool quiet;
};

// A quiet scan on a terminal can take tens of seconds; after the first
// second one line counts the directories read, rewritten in place at most
// ten times a second and erased before anything else is printed. Nothing is
// written when the stream is not a terminal.
class ScanStatusLine {
 public:
  using Clock = std::function<int64_t()>;  // milliseconds, monotonic
  ScanStatusLine(std::ostream &out, bool terminal, Clock clock = monotonicMilliseconds);
  ~ScanStatusLine() { erase(); }
  ScanStatusLine(const ScanStatusLine &) = delete;
  ScanStatusLine &operator=(const ScanStatusLine &) = delete;

  void count();  // one more directory read
  void erase();

  static int64_t monotonicMilliseconds();

 private:
  std::ostream &out_;
  bool terminal_;
  Clock clock_;
  int64_t start_, lastShown_ = -1;
  uint64_t directories_ = 0;
  size_t shownWidth_ = 0;
};

// Output on the terminal; what a bad configured directory means depends on
// where it was configured, so the subclasses say that.
class CommandLineScanLog : public ScanLog {
 public:
  explicit CommandLineScanLog(bool quiet = false);
  void reportDirectory(const std::string &path) override;
  void reportPhase(const char *text) override;
  void reportTime(int64_t seconds, const char *mode) override;
  void reportCannotChange(const std::string &name, const char *reason) override;

 protected:
  void complain(const char *format, const std::string &path);

 private:
  ScanStatusLine status_;
};

class ScanCommandScanLog : public CommandLineScanLog {
 public:
  using CommandLineScanLog::CommandLineScanLog;
  void reportNotDirectory(const std::string &path) override;
  void reportNotFound(const std::string &path) override;
};

class TreeCommandScanLog : public CommandLineScanLog {
 public:
  using CommandLineScanLog::CommandLineScanLog;
  void reportNotDirectory(const std::string &path) override;
  void reportNotFound(const std::string &path) override;
};

class MountCommandScanLog : public CommandLineScanLog {
 public:
  using CommandLineScanLog::CommandLineScanLog;
  void reportNotDirectory(const std::string &path) override;
  void reportNotFound(const std::string &path) override;
};

// "01:15" under an hour, "01:02:05" from an hour on.
std::string formatDuration(int64_t seconds);

#endif
