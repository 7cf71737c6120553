#include "config/commands.h"

#include <cstring>
#include <iostream>
#include <string>

#include "base/errors.h"
#include "base/message.h"
#include "config/reader.h"
#include "config/scan_text.h"

void CommandLine::fail(const char *message) const {
  reportCommandError(_(message), name, line, length);
}

size_t CommandLine::valueStart(size_t from) const {
  try {
    return expectEquals(line, from, length);
  } catch (const ErrorSeek &) {
    fail("`=' required");
  }
}

bool parseYesNo(const CommandLine &command, size_t &at) {
  if (startsWithWord(command.line, at, command.length, "yes")) {
    at += 3;
    return true;
  }
  if (startsWithWord(command.line, at, command.length, "no")) {
    at += 2;
    return false;
  }
  command.fail("only YES or NO is allowed");
}

namespace {

struct Word {
  const char *word;
  int32_t value;
};

const Word kAttributeWords[] = {
    {"normal", 0},          {"standout", kAttrStandout}, {"underline", kAttrUnderline},
    {"reverse", kAttrReverse}, {"blink", kAttrBlink},    {"dim", kAttrDim},
    {"bold", kAttrBold}};
// The first eight are the colours a foreground may take.
const Word kColorWords[] = {{"black", 0}, {"red", 1},     {"green", 2}, {"yellow", 3},
                            {"blue", 4},  {"magenta", 5}, {"cyan", 6},  {"white", 7},
                            {"default", kDefaultColor}};
const Word kKeyBindingWords[] = {{"default", 0}, {"vok", 0}, {"vi", 1}, {"emacs", 2}};
const Word kShowNewDirWords[] = {{"default", 2}, {"no", 0}, {"yes", 1}, {"multi", 2}};

template <size_t N>
const Word *findWord(const Word (&table)[N], size_t count, const char *line, size_t from,
                     size_t end) {
  for (size_t i = 0; i < count && i < N; ++i)
    if (strlen(table[i].word) == end - from &&
        startsWithWord(line, from, end, table[i].word))
      return &table[i];
  return nullptr;
}

template <size_t N>
const Word *findWord(const Word (&table)[N], const char *line, size_t from, size_t end) {
  return findWord(table, N, line, from, end);
}

const char *colorName(int32_t color) {
  for (const Word &w : kColorWords)
    if (w.value == color) return w.word;
  return "?";
}

std::string attributeWords(int32_t bits) {
  std::string words;
  for (const Word &w : kAttributeWords)
    if (w.value && (bits & w.value)) words += std::string(w.word) + ' ';
  return words;
}

void requireEnd(const CommandLine &command, size_t at) {
  if (skipBlanks(command.line, at, command.length) != command.length)
    command.fail("extra characters");
}

// --- Yes/no settings
void parseFlag(ConfigReader &reader, const CommandLine &command, size_t from,
               const ConfigCommand &target) {
  size_t at = command.valueStart(from);
  bool value = parseYesNo(command, at);
  if (!restIsBlank(command.line, at, command.length)) command.fail("extra characters");
  reader.sectionProfile().*target.target.flag = value;
}
void printFlag(const ProfileConfig &profile, const ConfigCommand &command) {
  std::cout << command.name << ": "
            << (profile.*command.target.flag ? _("Yes\n") : _("No\n"));
}
// A setting added to the described ones shows only when it is on, so that
// the display of a configuration without it stays as scripts know it.
void printAddedFlag(const ProfileConfig &profile, const ConfigCommand &command) {
  if (profile.*command.target.flag) printFlag(profile, command);
}

// --- Unsigned numbers
void parseNumber(ConfigReader &reader, const CommandLine &command, size_t from,
                 const ConfigCommand &target) {
  const char *line = command.line;
  size_t at = command.valueStart(from);
  if (at == command.length) command.fail("non-negative integer required");
  for (size_t i = at; i < command.length; ++i)
    if (line[i] < '0' || line[i] > '9') command.fail("non-negative integer required");
  uint64_t value = 0;
  for (size_t i = at; i < command.length; ++i) {
    value = value * 10 + static_cast<uint64_t>(line[i] - '0');
    if (value > 4294967295ULL) command.fail("number out of range");
  }
  reader.sectionProfile().*target.target.number = static_cast<uint32_t>(value);
}
void printNumber(const ProfileConfig &profile, const ConfigCommand &command) {
  std::cout << command.name << ": " << profile.*command.target.number << '\n';
}

// --- One word of a table: KeyBinding and ShowNewDir
template <size_t N>
void parseChoice(const Word (&table)[N], ConfigReader &reader, const CommandLine &command,
                 size_t from, const ConfigCommand &target) {
  size_t at = command.valueStart(from);
  size_t end = wordEnd(command.line, at, command.length);
  const Word *word = findWord(table, command.line, at, end);
  if (!word) command.fail("invalid attribute");
  requireEnd(command, end);
  reader.sectionProfile().*target.target.integer = word->value;
}
void parseKeyBinding(ConfigReader &reader, const CommandLine &command, size_t from,
                     const ConfigCommand &target) {
  parseChoice(kKeyBindingWords, reader, command, from, target);
}
// Writes the display name of a value 0 to 2 of a word-table setting.
void printChoice(const ProfileConfig &profile, const ConfigCommand &command,
                 const char *const (&names)[3]) {
  int32_t value = profile.*command.target.integer;
  std::cout << command.name << ": " << (value >= 0 && value < 3 ? names[value] : "?") << '\n';
}
void printKeyBinding(const ProfileConfig &profile, const ConfigCommand &command) {
  static const char *const kNames[] = {"Default", "vi", "emacs"};
  printChoice(profile, command, kNames);
}
void parseShowNewDir(ConfigReader &reader, const CommandLine &command, size_t from,
                     const ConfigCommand &target) {
  parseChoice(kShowNewDirWords, reader, command, from, target);
}
void printShowNewDir(const ProfileConfig &profile, const ConfigCommand &command) {
  static const char *const kNames[] = {"No", "Yes", "Multi"};
  printChoice(profile, command, kNames);
}

// Reads attribute words from `at`, ORing their bits; "normal" only first and
// alone. Stops at the first word that is not an attribute word and returns
// its start; `end` receives its end. wordsRead counts the attribute words.
size_t readAttributeWords(const CommandLine &command, size_t at, int32_t &bits,
                          int &wordsRead, size_t &end) {
  bool sawNormal = false;
  for (;;) {
    end = wordEnd(command.line, at, command.length);
    const Word *word = findWord(kAttributeWords, command.line, at, end);
    if (!word) return at;
    if (word->value == 0 ? wordsRead > 0 : sawNormal) command.fail("invalid value");
    sawNormal = sawNormal || word->value == 0;
    bits |= word->value;
    ++wordsRead;
    at = skipBlanks(command.line, end, command.length);
    if (at == command.length) return at;
  }
}

// --- Colour attributes: [words] FOREGROUND on BACKGROUND
void parseColorAttr(ConfigReader &reader, const CommandLine &command, size_t from,
                    const ConfigCommand &target) {
  const char *line = command.line;
  const size_t length = command.length;
  size_t end;
  int32_t bits = 0;
  int words = 0;
  size_t at = readAttributeWords(command, command.valueStart(from), bits, words, end);
  if (at == length && words > 0) command.fail("invalid attribute");
  const Word *foreground = findWord(kColorWords, 8, line, at, end);
  if (!foreground) command.fail("invalid color");
  at = skipBlanks(line, end, length);
  if (at == length) command.fail("invalid value");
  if (!startsWithWord(line, at, length, "on")) command.fail("ON required");
  at = skipBlanks(line, at + 2, length);
  if (at == length) command.fail("invalid value");
  end = wordEnd(line, at, length);
  const Word *background = findWord(kColorWords, line, at, end);
  if (!background) command.fail("invalid color");
  requireEnd(command, end);
  ScreenAttr &attr = reader.sectionProfile().attrs[target.target.slot];
  attr.foreground = foreground->value;
  attr.background = background->value;
  attr.colorBits = bits;
}
void printColorAttr(const ProfileConfig &profile, const ConfigCommand &command) {
  const ScreenAttr &attr = profile.attrs[command.target.slot];
  std::cout << command.name << ": " << attributeWords(attr.colorBits)
            << colorName(attr.foreground) << " on " << colorName(attr.background) << '\n';
}

// --- Monochrome attributes: a list of attribute words
void parseMonoAttr(ConfigReader &reader, const CommandLine &command, size_t from,
                   const ConfigCommand &target) {
  size_t end;
  int32_t bits = 0;
  int words = 0;
  size_t at = readAttributeWords(command, command.valueStart(from), bits, words, end);
  if (at != command.length || words == 0) command.fail("invalid attribute");
  reader.sectionProfile().attrs[target.target.slot].monoBits = bits;
}
void printMonoAttr(const ProfileConfig &profile, const ConfigCommand &command) {
  int32_t bits = profile.attrs[command.target.slot].monoBits;
  std::cout << command.name << ": " << (bits ? attributeWords(bits) : "normal") << '\n';
}

// --- The background colour
void parseBackground(ConfigReader &reader, const CommandLine &command, size_t from,
                     const ConfigCommand &target) {
  size_t at = command.valueStart(from);
  size_t end = wordEnd(command.line, at, command.length);
  const Word *color = findWord(kColorWords, 8, command.line, at, end);
  if (!color) command.fail("invalid color");
  requireEnd(command, end);
  reader.sectionProfile().*target.target.integer = color->value;
}
void printBackground(const ProfileConfig &profile, const ConfigCommand &command) {
  std::cout << command.name << ": " << colorName(profile.*command.target.integer) << " \n";
}

const ConfigValueType flagType{parseFlag, printFlag};
const ConfigValueType addedFlagType{parseFlag, printAddedFlag};
const ConfigValueType numberType{parseNumber, printNumber};
const ConfigValueType keyBindingType{parseKeyBinding, printKeyBinding};
const ConfigValueType showNewDirType{parseShowNewDir, printShowNewDir};
const ConfigValueType colorAttrType{parseColorAttr, printColorAttr};
const ConfigValueType monoAttrType{parseMonoAttr, printMonoAttr};
const ConfigValueType backgroundType{parseBackground, printBackground};

ConfigCommand flag(const char *name, bool ProfileConfig::*field,
                   const ConfigValueType &type = flagType) {
  ConfigCommand c{name, &type, {}, false};
  c.target.flag = field;
  return c;
}
ConfigCommand number(const char *name, uint32_t ProfileConfig::*field) {
  ConfigCommand c{name, &numberType, {}, false};
  c.target.number = field;
  return c;
}
ConfigCommand integer(const char *name, const ConfigValueType &type,
                      int32_t ProfileConfig::*field, bool isAttribute) {
  ConfigCommand c{name, &type, {}, isAttribute};
  c.target.integer = field;
  return c;
}
ConfigCommand dirs(const char *name, const ConfigValueType &type,
                   DirList ProfileConfig::*field) {
  ConfigCommand c{name, &type, {}, false};
  c.target.dirs = field;
  return c;
}
ConfigCommand mounts(const char *name, const ConfigValueType &type) {
  ConfigCommand c{name, &type, {}, false};
  c.target.mounts = &ProfileConfig::MountDir;
  return c;
}
ConfigCommand attr(const char *name, const ConfigValueType &type, int slot) {
  ConfigCommand c{name, &type, {}, true};
  c.target.slot = slot;
  return c;
}

using P = ProfileConfig;

}  // namespace

const ConfigCommand configCommands[] = {
    flag("QuietFullScan", &P::QuietFullScan),
    flag("QuietSmartScan", &P::QuietSmartScan),
    flag("QuietPartialScan", &P::QuietPartialScan),
    flag("AutoScan", &P::AutoScan),
    flag("SpaceSelect", &P::SpaceSelect),
    flag("SortTree", &P::SortTree),
    flag("CaseSensitiveSort", &P::CaseSensitiveSort),
    flag("GraphicChar", &P::GraphicChar),
    flag("ScrollBar", &P::ScrollBar),
    flag("GlobDot", &P::GlobDot),
    flag("GlobPath", &P::GlobPath),
    flag("Utf8Names", &P::Utf8Names, addedFlagType),
    integer("KeyBinding", keyBindingType, &P::KeyBinding, false),
    integer("ShowNewDir", showNewDirType, &P::ShowNewDir, false),
    number("ShowListThreshold", &P::ShowListThreshold),
    number("FuzzySize", &P::FuzzySize),
    number("MouseScrollRate", &P::MouseScrollRate),
    dirs("StartDir", dirEntryType, &P::StartDir),
    dirs("SkipDir", skipEntryType, &P::SkipDir),
    dirs("DefaultTree", dirEntryType, &P::DefaultTree),
    dirs("ClearStartDir", clearType, &P::StartDir),
    dirs("ClearSkipDir", clearType, &P::SkipDir),
    mounts("MountDir", mountEntryType),
    mounts("ClearMountDir", clearMountType),
    attr("NormalColorAttr", colorAttrType, kAttrNormal),
    attr("NormalBWAttr", monoAttrType, kAttrNormal),
    attr("DirColorAttr", colorAttrType, kAttrDir),
    attr("DirBWAttr", monoAttrType, kAttrDir),
    attr("HighlightDirColorAttr", colorAttrType, kAttrHighlightDir),
    attr("HighlightDirBWAttr", monoAttrType, kAttrHighlightDir),
    attr("SymLinkColorAttr", colorAttrType, kAttrSymLink),
    attr("SymLinkBWAttr", monoAttrType, kAttrSymLink),
    attr("HighlightSymLinkColorAttr", colorAttrType, kAttrHighlightSymLink),
    attr("HighlightSymLinkAttr", monoAttrType, kAttrHighlightSymLink),
    attr("TitleColorAttr", colorAttrType, kAttrTitle),
    attr("TitleBWAttr", monoAttrType, kAttrTitle),
    attr("StatusColorAttr", colorAttrType, kAttrStatus),
    attr("StatusBWAttr", monoAttrType, kAttrStatus),
    attr("MoreColorAttr", colorAttrType, kAttrMore),
    attr("MoreBWAttr", monoAttrType, kAttrMore),
    attr("ScrollArrowColorAttr", colorAttrType, kAttrScrollArrow),
    attr("ScrollArrowBWAttr", monoAttrType, kAttrScrollArrow),
    attr("ScrollBlockColorAttr", colorAttrType, kAttrScrollBlock),
    attr("ScrollBlockBWAttr", monoAttrType, kAttrScrollBlock),
    attr("ScrollBarColorAttr", colorAttrType, kAttrScrollBar),
    attr("ScrollBarBWAttr", monoAttrType, kAttrScrollBar),
    integer("DefaultBackground", backgroundType, &P::DefaultBackground, true),
};
const size_t configCommandCount = sizeof configCommands / sizeof configCommands[0];
