// The title line (also the find input line) and the status line: one-line
// windows with pages of text. The status line shows the target of the
// highlighted link, a hint and key-help pages that a click turns.
#ifndef VOK_TERM_STATUS_H
#define VOK_TERM_STATUS_H

#include <string>

#include "term/find_entry.h"
#include "term/window.h"

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

class StatusWindowBase : public NCPlainWindow {
 public:
  using NCPlainWindow::NCPlainWindow;
  virtual int pageCount() = 0;
  virtual void setText(const char *s) { setText(std::string(s)); }
  // Keeps the page: a help page stays up when the text changes.
  virtual void setText(const std::string &s);
  virtual void nextPage();
  virtual void setRepeatCount(int) {}
  virtual void drawPage(int page) = 0;  // -1: the current page

  int page = 0;
  std::string text;

 protected:
  // The curses window of the line, prepared for input.
  void createLine();
  // The text, or the program's name and version when there is none.
  const char *textOrVersion();
};

class zqStatusWindow : public StatusWindowBase {
 public:
  explicit zqStatusWindow(NCScreenManager &manager)
      : StatusWindowBase(manager, kTitleLine) {
    zqStatusWindow::create();
  }
  int pageCount() override { return 1; }
  void create() override;
  void drawPage(int page) override;

  std::string findText;
  std::string lastFindText;
  int findBackward = 0;

 protected:
  struct NoCreate {};
  zqStatusWindow(NCScreenManager &manager, NoCreate)
      : StatusWindowBase(manager, kTitleLine) {}
};

// The title line that edits the search text while find mode lasts; it is
// then the manager's input and cursor window.
class zqStatusWindowWithFind : public zqStatusWindow {
 public:
  explicit zqStatusWindowWithFind(NCScreenManager &manager);
  void processKey(int key) override;
  void placeCursor() override;
  void setRepeatCount(int count) override { repeatCount = count; }
  void drawPage(int page) override;

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
  void endDisplay();
};

class zqURLWindow : public StatusWindowBase {
 public:
  explicit zqURLWindow(NCScreenManager &manager) : zqURLWindow(manager, NoCreate()) {
    zqURLWindow::create();
  }
  int pageCount() override { return 4; }
  void create() override;
  void drawPage(int page) override;
  // Button 1 turns the page.
  void processMouse(MEVENT &event) override;

  std::string hint;
  int hintLen;
  const char *help1, *help2, *help3;

 protected:
  struct NoCreate {};
  zqURLWindow(NCScreenManager &manager, NoCreate);
  // Draws help page 1, 2 or 3; nothing for another.
  virtual void drawHelpPage(int page);
};

class zqURLWindowWithFind : public zqURLWindow {
 public:
  // Shows the ^F prefix help for the manager.
  explicit zqURLWindowWithFind(NCScreenManager &manager);
  int pageCount() override { return 6; }
  void showPrefix(int ch, bool on) override;

  const char *help4, *findHelp, *prefixHelp;

 protected:
  void drawHelpPage(int page) override;  // and pages 4 and 5
};

// The help texts by key set (0 default, 1 vi, 2 emacs) and page: 1..4 the
// key pages, 5 the find-mode keys, 6 the ^F prefix. From the catalogue.
const char *helpText(int keySet, int page);

#endif
