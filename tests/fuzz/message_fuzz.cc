// Message formatting with arbitrary formats and arguments: the first piece
// of the input (up to a NUL) is the format, every further piece an
// argument whose first byte picks its kind.
#include <ctime>
#include <iostream>
#include <sstream>

#include "base/message.h"
#include "base/utf8.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::vector<std::string> pieces = splitAtNul(data, size);
  const std::string &format = pieces[0];
  std::ostringstream out;
  {
    MessageFormat message(out, format.c_str());
    for (size_t i = 1; i < pieces.size(); ++i) {
      const std::string &piece = pieces[i];
      const std::string text = piece.empty() ? piece : piece.substr(1);
      switch (piece.empty() ? 0 : static_cast<unsigned char>(piece[0]) % 5) {
        case 0:
          message.arg(text);
          break;
        case 1:
          message.arg(text.c_str());
          break;
        case 2:
          message.arg(static_cast<int>(std::strtol(text.c_str(), nullptr, 10)));
          break;
        case 3:
          message.arg(std::strtoul(text.c_str(), nullptr, 10));
          break;
        default: {
          const size_t start = text.size() / 3, end = text.size() - text.size() / 4;
          message.arg(SafeText{text.c_str(), start, end, text.size() / 2 + 1});
        }
      }
    }
    const std::string formatted = message.str();
    (void)formatted;
  }
  for (const std::string &piece : pieces) {
    for (bool keep : {false, true}) {
      const std::string shown = shownOnTerminal(piece, keep);
      if (shown.size() != piece.size())
        propertyBroken("shownOnTerminal changed the length", piece);
      for (unsigned char c : shown)
        if ((c < 0x20 && !(keep && c == '\n')) || c == 0x7f || (c >= 0x80 && !utf8Names()))
          propertyBroken("a control byte reaches the terminal", piece);
    }
  }
  formatMessage(format.c_str(), pieces.size() > 1 ? pieces[1] : std::string());
  struct tm when = {};
  when.tm_year = 126;
  when.tm_mday = 9;
  formatTime(format.c_str(), when);
  return 0;
}
