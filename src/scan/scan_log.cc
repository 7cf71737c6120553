#include "scan/scan_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>

#include "base/message.h"

void ScanLog::reportError(std::string_view name, int error) {
  if (error != EACCES) reportCannotChange(std::string(name), strerror(error));
}

ScanStatusLine::ScanStatusLine(std::ostream &out, bool terminal, Clock clock)
    : out_(out), terminal_(terminal), clock_(std::move(clock)), start_(clock_()) {}

int64_t ScanStatusLine::monotonicMilliseconds() {
  struct timespec now;
#if defined(CLOCK_MONOTONIC_COARSE) && !defined(VOK_PORTABLE)
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
#else
  clock_gettime(CLOCK_MONOTONIC, &now);
#endif
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void ScanStatusLine::count() {
  ++directories_;
  if (!terminal_) return;
  const int64_t now = clock_();
  if (now - start_ < 1000 || (lastShown_ >= 0 && now - lastShown_ < 100)) return;
  lastShown_ = now;
  std::ostringstream text;
  MessageFormat(text, _("%$: directories read: %$"))
      .arg(programName)
      .arg(std::to_string(directories_));
  const std::string line = text.str();
  out_ << '\r' << line;
  // A shorter text than the last one (another language's digits) must not
  // leave the end of the old one behind.
  if (line.size() < shownWidth_) out_ << std::string(shownWidth_ - line.size(), ' ');
  if (line.size() > shownWidth_) shownWidth_ = line.size();
  out_ << '\r';
  out_.flush();
}

void ScanStatusLine::erase() {
  if (shownWidth_ == 0) return;
  out_ << '\r' << std::string(shownWidth_, ' ') << '\r';
  out_.flush();
  shownWidth_ = 0;
  lastShown_ = -1;
}

CommandLineScanLog::CommandLineScanLog(bool quietScan)
    : ScanLog(quietScan), status_(std::cerr, isTerminal(std::cerr)) {}

void CommandLineScanLog::reportDirectory(const std::string &path) {
  if (quiet) {
    status_.count();
    return;
  }
  writeName(std::cout, path);
  std::cout << '\n';
}

void CommandLineScanLog::reportPhase(const char *text) {
  if (!quiet) std::cout << text << '\n';
}

std::string formatDuration(int64_t seconds) {
  int64_t minutes = seconds / 60;
  struct tm time = {};
  time.tm_sec = static_cast<int>(seconds % 60);
  time.tm_min = static_cast<int>(minutes % 60);
  time.tm_hour = static_cast<int>(minutes / 60);
  bool underAnHour = minutes >= -59 && minutes <= 59;
  return formatTime(underAnHour ? _("%M:%S") : _("%H:%M:%S"), time);
}

void CommandLineScanLog::reportTime(int64_t seconds, const char *mode) {
  status_.erase();
  MessageFormat(std::cout, _("Time spent: %$ (%$)\n")).arg(formatDuration(seconds)).arg(mode);
}

void CommandLineScanLog::reportCannotChange(const std::string &name, const char *reason) {
  status_.erase();
  std::cout.flush();
  MessageFormat(std::cerr, _("%$: cannot change to directory %$ - %$\n"))
      .arg(programName)
      .arg(name)
      .arg(reason);
}

void CommandLineScanLog::complain(const char *format, const std::string &path) {
  status_.erase();
  std::cout.flush();
  MessageFormat(std::cerr, format).arg(programName).arg(path);
}

void ScanCommandScanLog::reportNotDirectory(const std::string &path) {
  complain(_("%$: %$ specified in `StartDir' command is not a directory.  Command ignored\n"),
           path);
}
void ScanCommandScanLog::reportNotFound(const std::string &path) {
  complain(_("%$: cannot find directory %$ as specified in `StartDir' command.  "
             "Command ignored\n"),
           path);
}
void TreeCommandScanLog::reportNotDirectory(const std::string &path) {
  complain(_("%$: %$ is not a directory.  Command ignored\n"), path);
}
void TreeCommandScanLog::reportNotFound(const std::string &path) {
  complain(_("%$: cannot find directory %$.  Command ignored\n"), path);
}
void MountCommandScanLog::reportNotDirectory(const std::string &path) {
  complain(_("%$: %$ specified in `MountDir' command is not a directory.  Command ignored\n"),
           path);
}
void MountCommandScanLog::reportNotFound(const std::string &path) {
  complain(_("%$: cannot find directory %$ as specified in `MountDir' command.  "
             "Command ignored\n"),
           path);
}
