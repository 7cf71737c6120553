// The hypertext window of the interactive browser: find mode (typing a
// search text on the title line moves the highlight to the links that
// match it) and a selection that keeps the chosen directory and ends the
// display.
#ifndef VOK_HYPER_FIND_WINDOW_H
#define VOK_HYPER_FIND_WINDOW_H

#include <optional>
#include <string>

#include "base/pattern.h"
#include "hyper/find_line.h"
#include "hyper/hyper_window.h"

// A search text with its meaning as a pattern, made once per search.
class LinkQuery {
 public:
  explicit LinkQuery(const std::string &text);
  // A link matches when its text holds the search text, or when its target
  // matches the text taken as a pattern.
  bool matches(const HyperDocument &document, size_t link) const;

 private:
  std::string text_, literal_;
  PatternRef expression_;
  bool plain_;     // no directory part: the literal is the text itself
  uint64_t bits_;  // of the literal, which every match holds somewhere
};

class zqHyperWindowWithFind : public HyperWindow, public SomethingWithFind {
 public:
  zqHyperWindowWithFind(NCScreenManager &screen, HyperDocument &doc,
                        StatusWindowBase &title, StatusWindowBase &status,
                        ScrollBarBase &horizontal, ScrollBarBase &vertical,
                        const std::string &anchor)
      : HyperWindow(screen, kHyperWindow, doc, title, status, horizontal, vertical, anchor) {}

  // The keys that enter find mode in each key set, then the window's own.
  void processKey(int key) override;
  // Keeps the link's target as the chosen directory and ends the loop.
  HyperLink followLink(HyperLink &link) override;

  bool linksMode() override { return true; }
  void find(const std::string &text, bool backward) override;
  void findPrev(const std::string &text) override;
  void findNext(const std::string &text) override;
  void select() override { HyperWindow::select(); }
  void passKey(int key) override;

  std::optional<std::string> chosenDirectory;

 private:
  void enterFind(int key);
  // Tests `steps` links from `from` on, one `step` at a time with wrapping,
  // and shows the first that matches.
  void search(const std::string &text, size_t from, int step, size_t steps);
};

#endif
