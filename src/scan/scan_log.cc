#include "scan/scan_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>

#include "base/message.h"

void ScanLog::reportError(const std::string &name, int error) {
  if (error != EACCES) reportCannotChange(name, strerror(error));
}

void CommandLineScanLog::reportDirectory(const std::string &path) {
  if (quiet) return;
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
  MessageFormat(std::cout, _("Time spent: %$ (%$)\n")).arg(formatDuration(seconds)).arg(mode);
}

void CommandLineScanLog::reportCannotChange(const std::string &name, const char *reason) {
  std::cout.flush();
  MessageFormat(std::cerr, _("%$: cannot change to directory %$ - %$\n"))
      .arg(programName)
      .arg(name)
      .arg(reason);
}

namespace {
void complain(const char *format, const std::string &path) {
  std::cout.flush();
  MessageFormat(std::cerr, format).arg(programName).arg(path);
}
}  // namespace

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
