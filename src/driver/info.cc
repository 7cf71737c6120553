#include "driver/info.h"

#include <iostream>

#include "base/message.h"

void printBanner() {
  std::cout << programName << ' ' << versionString << _(" - Voknav\n");
  MessageFormat(std::cout, _("Directory changer for Unix shells, released %$\n\n"))
      .arg(formatTime(_("%b %e, %Y"), releaseDate));
}

void printVersion() {
  std::cout << programName << ' ' << versionString << '\n';
}

void printUsage() {
  printBanner();
  MessageFormat(std::cout,
                _("Usage:   %$ [-B] [PATTERN] [NUMBER]\n  or:    %$ [OPTION]\n"))
      .arg(programName)
      .arg(programName);
  std::cout << _("Available options:\n");
  std::cout << _(
      "     -b [PATTERN]   Display bookmarked directories matching PATTERN\n"
      "                    (default = display all)\n"
      "     -ba [DIR ...]  Bookmark DIR list (default = current directory)\n"
      "     -br [DIR ...]  Remove DIR list bookmark\n"
      "     -B             Use entire tree even a bookmarked match is found\n");
  std::cout << _(
      "     --config       Display current configuration\n"
      "     --configattr   Display current screen attribute configuration\n"
      "     --features     Display features included during compilation\n"
      "     -h, --help     Display this help\n"
      "     --helpinst     Display help about shell alias/function installation\n");
  std::cout << _("     -M             Don't scan directories given by MountDir\n");
  std::cout << _(
      "     -p NAME        Use configuration profile NAME.  If used, this must be\n"
      "                    the first option in the command line\n"
      "     --profiles     Display the list of configuration profile\n");
  std::cout << _(
      "     -r             Rescan directory tree\n"
      "     -rf            Rescan directory tree using full rescan mode\n"
      "     -rp DIR        Rescan part of directory tree beginning at DIR\n"
      "     -rq            Rescan directory tree, do not display progress\n"
      "     -rQ            Rescan directory tree, display progress\n"
      "     -t [DIR]       Display DIR as directory tree (default = current\n"
      "                    directory)\n"
      "     -tr [DIR]      Like -t but rescan directory tree before display\n"
      "     -T             Display full directory tree\n"
      "     -v, --version  Display version number\n\n");
}

void printInstallHelp() {
  printBanner();
  MessageFormat(std::cout, _("Usage:   eval `%$ [OPTION]`\n")).arg(programName);
  std::cout << _("Available options:\n");
  std::cout << _(
      "     -ia            Print command for shell alias installation\n"
      "                    (Works with bash, pdksh, zsh)\n");
  std::cout << _(
      "     -ic            Print command for shell alias installation\n"
      "                    (Works with tcsh)\n");
  std::cout << _(
      "     -if            Print command for shell function installation\n"
      "                    (Works with ash)\n");
  std::cout << _(
      "     -ias DIR,      Same as -ia,-ic or -if but use the specified\n"
      "        -ics DIR,   directory\n"
      "        -ifs DIR\n\n");
}

void printFeatures() {
  static const char *const kFeatures[][2] = {
      {N_("     xterm/rxvt resize   : "), N_("Yes")},
      {N_("     mouse support       : "), N_("Yes")},
      {N_("     default scroll bar  : "), N_("Yes")},
      {N_("     UTF-8 support       : "), N_("No")},
      {N_("     d_type speedup      : "), N_("Yes")},
      {N_("     regular expression  : "), N_("Yes")},
  };
  printBanner();
  for (const auto &feature : kFeatures)
    std::cout << _(feature[0]) << _(feature[1]) << '\n';
  std::cout << '\n';
}
