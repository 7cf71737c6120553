// Directory-name normalisation, text escapes, a decimal parser, and thin
// wrappers that let the program call the system with standard strings.
#ifndef VOK_BASE_PATHS_H
#define VOK_BASE_PATHS_H

#include <pwd.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The working directory, or "" when getcwd fails or the path is longer than
// 1023 bytes.
std::string getCurrentDir();

// The contents of a symbolic link (at most 1024 bytes); "" on failure.
std::string readLinkTarget(const std::string &path);

// Whether something exists at path, following links. Paths longer than the
// system accepts at once (deep trees make them) are followed a component at
// a time.
bool pathExists(const std::string &path);

// path unchanged when empty or starting with '~' or '/'; else base + '/' + path.
std::string makeAbsolute(const std::string &path, const std::string &base);

// Expands "~" and "~user", checks that the name is absolute (or, in pattern
// mode, starts like a pattern), folds "//" and "/./" and drops a trailing '/'.
// In pattern mode the name's backslash escapes are converted and an inserted
// home directory is escaped so that it matches literally; regexMode picks the
// regular-expression forms instead of the glob forms. ".." and links are
// left alone. Throws ErrorGenericSyntax.
std::string expandDirName(const std::string &name, bool patternMode,
                          bool regexMode);

// Converts "\xHH" to the byte, '\"' to '"', drops a final '\' and keeps every
// other escape as written. Throws ErrorRange for a malformed "\x".
std::string unescapePattern(const std::string &text);

// Backslash escapes of start directories and bookmark lines: "\xHH" is a
// byte, '\' makes any other byte literal, a final '\' is dropped. Throws
// ErrorRange for a malformed "\x".
std::string unescapeEntry(const std::string &text);

// The value of a hexadecimal digit (either case), or -1.
int hexDigitValue(char c);

std::string escapeGlob(const std::string &text);
std::string escapeRegex(const std::string &text);

// The decimal number that runs from the start of text to the first
// terminator. Empty text, a non-digit or a value above 4294967295 throw
// ErrorRange.
uint32_t parseUnsigned(const char *text, char terminator);

// Thin wrappers: the system call's result is returned unchanged.
namespace sys {
int access(const std::string &path, int mode);
struct passwd *getpwnam(const std::string &name);
FILE *fopen(const std::string &path, const char *mode);
int fputs(const std::string &text, FILE *file);
int fnmatch(const std::string &pattern, const std::string &name, int flags);
int stat(const std::string &path, struct stat *buffer);
int lstat(const std::string &path, struct stat *buffer);
int system(const std::string &command);
}  // namespace sys

#endif
