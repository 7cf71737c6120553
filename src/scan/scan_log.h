// Scan reporters: progress lines, the time spent and problems of one scan.
#ifndef VOK_SCAN_SCAN_LOG_H
#define VOK_SCAN_SCAN_LOG_H

#include <cstdint>
#include <string>

class ScanLog {
 public:
  explicit ScanLog(bool quiet = false) : quiet(quiet) {}
  virtual ~ScanLog() = default;
  virtual void reportDirectory(const std::string &path) = 0;
  virtual void reportPhase(const char *text) = 0;
  virtual void reportTime(int64_t seconds, const char *mode) = 0;
  virtual void reportNotDirectory(const std::string &path) = 0;
  virtual void reportNotFound(const std::string &path) = 0;
  virtual void reportCannotChange(const std::string &name, const char *reason) = 0;

  // A subdirectory could not be entered; permission denied is not news.
  void reportError(const std::string &name, int error);

  bool quiet;
};

// Output on the terminal; what a bad configured directory means depends on
// where it was configured, so the subclasses say that.
class CommandLineScanLog : public ScanLog {
 public:
  using ScanLog::ScanLog;
  void reportDirectory(const std::string &path) override;
  void reportPhase(const char *text) override;
  void reportTime(int64_t seconds, const char *mode) override;
  void reportCannotChange(const std::string &name, const char *reason) override;
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
