#include "base/message.h"

#include <unistd.h>

#include <cctype>
#include <iostream>
#include <sstream>

#include "base/buffer.h"
#include "base/utf8.h"

const char *const programName = "vok";
const char *const versionString = "0.1.0";
const struct tm releaseDate = [] {
  struct tm date = {};
  date.tm_mday = 9;
  date.tm_mon = 11;
  date.tm_year = 126;
  return date;
}();

std::string SafeText::render() const {
  if (start >= end) return "\n";
  size_t stop = maxLength < end - start ? start + maxLength : end;
  std::string shown;
  for (size_t i = start; i < stop; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    shown += isprint(byte) ? static_cast<char>(byte) : '.';
  }
  shown += '\n';
  return shown;
}

MessageFormat::MessageFormat(std::ostream &out, const char *format)
    : out_(out), format_(format ? format : "") {}

MessageFormat::~MessageFormat() { out_ << str(); }

MessageFormat &MessageFormat::arg(const char *text) {
  args_.emplace_back(text ? text : "");
  return *this;
}

MessageFormat &MessageFormat::arg(const std::string &text) {
  args_.push_back(text);
  return *this;
}

MessageFormat &MessageFormat::arg(int value) {
  args_.push_back(std::to_string(value));
  return *this;
}

MessageFormat &MessageFormat::arg(unsigned long value) {
  args_.push_back(std::to_string(value));
  return *this;
}

MessageFormat &MessageFormat::arg(const SafeText &text) {
  args_.push_back(text.render());
  return *this;
}

// Placeholders are "%$" (next argument) and "%N$" (argument N, which also
// advances the counter of "%$"); "%%" is a percent sign. Anything else after
// a '%' stops the output there, so a malformed translation shortens a message
// instead of printing garbage.
std::string MessageFormat::str() const {
  // Names and paths shown on a terminal must not become its commands.
  const bool terminal = isTerminal(out_);
  auto argument = [&](size_t i) {
    return terminal ? shownOnTerminal(args_[i]) : args_[i];
  };
  std::string result;
  const size_t n = format_.size();
  size_t next = 0;
  size_t j = 0;
  while (j < n) {
    if (j == n - 1 || format_[j] != '%') {
      result += format_[j++];
      continue;
    }
    char d = format_[j + 1];
    if (d == '$') {
      if (next < args_.size()) result += argument(next);
      ++next;
      j += 2;
    } else if (d == '%') {
      result += '%';
      j += 2;
    } else {
      size_t k = j + 1;
      unsigned long v = 0;
      bool huge = false;
      while (k < n && isdigit(static_cast<unsigned char>(format_[k]))) {
        if (v > 1000000)
          huge = true;
        else
          v = v * 10 + (format_[k] - '0');
        ++k;
      }
      if (k == n || format_[k] != '$') break;
      if (!huge && v >= 1 && v <= args_.size()) result += argument(v - 1);
      ++next;
      j = k + 1;
    }
  }
  return result;
}

bool isTerminal(const std::ostream &out) {
  static const bool output = isatty(STDOUT_FILENO), errors = isatty(STDERR_FILENO);
  if (&out == &std::cout) return output;
  if (&out == &std::cerr || &out == &std::clog) return errors;
  return false;
}

std::string shownOnTerminal(std::string text, bool keepLineFeeds) {
  // Names read as UTF-8 keep their characters; any other byte from 0x80 on
  // shows as "?" then, as controls always do. Without the setting every
  // such byte does: one of them (0x9b) is a control sequence's start to a
  // terminal in 8-bit mode.
  if (utf8Names()) {
    std::string shown;
    for (size_t at = 0; at < text.size();) {
      const size_t line = text.find('\n', at);
      const size_t end = keepLineFeeds && line != std::string::npos ? line : text.size();
      shown += shownBytes(std::string_view(text).substr(at, end - at), true);
      if (end < text.size()) shown += '\n';
      at = end + 1;
    }
    return shown;
  }
  for (char &c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && !(keepLineFeeds && c == '\n')) || byte >= 0x7f) c = '?';
  }
  return text;
}

void writeName(std::ostream &out, const std::string &name) {
  if (isTerminal(out))
    out << shownOnTerminal(name);
  else
    out << name;
}

std::string formatMessage(const char *format, const std::string &argument) {
  std::ostringstream out;
  MessageFormat(out, format).arg(argument);
  return out.str();
}

std::string formatTime(const char *format, const struct tm &time) {
  Buffer work(true, 20000);
  size_t written = strftime(work.data, work.capacity, format, &time);
  if (written == 0) return std::string();
  return std::string(work.data);
}
