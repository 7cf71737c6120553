#include "hyper/find_window.h"

#include <cctype>

#include "config/reader.h"
#include "driver/globals.h"

namespace {
constexpr int kCtrlC = 3, kCtrlR = 18, kCtrlS = 19;

bool alphanumeric(int key) { return key >= 0 && key <= 255 && isalnum(key); }
}  // namespace

void zqHyperWindowWithFind::enterFind(int key) {
  manager->pushInputWindow(titleLine);
  manager->pushCursorWindow(titleLine);
  titleLine->processKey(key);
}

void zqHyperWindowWithFind::processKey(int key) {
  switch (activeConfig.KeyBinding) {
    case kKeysVi:
      if (key == '/' || key == '?') {
        titleLine->setRepeatCount(static_cast<int>(count));
        resetVi();
        enterFind(key);
        return;
      }
      break;
    case kKeysEmacs:
      // After ESC a letter is a command (ESC b, ESC f, ESC v), never text.
      if (metaPending) break;
      if (key == kCtrlS || key == kCtrlR) {
        enterFind(key);
        return;
      }
      if (alphanumeric(key)) {
        enterFind(kCtrlS);
        titleLine->processKey(key);
        return;
      }
      break;
    default:
      if (alphanumeric(key)) {
        enterFind(key);
        return;
      }
  }
  HyperWindow::processKey(key);
}

HyperLink zqHyperWindowWithFind::followLink(HyperLink &link) {
  writeNewDirFile(link.target);
  return {"", "", -1, -1, -1, -1, QuitLink};
}

void zqHyperWindowWithFind::passKey(int key) {
  if (key == KEY_F(9) || key == KEY_F(10) || key == kCtrlC) HyperWindow::processKey(key);
}

bool zqHyperWindowWithFind::matches(size_t link, const std::string &text,
                                    const std::string &literal,
                                    const PatternRef &expression) const {
  if (document->textView(link).find(text) != std::string_view::npos) return true;
  // The literal test needs only the target's last component, which costs no
  // copy; the whole target is made only for a pattern with a directory part.
  return literalInLastComponent(literal, document->targetLastComponent(link)) &&
         (!expression || matchesPattern(expression, document->target(link)));
}

void zqHyperWindowWithFind::search(const std::string &text, size_t from, int step,
                                   size_t steps) {
  const size_t count = document->linkCount();
  const std::string literal = patternLiteral(text);
  const PatternRef expression = compilePattern(text);
  size_t at = from % count;
  for (size_t i = 0; i < steps; ++i) {
    if (matches(at, text, literal, expression)) {
      showMatch(at);
      return;
    }
    at = step > 0 ? (at + 1) % count : (at + count - 1) % count;
  }
  finish();
}

void zqHyperWindowWithFind::find(const std::string &text, bool backward) {
  if (text.empty() || document->linkCount() == 0) return;
  search(text, current, backward ? -1 : 1, document->linkCount());
}

void zqHyperWindowWithFind::findNext(const std::string &text) {
  const size_t count = document->linkCount();
  if (count == 0) return;
  search(text, current + 1, 1, count - 1);
}

void zqHyperWindowWithFind::findPrev(const std::string &text) {
  const size_t count = document->linkCount();
  if (count == 0) return;
  search(text, current + count - 1, -1, count - 1);
}
