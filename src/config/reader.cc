// How a configuration file is read: one logical line at a time, with '#'
// comments (not inside double quotes), CRs dropped and tabs turned into
// spaces. A line is blank, a "[profile]" header, or a command whose name is
// matched case-insensitively, longest name first, against the command table.
// A bad value or header is reported, counted and skipped; an unknown command
// ends loading. After a file with errors the user is asked to press Enter.
#include "config/reader.h"

#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <iostream>
#include <memory>

#include "base/errors.h"
#include "base/message.h"
#include "base/utf8.h"
#include "base/paths.h"
#include "config/commands.h"
#include "config/scan_text.h"

namespace {

struct FileCloser {
  void operator()(FILE *file) const { fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

void reportToError(const char *message) {
  std::cout.flush();
  std::cerr << programName << message;
}

bool sameStatus(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_mode == b.st_mode &&
         a.st_nlink == b.st_nlink && a.st_uid == b.st_uid && a.st_gid == b.st_gid &&
         a.st_rdev == b.st_rdev && a.st_size == b.st_size &&
         a.st_blksize == b.st_blksize && a.st_blocks == b.st_blocks &&
         a.st_mtime == b.st_mtime && a.st_ctime == b.st_ctime;
}

// A file named by the environment could be swapped for a link to someone
// else's file; refuse anything but a plain file that is what was opened.
void checkStrictFile(const std::string &name, FILE *file) {
  struct stat byName, byFile;
  if (sys::lstat(name, &byName) != 0 || fstat(fileno(file), &byFile) != 0)
    throw ErrorGenericFile(_("cannot obtain status for configuration file"));
  if (S_ISLNK(byName.st_mode))
    throw ErrorGenericFile(_("configuration cannot be a symbolic link"));
  if (!S_ISREG(byName.st_mode))
    throw ErrorGenericFile(_("configuration file must be a regular file"));
  if (byName.st_nlink >= 2)
    throw ErrorGenericFile(_("invalid link count for configuration file"));
  if (!sameStatus(byName, byFile)) throw ErrorGenericFile(_("race condition detected"));
}

bool validProfileName(const std::string &name) {
  if (name == "*") return true;
  if (name.empty()) return false;
  auto letter = [](char c) { return isalpha(static_cast<unsigned char>(c)) || c == '_'; };
  if (!letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}


const ConfigCommand *findCommand(const char *line, size_t at, size_t length) {
  const ConfigCommand *best = nullptr;
  size_t bestLength = 0;
  for (size_t i = 0; i < configCommandCount; ++i) {
    const ConfigCommand &command = configCommands[i];
    size_t n = strlen(command.name);
    if (n > bestLength && startsWithWord(line, at, length, command.name)) {
      best = &command;
      bestLength = n;
    }
  }
  return best;
}


// Waits for Enter; the end of input or a read error ends the wait too, so a
// run with standard input closed cannot hang here.
void pauseAfterErrors() {
  std::cout.flush();
  std::cerr << _("Error found, press Enter key to continue...\n");
  std::cerr.flush();
  for (int c; (c = getchar()) != EOF && c != '\n';) {}
}

}  // namespace

ConfigReader::ConfigReader(ProfileTable &profiles, FileSystem &fs)
    : profiles_(profiles), fs_(fs) {}

ProfileConfig &ConfigReader::sectionProfile() {
  auto found = profiles_.find(section_);
  if (found == profiles_.end()) found = profiles_.emplace(section_, ProfileConfig()).first;
  return found->second;
}

// Returns false when the header was bad (reported and to be counted).
bool ConfigReader::readSectionHeader(const char *line, size_t open, size_t length) {
  size_t close;
  try {
    close = findChar(']', line, open + 1, length);
  } catch (const ErrorSeek &) {
    reportToError(_(": missing `]'\n"));
    printIgnoredLine(line, length);
    return false;
  }
  std::string name(line + open + 1, close - open - 1);
  const char *problem = nullptr;
  if (!restIsBlank(line, close + 1, length))
    problem = _(": extra characters after profile name\n");
  else if (!validProfileName(name))
    problem = _(": invalid characters in profile name\n");
  if (problem) {
    reportToError(problem);
    printIgnoredLine(line, length);
    return false;
  }
  section_ = name;
  if (name != "*" && !profiles_.count(name)) profiles_.emplace(name, profiles_.at("*"));
  return true;
}

// Returns false when the line held a bad value (to be counted). Throws
// ErrorGenericSyntax for an unknown command.
bool ConfigReader::readCommandLine(const char *line, size_t at, size_t length) {
  const ConfigCommand *command = findCommand(line, at, length);
  if (!command) {
    reportToError(_(": unrecognized command:\n"));
    printIgnoredLine(line, length);
    throw ErrorGenericSyntax(_("Error found, program aborted"));
  }
  try {
    const CommandLine text{command->name, line, length};
    command->type->parse(*this, text, at + strlen(command->name), *command);
  } catch (const ErrorSyntaxIgnored &) {
    return false;
  }
  return true;
}

void printIgnoredLine(const char *line, size_t length) {
  MessageFormat(std::cerr, _("        %$     Command ignored\n"))
      .arg(SafeText{line, 0, length, length});
}

void reportCommandError(const char *message, const char *command, const char *line,
                        size_t length) {
  std::cout.flush();
  MessageFormat(std::cerr, _("%$: %$ in `%$' command:\n"))
      .arg(programName)
      .arg(message)
      .arg(command);
  printIgnoredLine(line, length);
  throw ErrorSyntaxIgnored();
}

int readConfigLine(FILE *file, Buffer &line) {
  line.clear();
  bool quoted = false, escaped = false;
  for (;;) {
    int c = getc(file);
    if (c == EOF) return -1;
    if (c == '\r') continue;
    if (c == '\n') return 0;
    if (c == '#' && !quoted) {
      while ((c = getc(file)) != EOF && c != '\n') {}
      return c == EOF ? -1 : 0;
    }
    if (c == '"') {
      if (!escaped) quoted = !quoted;
      escaped = false;
    } else if (c == '\\') {
      escaped = !escaped;
    } else {
      escaped = false;
      if (c == '\t') c = ' ';
    }
    line.putChar(static_cast<char>(c));
  }
}

void ConfigReader::readFile(const std::string &name, bool quiet, bool strict) {
  FileHandle file(sys::fopen(name, "r"));
  if (!file) return;
  section_ = "*";
  if (strict) checkStrictFile(name, file.get());
  if (!quiet)
    MessageFormat(std::cout, _("%$: loading configuration from %$\n"))
        .arg(programName)
        .arg(name);
  Buffer line(true, 100);
  int errors = 0;
  for (int end = 0; end == 0;) {
    end = readConfigLine(file.get(), line);
    size_t at = skipBlanks(line.data, 0, line.length);
    if (at == line.length) continue;
    bool good = line.data[at] == '['
                    ? readSectionHeader(line.data, at, line.length)
                    : readCommandLine(line.data, at, line.length);
    if (!good) ++errors;
  }
  file.reset();
  if (errors > 0) pauseAfterErrors();
}

void loadConfiguration(Configuration &config, const RunNames &names, bool quiet) {
  if (config.loaded) return;
  config.loaded = true;
  config.profiles["*"] = ProfileConfig();
  ConfigReader reader(config.profiles, systemFileSystem());
  reader.readFile(systemConfigFile, quiet, false);
  reader.readFile(names.configFile, quiet, names.configFileStrict);
  auto selected = config.profiles.find(names.selectedProfile);
  if (selected == config.profiles.end())
    selected = config.profiles.emplace(names.selectedProfile, config.profiles.at("*")).first;
  config.active = selected->second;
  // Names as UTF-8 need the environment's character type, and only that.
  if (config.active.Utf8Names) enableUtf8Names();
}
