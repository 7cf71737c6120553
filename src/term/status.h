// The title line and the status line: one-line windows with pages of text.
// The status line shows the target of the highlighted link, a hint and
// key-help pages that a click turns.
#ifndef VOK_TERM_STATUS_H
#define VOK_TERM_STATUS_H

#include <string>

#include "term/window.h"

class StatusWindowBase : public NCPlainWindow {
 public:
  using NCPlainWindow::NCPlainWindow;
  virtual int pageCount() = 0;
  virtual void setText(const char *s) { setText(std::string(s)); }
  // Keeps the page: a help page stays up when the text changes.
  virtual void setText(const std::string &s);
  virtual void nextPage();
  // A vi count typed before a search, for lines that search.
  virtual void setRepeatCount(int) {}
  virtual void drawPage(int which) = 0;  // -1: the current page

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
  explicit zqStatusWindow(NCScreenManager &screen)
      : StatusWindowBase(screen, kTitleLine) {
    zqStatusWindow::create();
  }
  int pageCount() override { return 1; }
  void create() override;
  void drawPage(int which) override;

  std::string findText;
  std::string lastFindText;
  int findBackward = 0;

 protected:
  struct NoCreate {};
  zqStatusWindow(NCScreenManager &screen, NoCreate)
      : StatusWindowBase(screen, kTitleLine) {}
};

class zqURLWindow : public StatusWindowBase {
 public:
  explicit zqURLWindow(NCScreenManager &screen) : zqURLWindow(screen, NoCreate()) {
    zqURLWindow::create();
  }
  int pageCount() override { return 4; }
  void create() override;
  void drawPage(int which) override;
  // Button 1 turns the page.
  void processMouse(MEVENT &event) override;

  std::string hint;
  int hintLen;
  const char *help1, *help2, *help3;

 protected:
  struct NoCreate {};
  zqURLWindow(NCScreenManager &screen, NoCreate);
  // Draws help page 1, 2 or 3; nothing for another.
  virtual void drawHelpPage(int which);
};

class zqURLWindowWithFind : public zqURLWindow {
 public:
  // Shows the ^F prefix help for the manager.
  explicit zqURLWindowWithFind(NCScreenManager &screen);
  int pageCount() override { return 6; }
  void showPrefix(int ch, bool on) override;

  const char *help4, *findHelp, *prefixHelp;

 protected:
  void drawHelpPage(int which) override;  // and pages 4 and 5
};

// The help texts by key set (0 default, 1 vi, 2 emacs) and page: 1..4 the
// key pages, 5 the find-mode keys, 6 the ^F prefix. From the catalogue.
const char *helpText(int keySet, int page);

#endif
