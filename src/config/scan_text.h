// Small scanners that walk one configuration line. A line is a byte string
// with a length and may hold NUL bytes; positions are byte indices.
#ifndef VOK_CONFIG_SCAN_TEXT_H
#define VOK_CONFIG_SCAN_TEXT_H

#include <cstddef>

// First position at or after from that is not a space, tab, CR or LF.
size_t skipBlanks(const char *line, size_t from, size_t length);
// First position at or after from holding a blank, ',' or '='.
size_t wordEnd(const char *line, size_t from, size_t length);
// Skips blanks, requires '=', skips blanks after it and returns that
// position. Throws ErrorSeek when there is no '='.
size_t expectEquals(const char *line, size_t from, size_t length);
// Only spaces and tabs from `from` to the end.
bool restIsBlank(const char *line, size_t from, size_t length);
// Position of the first c at or after from, skipping backslash escapes and
// runs quoted with ", ' or `. Throws ErrorSeek when there is none, or when a
// quoted run or an escape is left open.
size_t findChar(char c, const char *line, size_t from, size_t length);

// Case-insensitive comparison of the n bytes at line[from] with word;
// false when fewer than n bytes remain.
bool startsWithWord(const char *line, size_t from, size_t length, const char *word);

#endif
