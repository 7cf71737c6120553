// Find mode's input line: the title line edits the search text while find
// mode lasts, and the window with the links moves its highlight to the
// matches as the text changes.
#ifndef VOK_HYPER_FIND_LINE_H
#define VOK_HYPER_FIND_LINE_H

#include <string>

#include "hyper/find_entry.h"
#include "term/status.h"

// What find mode searches: the window with the links.
class SomethingWithFind {
 public:
  virtual bool linksMode() = 0;
  virtual void find(const std::string &text, bool backward) = 0;
  virtual void findPrev(const std::string &text) = 0;
  virtual void findNext(const std::string &text) = 0;
  virtual void select() = 0;
  // Only F9, F10 and ^C are acted on.
  virtual void passKey(int key) = 0;
  virtual ~SomethingWithFind() = default;
};

// The title line that edits the search text while find mode lasts; it is
// then the manager's input and cursor window.
class zqStatusWindowWithFind : public zqStatusWindow {
 public:
  explicit zqStatusWindowWithFind(NCScreenManager &screen);
  void processKey(int key) override;
  void placeCursor() override;
  void setRepeatCount(int count) override { repeatCount = count; }
  void drawPage(int which) override;

  FindEntry entry;
  bool findMode = false;
  int repeatCount = 1;
  SomethingWithFind *target = nullptr;

 private:
  void startFind(int key);
  void findKey(int key);
  void leave();
  void accept();
  void finishVi();
  void popWindows();
};

#endif
