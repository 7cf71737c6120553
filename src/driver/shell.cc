#include "driver/shell.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <string>

#include "base/message.h"
#include "config/reader.h"
#include "driver/info.h"

namespace {

// The builtins and keywords of the shells each kind of line is for; sorted.
// A profile of such a name would hide the shell's own command, and in some
// shells could not be defined at all.
const char *const kBourneWords[] = {
    "!",         ".",          ":",        "[",         "[[",        "]]",
    "alias",     "autoload",   "bg",       "bind",      "bindkey",   "break",
    "builtin",   "bye",        "caller",   "case",      "cd",        "chdir",
    "command",   "compgen",    "complete", "compopt",   "continue",  "coproc",
    "declare",   "dirs",       "disable",  "disown",    "do",        "done",
    "echo",      "elif",       "else",     "emulate",   "enable",    "end",
    "esac",      "eval",       "exec",     "exit",      "export",    "false",
    "fc",        "fg",         "fi",       "float",     "for",       "foreach",
    "function",  "functions",  "getln",    "getopts",   "global",    "hash",
    "help",      "history",    "if",       "in",        "integer",   "jobs",
    "kill",      "let",        "limit",    "local",     "log",       "logout",
    "mapfile",   "nocorrect",  "noglob",   "popd",      "print",     "printf",
    "private",   "pushd",      "pushln",   "pwd",       "r",         "read",
    "readarray", "readonly",   "realpath", "rehash",    "rename",    "repeat",
    "return",    "sched",      "select",   "set",       "setopt",    "shift",
    "shopt",     "source",     "suspend",  "test",      "then",      "time",
    "times",     "trap",       "true",     "ttyctl",    "type",      "typeset",
    "ulimit",    "umask",      "unalias",  "unfunction", "unhash",   "unlimit",
    "unset",     "unsetopt",   "until",    "vared",     "wait",      "whence",
    "where",     "which",      "while",    "{",         "}",
};
const char *const kCshWords[] = {
    ":",        "@",        "alias",    "alloc",    "bg",       "bindkey",  "break",
    "breaksw",  "builtins", "case",     "cd",       "chdir",    "complete", "continue",
    "default",  "dirs",     "echo",     "echotc",   "else",     "end",      "endif",
    "endsw",    "eval",     "exec",     "exit",     "fg",       "filetest", "foreach",
    "glob",     "goto",     "hashstat", "history",  "hup",      "if",       "jobs",
    "kill",     "limit",    "log",      "login",    "logout",   "ls-F",     "nice",
    "nohup",    "notify",   "onintr",   "popd",     "printenv", "pushd",    "rehash",
    "repeat",   "sched",    "set",      "setenv",   "settc",    "setty",    "shift",
    "source",   "stop",     "suspend",  "switch",   "telltc",   "termname", "then",
    "time",     "umask",    "unalias",  "uncomplete", "unhash", "unlimit",  "unset",
    "unsetenv", "wait",     "where",    "which",    "while",
};
const char *const kFishWords[] = {
    ".",        ":",          "[",        "_",         "abbr",      "and",     "argparse",
    "begin",    "bg",         "bind",     "block",     "break",     "breakpoint",
    "builtin",  "case",       "cd",       "command",   "commandline", "complete",
    "contains", "continue",   "count",    "disown",    "echo",      "else",    "emit",
    "end",      "eval",       "exec",     "exit",      "false",     "fg",      "for",
    "function", "functions",  "history",  "if",        "jobs",      "math",    "not",
    "or",       "path",       "printf",   "pwd",       "random",    "read",    "realpath",
    "return",   "set",        "set_color", "source",   "status",    "string",  "switch",
    "test",     "time",       "true",     "type",      "ulimit",    "wait",    "while",
};

template <size_t N>
bool listed(const char *const (&words)[N], const std::string &name) {
  return std::binary_search(std::begin(words), std::end(words), name,
                            [](const std::string &a, const std::string &b) { return a < b; });
}

bool shellWord(ShellFamily family, const std::string &name) {
  switch (family) {
    case ShellFamily::Bourne:
      return listed(kBourneWords, name);
    case ShellFamily::Csh:
      return listed(kCshWords, name);
    case ShellFamily::Fish:
      return listed(kFishWords, name);
  }
  return false;
}

// The profiles that become commands: every one but "*" and those named
// like a builtin or keyword of the shell, which are named on standard error.
std::vector<std::string> commandProfiles(const ProfileTable &profiles, ShellFamily family) {
  std::vector<std::string> names;
  for (const auto &profile : profiles) {
    const std::string &p = profile.first;
    if (p == "*") continue;
    if (shellWord(family, p)) {
      std::cout.flush();
      MessageFormat(std::cerr, _("%$: profile `%$' has the name of a shell builtin or "
                                 "keyword: no command is made for it\n"))
          .arg(programName)
          .arg(p);
      continue;
    }
    names.push_back(p);
  }
  return names;
}

// Bytes every shell takes literally in a word; a directory made only of
// them is written as the user typed it.
bool plainWord(const std::string &word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return isalnum(static_cast<unsigned char>(c)) || std::string("_/.,:+@%=-~").find(c) != std::string::npos;
  });
}

// A word in single quotes, as the Bourne shells and csh read it: a quote
// inside ends the quoting, gives itself escaped and starts it again.
std::string singleQuoted(const std::string &text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string wordOf(const std::string &text) {
  return plainWord(text) ? text : singleQuoted(text);
}

}  // namespace

ShellFamily familyOf(ShellKind kind) {
  return kind == ShellKind::CshAlias ? ShellFamily::Csh : ShellFamily::Bourne;
}

void printProfiles(const ProfileTable &profiles) {
  printBanner();
  std::cout << _("Profiles:\n");
  for (const auto &profile : profiles) std::cout << "     " << profile.first << '\n';
  std::cout << '\n';
}

void printAliasLines(const ProfileTable &profiles, ShellKind kind, const char *dir) {
  // The directory is a word of the text an alias or function runs later:
  // quoted for that shell, so that spaces, quotes and `$' in it stay its own.
  const std::string script = (dir ? wordOf(dir) : wordOf(scriptDirectory)) + "/vokscr";
  for (const std::string &p : commandProfiles(profiles, familyOf(kind))) {
    std::string run = script;
    run += " -p ";
    run += p;
    switch (kind) {
      case ShellKind::Alias:
        std::cout << "alias " << p << "=" << singleQuoted(". " + run) << ";\n";
        break;
      case ShellKind::CshAlias:
        std::cout << "alias " << p << " " << singleQuoted("source " + run) << ";\n";
        break;
      case ShellKind::Function:
        std::cout << p << " () { . " << run << " \"$@\" ; };\n";
        break;
    }
  }
}

// What vokscr does, in fish: a new-directory file of the run's own unless
// the user named one, the program run by `env' (never this function), the
// answer read whole (a name may end in a line feed) and the program's exit
// status returned. Every command fish lets a function hide is reached past
// the user's functions (the others are reserved words), and
// the program runs in a shell that outlives Ctrl-C, so that an interrupted
// run still removes its file. Profile names are words, safe in the text as
// they are. The completion's directory joins fish's search path: a login
// shell without XDG_DATA_DIRS never looks in a prefix such as /usr/local.
// A profile's function completes as vok with its -p, so that its patterns
// complete from its own tree.
void printFishFunctions(const ProfileTable &profiles) {
  std::string completions;
  for (char c : std::string(fishCompletionDirectory))
    completions += c == '\'' || c == '\\' ? std::string("\\") + c : std::string(1, c);
  completions = "'" + completions + "'";
  std::cout << "contains -- " << completions << " $fish_complete_path; or set -a "
            << "fish_complete_path " << completions << "\n";
  for (const std::string &p : commandProfiles(profiles, ShellFamily::Fish)) {
    std::cout << "function " << p << (p == "vok" ? "" : " --wraps 'vok -p " + p + "'")
              << " --description 'vok, profile " << p << "'\n"
              << "    set -l vok_file \"$VOK_TEMP\"\n"
                 "    set -l vok_own 0\n"
                 "    if test -z \"$vok_file\"\n"
                 "        set vok_file (command mktemp -t vok.XXXXXXXXXX); or return 1\n"
                 "        set vok_own 1\n"
                 "    end\n"
              << "    command env VOK_TEMP=$vok_file sh -c 'trap : INT QUIT; vok \"$@\"; "
                 "exit $?' vok -p "
              << p << " $argv\n"
              << "    set -l vok_status $status\n"
                 "    set -l vok_dir (string collect -N < $vok_file)\n"
                 "    test $vok_own = 1; and command rm -f -- $vok_file\n"
                 "    if test -n \"$vok_dir\"; and test \"$vok_dir\" != .\n"
                 "        builtin cd $vok_dir; or set vok_status 1\n"
                 "    end\n"
                 "    return $vok_status\n"
                 "end\n";
  }
}
