// Message formatting: every text shown to a person is looked up in the
// message catalogue and then has its "%$" / "%N$" placeholders filled here.
#ifndef VOK_BASE_MESSAGE_H
#define VOK_BASE_MESSAGE_H

#include <libintl.h>

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

// Catalogue lookup of a message text. The program sets at most the
// character type (for UTF-8 names) and binds no text domain, so without
// outside set-up this returns its argument.
#define _(text) gettext(text)
// Marks a text in a table for the catalogue; the lookup happens where the
// table is read.
#define N_(text) text

extern const char *const programName;
extern const char *const versionString;
// Day of month, month from 0 and years since 1900, as in struct tm.
extern const struct tm releaseDate;

// A piece of a byte text, shown with every non-printable byte as '.' and
// followed by a newline: the form in which rejected input lines are echoed.
struct SafeText {
  const char *text;
  size_t start;
  size_t end;
  size_t maxLength;
  std::string render() const;
};

// Collects arguments and writes the formatted text to the stream when it is
// destroyed, normally at the end of the statement that made it (arguments
// shown as shownOnTerminal when the stream is a terminal):
//   MessageFormat(std::cerr, _("%$: bad `%$'\n")).arg(programName).arg(name);
// It never flushes the stream. Arguments are converted to text at once.
class MessageFormat {
 public:
  MessageFormat(std::ostream &out, const char *format);
  MessageFormat(const MessageFormat &) = delete;
  MessageFormat &operator=(const MessageFormat &) = delete;
  ~MessageFormat();

  MessageFormat &arg(const char *text);
  MessageFormat &arg(const std::string &text);
  MessageFormat &arg(int value);
  MessageFormat &arg(unsigned long value);
  MessageFormat &arg(const SafeText &text);

  // The formatted text, as the destructor will write it.
  std::string str() const;

 private:
  std::ostream &out_;
  std::string format_;
  std::vector<std::string> args_;
};

// Whether the stream is standard output or error on a terminal (asked once).
bool isTerminal(const std::ostream &out);
// The text with control bytes and DEL shown as "?", so that a name cannot
// reach a terminal as an escape sequence; line feeds may be kept.
std::string shownOnTerminal(std::string text, bool keepLineFeeds = false);
// Writes a name or path: as shownOnTerminal on a terminal, else byte for
// byte, so that scripts reading a pipe or a file get exact names.
void writeName(std::ostream &out, const std::string &name);

// Formats a message into a string instead of a stream; one argument.
std::string formatMessage(const char *format, const std::string &argument);

// strftime of the broken-down time; the format is looked up by the caller.
// Returns "" when strftime produces nothing.
std::string formatTime(const char *format, const struct tm &time);

#endif
