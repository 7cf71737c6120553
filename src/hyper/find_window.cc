#include "hyper/find_window.h"

#include <cctype>
#include <cwctype>

#include "term/keys.h"

namespace {

// A letter or digit, of any script while names are read as UTF-8.
bool alphanumeric(int key) {
  if (isCharKey(key)) return iswalnum(static_cast<wint_t>(charOfKey(key)));
  return key >= 0 && key <= 255 && isalnum(key);
}
}  // namespace

void zqHyperWindowWithFind::enterFind(int key) {
  manager->pushInputWindow(titleLine);
  manager->pushCursorWindow(titleLine);
  titleLine->processKey(key);
}

void zqHyperWindowWithFind::processKey(int key) {
  switch (manager->settings.keySet) {
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
  chosenDirectory = link.target;
  return {"", "", -1, -1, -1, -1, QuitLink};
}

void zqHyperWindowWithFind::passKey(int key) {
  if (key == KEY_F(9) || key == KEY_F(10) || key == kCtrlC) HyperWindow::processKey(key);
}

namespace {
// A plain byte search; the texts are short, so a call per link to a
// general search costs more than the search itself.
bool holds(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > hay.size()) return false;
  const char first = needle[0];
  const size_t last = hay.size() - needle.size();
  for (size_t i = 0; i <= last; ++i) {
    if (hay[i] == first && hay.compare(i + 1, needle.size() - 1, needle.substr(1)) == 0)
      return true;
  }
  return false;
}
}  // namespace

LinkQuery::LinkQuery(const std::string &text)
    : text_(text),
      literal_(patternLiteral(text)),
      expression_(compilePattern(text)),
      plain_(literal_ == text),
      bits_(byteBits(literal_)) {}

bool LinkQuery::matches(const HyperDocument &document, size_t link) const {
  // A match holds the literal in its text (which holds the whole text) or
  // in its target's last component.
  if ((document.bytesSeen(link) & bits_) != bits_) return false;
  const LinkCells &cells = document.cells(link);
  if (holds(document.textView(link), text_)) return true;
  // Most links show their target's last component: then the text was those
  // very bytes, and a plain query has been answered.
  if (plain_ && cells.textIsLastComponent) return false;
  // The literal in that component is the same test as literalInLastComponent
  // on the whole target; the target itself is made only for a pattern with
  // a directory part.
  return holds(document.targetLastComponent(link), literal_) &&
         (!expression_ || matchesPattern(expression_, document.target(link)));
}

void zqHyperWindowWithFind::search(const std::string &text, size_t from, int step,
                                   size_t steps) {
  const size_t links = document->linkCount();
  const LinkQuery query(text);
  size_t at = from % links;
  for (size_t i = 0; i < steps; ++i) {
    if (query.matches(*document, at)) {
      showMatch(at);
      return;
    }
    at = step > 0 ? (at + 1 == links ? 0 : at + 1) : (at == 0 ? links - 1 : at - 1);
  }
  finish();
}

void zqHyperWindowWithFind::find(const std::string &text, bool backward) {
  if (text.empty() || document->linkCount() == 0) return;
  search(text, view.current, backward ? -1 : 1, document->linkCount());
}

void zqHyperWindowWithFind::findNext(const std::string &text) {
  const size_t links = document->linkCount();
  if (links == 0) return;
  search(text, view.current + 1, 1, links - 1);
}

void zqHyperWindowWithFind::findPrev(const std::string &text) {
  const size_t links = document->linkCount();
  if (links == 0) return;
  search(text, view.current + links - 1, -1, links - 1);
}
