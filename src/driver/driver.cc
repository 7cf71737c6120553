#include "driver/driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "command/bookmark_commands.h"
#include "command/complete_command.h"
#include "command/jump_command.h"
#include "command/scan_commands.h"
#include "command/views.h"
#include "config/display.h"
#include "config/reader.h"
#include "driver/info.h"
#include "driver/shell.h"
#include "select/new_dir_file.h"

namespace {

// An environment variable set to the empty string counts as unset.
const char *envValue(const char *name) {
  const char *value = getenv(name);
  return value && *value ? value : nullptr;
}

[[noreturn]] void commandLineError(const char *message) {
  throw ErrorGenericCommandLine(message);
}

void secureEnvironment() {
  const char *ifs = getenv("IFS");
  if (ifs && ifs[0] != '\0' && ifs[0] != '\t' && ifs[0] != ' ')
    throw ErrorGenericFile(_("invalid IFS environment variable setting"));
  // Every command the program starts inherits a sane word splitting and no
  // message catalogue path of the caller's choosing.
  setenv("IFS", " \t\n", 1);
  setenv("NLSPATH", "", 1);
}

// The file an environment variable names (as named: nothing moves the
// working directory), or the default.
std::string fileFromEnvironment(const char *variable, const std::string &otherwise) {
  const char *value = envValue(variable);
  return value ? value : otherwise;
}

void setupStartNames(RunNames &names) {
  names.selectedProfile = "vok";
  names.currentDir = getCurrentDir();
  names.homeDir = expandDirName("~", false, false);
  if (names.homeDir.empty() || names.homeDir.back() != '/') names.homeDir += '/';
  names.newDirFile = fileFromEnvironment("VOK_TEMP", names.homeDir + ".vok.newdir");
  names.configFile = fileFromEnvironment("VOK_CONFIG", names.homeDir + ".vok.conf");
  names.configFileStrict = envValue("VOK_CONFIG") != nullptr;
}

// Derives treeFile and bookmarkFile, which depend on the selected profile:
// once, as soon as the profile is known.
void setupFileNames(RunNames &names) {
  names.treeFile = fileFromEnvironment(
      "VOK_DIRTREE", names.homeDir + ".vok.save." + names.selectedProfile + ".gz");
  names.bookmarkFile = fileFromEnvironment(
      "VOK_BOOKMARK", names.homeDir + ".vok.bookmark." + names.selectedProfile);
}

// State gathered by the options that do not end the run.
struct OptionState {
  bool wholeTree = false;
  bool mountScan = true;
  bool fullMode = false;
  bool rescan = false;
  QuietOverride quiet = QuietOverride::None;
  std::vector<std::string> partialList;
};

// The configuration, loaded where the options say: only here, and the
// first time decides whether the files read are named.
const ProfileConfig &configure(RunState &run, bool quiet) {
  loadConfiguration(run.config, run, quiet);
  return run.config.active;
}

// Reads the letters after "-r" in argv[i]; returns how many following
// arguments they consumed (0 or 1).
int readRescanSpecifiers(const std::string &currentDir, int argc, char **argv, int i,
                         OptionState &state) {
  const int r = argc - i;
  bool sawPartial = false;
  for (const char *letter = argv[i] + 2; *letter; ++letter) {
    switch (*letter) {
      case 'q':
        state.quiet = QuietOverride::Quiet;
        break;
      case 'Q':
        state.quiet = QuietOverride::Verbose;
        break;
      case 'f':
        state.fullMode = true;
        break;
      case 'p':
        if (r < 2) commandLineError(_("argument required for `-rp'"));
        if (sawPartial) commandLineError(_("`-rpp' not allowed"));
        if (argv[i + 1][0] == '\0')
          commandLineError(_("argument for `-rp' cannot be empty"));
        if (currentDir.empty() && !state.partialList.empty())
          commandLineError(
              _("multiple `-rp' not allowed when current "
                "directory cannot be determined"));
        state.partialList.emplace_back(argv[i + 1]);
        sawPartial = true;
        break;
      default:
        commandLineError(_("unknown specifier for `-r' option"));
    }
  }
  return sawPartial ? 1 : 0;
}

void jumpWithNumber(RunState &run, const char *pattern, const char *numberText,
                    const OptionState &state) {
  const char *invalid = _("invalid match number");
  uint32_t number;
  try {
    number = parseUnsigned(numberText, '\0');
  } catch (const ErrorRange &) {
    commandLineError(invalid);
  }
  if (number == 0) commandLineError(invalid);
  configure(run, true);
  try {
    jumpByPattern(run, pattern, state.wholeTree, state.mountScan, number);
  } catch (const ErrorRange &) {
    commandLineError(invalid);
  }
}

void runPattern(RunState &run, int argc, char **argv, int i, const OptionState &state) {
  const int r = argc - i;
  if (r == 1 && !state.rescan) {
    configure(run, true);
    jumpByPattern(run, argv[i], state.wholeTree, state.mountScan, 0);
  } else if (r == 2 && !state.rescan) {
    jumpWithNumber(run, argv[i], argv[i + 1], state);
  } else {
    commandLineError(_("too many arguments"));
  }
}

// The installation options: "-ia" and friends, with or without a directory.
bool runInstallOption(RunState &run, const std::string &arg, int r, char **argv, int i) {
  static const struct {
    const char *plain, *withDir;
    ShellKind kind;
    const char *argumentError, *dirError;
  } kInstall[] = {
      {"-ia", "-ias", ShellKind::Alias, N_("argument not allowed for `-ia'"),
       N_("one argument required for `-ias'")},
      {"-ic", "-ics", ShellKind::CshAlias, N_("argument not allowed for `-ic'"),
       N_("one argument required for `-ics'")},
      {"-if", "-ifs", ShellKind::Function, N_("argument not allowed for `-if'"),
       N_("one argument required for `-ifs'")},
  };
  for (const auto &option : kInstall) {
    if (arg == option.plain) {
      configure(run, true);
      if (r != 1) commandLineError(_(option.argumentError));
      printAliasLines(run.config.profiles, option.kind, nullptr);
      return true;
    }
    if (arg == option.withDir) {
      configure(run, true);
      if (r != 2) commandLineError(_(option.dirError));
      printAliasLines(run.config.profiles, option.kind, argv[i + 1]);
      return true;
    }
  }
  if (arg == "-ifish") {
    configure(run, true);
    if (r != 1) commandLineError(_("argument not allowed for `-ifish'"));
    printFishFunctions(run.config.profiles);
    return true;
  }
  if (arg == "-iau" || arg == "-icu" || arg == "-ifu")
    commandLineError(_("user-specific installation deprecated"));
  return false;
}

// Options that print something and end the run; false when arg is none.
bool runInformationOption(RunState &run, const std::string &arg) {
  if (arg == "-h" || arg == "--help") {
    printUsage();
  } else if (arg == "--helpinst") {
    printInstallHelp();
  } else if (arg == "-v" || arg == "--version") {
    printVersion();
  } else if (arg == "--features") {
    printFeatures();
  } else if (arg == "--profiles") {
    configure(run, false);
    printProfiles(run.config.profiles);
  } else if (arg == "--config") {
    showConfig(configure(run, false), run.selectedProfile);
  } else if (arg == "--configattr") {
    showConfigAttr(configure(run, false), run.selectedProfile);
  } else {
    return false;
  }
  return true;
}

// Options that show a tree or edit bookmarks and end the run.
bool runTreeOrBookmarkOption(RunState &run, const std::string &arg, int argc, char **argv,
                             int i, const OptionState &state) {
  const int r = argc - i;
  const std::string next = r >= 2 ? argv[i + 1] : "";
  if (arg == "-b") {
    if (r > 2) commandLineError(_("too many arguments for `-b'"));
    configure(run, true);
    listBookmarksCommand(run, next);
  } else if (arg == "-ba") {
    configure(run, true);
    addBookmarksCommand(run, argc, argv, i + 1);
  } else if (arg == "-br") {
    configure(run, true);
    removeBookmarksCommand(run, argc, argv, i + 1);
  } else if (arg == "-t" || arg == "-tr") {
    const bool rescanFirst = arg == "-tr";
    if (rescanFirst) configure(run, false);
    if (r > 2)
      commandLineError(rescanFirst ? _("too many arguments for `-tr'")
                                   : _("too many arguments for `-t'"));
    configure(run, true);
    loadTree(run);
    showDirectoryTree(run, next, state.mountScan, rescanFirst);
  } else if (arg == "-T") {
    if (r > 1) commandLineError(_("argument not allowed for `-T'"));
    configure(run, true);
    loadTree(run);
    showWholeTree(run, state.mountScan, false);
  } else {
    return false;
  }
  return true;
}

// -p NAME, which only the first argument may be; returns the index of the
// first argument after it.
int readProfileOption(RunState &run, int argc, char **argv) {
  if (argc < 2 || strcmp(argv[1], "-p") != 0) return 1;
  if (argc < 3) commandLineError(_("one argument required for `-p'"));
  if (strcmp(argv[2], "*") == 0) commandLineError(_("`*' profile not allowed in command line"));
  run.selectedProfile = argv[2];
  return 3;
}

// Whether the run answers a shell's completion: "--complete" first, or
// right after "-p NAME".
bool wantsCompletion(int argc, char **argv) {
  const int at = argc >= 3 && strcmp(argv[1], "-p") == 0 ? 3 : 1;
  return at < argc && strcmp(argv[at], "--complete") == 0;
}

// [-p NAME] --complete [--] WORD. The saved tree alone answers, so the
// configuration is not read: a file with errors would stop to ask for
// Enter, which a shell's Tab must never do.
void runCompletion(RunState &run, int argc, char **argv) {
  int i = readProfileOption(run, argc, argv) + 1;
  setupFileNames(run);
  // "--" marks a word that begins with '-' as a pattern; alone, it is the
  // word, an option's beginning.
  const bool afterDashes = argc - i == 2 && strcmp(argv[i], "--") == 0;
  if (afterDashes) ++i;
  if (argc - i != 1) commandLineError(_("one argument required for `--complete'"));
  completeCommand(run, argv[i], afterDashes);
}

void runOptions(RunState &run, int argc, char **argv) {
  OptionState state;
  int i = readProfileOption(run, argc, argv);
  // The profile is known now, and with it the names of the data files.
  setupFileNames(run);
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    const int r = argc - i;
    if (runInformationOption(run, arg) || runInstallOption(run, arg, r, argv, i)) return;
    if (arg == "-p") commandLineError(_("`-p' must be the first option used"));
    if (runTreeOrBookmarkOption(run, arg, argc, argv, i, state)) return;
    // "--" ends the options, as for other tools: what follows is the
    // pattern and its number even when it begins with '-'.
    if (arg == "--") {
      if (i + 1 == argc) break;
      runPattern(run, argc, argv, i + 1, state);
      return;
    }
    if (arg == "-B") {
      state.wholeTree = true;
    } else if (arg == "-M") {
      state.mountScan = false;
    } else if (arg.compare(0, 2, "-r") == 0) {
      configure(run, false);
      i += readRescanSpecifiers(run.currentDir, argc, argv, i, state);
      state.rescan = true;
    } else if (arg[0] == '-') {
      commandLineError(_("unknown option"));
    } else {
      runPattern(run, argc, argv, i, state);
      return;
    }
  }
  if (!state.rescan) {
    configure(run, true);
    browseCommand(run, state.mountScan);
  } else if (state.partialList.empty()) {
    rescanTree(run, state.fullMode, state.quiet);
  } else {
    rescanParts(run, state.partialList, state.fullMode, state.quiet);
  }
}

// Start-up, then the one action the command line asks for.
void runDriver(RunState &run, int argc, char **argv) {
  secureEnvironment();
  setupStartNames(run);
  // A completion runs beside the user's shell, not through its set-up: it
  // leaves every file alone.
  if (wantsCompletion(argc, argv)) {
    runCompletion(run, argc, argv);
    return;
  }
  // The shell stays where it is unless an action chooses a directory.
  writeNewDirFile(run.newDirFile, ".");
  runOptions(run, argc, argv);
}

void reportFailure(const char *message) {
  std::cout.flush();
  std::cerr << programName << message;
  std::cerr.flush();
}

}  // namespace

int runMain(int argc, char **argv) {
  RunState run;
  try {
    runDriver(run, argc, argv);
    keepTreeUntilExit(run.tree);
    // Output that never arrived (a full disk, a closed pipe) must not be
    // reported as success to a script that captured it.
    if (!std::cout.flush()) throw ErrorGenericFile(_("error writing to standard output"));
    return kExitOk;
  } catch (const std::bad_alloc &) {
    reportFailure(_(": not enough memory\n"));
    return kExitNoMemory;
  } catch (const ErrorBase &error) {
    std::cout.flush();
    // Messages may hold names; on a terminal they keep only their lines.
    const std::string message = error.what();
    if (message.empty()) return error.exitCode();
    std::cerr << programName << ": "
              << (isTerminal(std::cerr) ? shownOnTerminal(message, true) : message)
              << '\n';
    std::cerr.flush();
    return error.exitCode();
  } catch (...) {
    reportFailure(_(": unknown exception\n"));
    return kExitOther;
  }
}
