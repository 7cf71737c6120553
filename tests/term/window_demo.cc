// The windows of the full-screen view around a stand-in for the tree view,
// with fixed content, for the terminal tests to drive through tmux. Every
// cell of the stand-in holds a row label or a dot, so a captured screen
// shows exactly where each window lies. Keys that reach the stand-in, and
// the searches find mode asks of it, are written to the --log file.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "hyper/screen_frame.h"
#include "term/keys.h"
#include "term/terminal.h"
#include "term/window.h"

namespace {

FILE *logFile = nullptr;

void logLine(const std::string &line) {
  if (!logFile) return;
  fprintf(logFile, "%s\n", line.c_str());
  fflush(logFile);
}

struct Options {
  int mode = 3;
  int rows = 100;
  int cols = 200;
  int idleSteps = 0;  // steps of work that waits for no key, 20 ms each
  std::string title;
  std::string link = "/demo/link/target";
  ProfileConfig config;
};

const std::vector<std::string> kWords = {"alpha", "beta", "src",  "gamma",
                                         "srv",   "doc",  "delta"};

class DemoView : public NCPlainWindow, public SomethingWithFind {
 public:
  DemoView(NCScreenManager &screen, const Options &demoOptions,
           zqStatusWindowWithFind &titleLine, zqURLWindowWithFind &statusLine,
           zqHScrollBar &horizontal, zqVScrollBar &vertical)
      : NCPlainWindow(screen, kHyperWindow),
        marker(screen),
        options(demoOptions),
        title(titleLine),
        status(statusLine),
        hbar(horizontal),
        vbar(vertical) {
    DemoView::create();
  }

  void create() override {
    computeAndRegister();
    if (shown()) makeWindow();
    prepareWindow(win);
    draw();
  }
  void refresh() override {
    NCPlainWindow::refresh();
    marker.refresh();
  }

  void processKey(int key) override {
    logLine(std::string("key ") + keyname(key));
    const int keySet = manager->settings.keySet;
    if ((keySet == kKeysDefault && key < 256 && isalnum(key)) ||
        (keySet == kKeysVi && (key == '/' || key == '?')) ||
        (keySet == kKeysEmacs && (key == kCtrlS || key == kCtrlR))) {
      manager->pushInputWindow(&title);
      manager->pushCursorWindow(&title);
      if (keySet == kKeysVi) title.setRepeatCount(1);
      title.processKey(key);
      return;
    }
    switch (key) {
      case KEY_F(10):
      case kCtrlC:
        manager->pushInputWindow(nullptr);
        return;
      case KEY_F(9):
        status.nextPage();
        return;
      case '+':
        manager->setLayoutMode((manager->geometry->layoutMode + 1) % 4);
        return;
      case '!':
        title.setText(std::string(120, 'T') + "<end>");
        return;
      case '@':
        status.setText("/very/long/link/" + std::string(100, 'L') + "<end>");
        return;
      case '%': {  // behind curses' back, for a repaint to mend
        const char garbage[] = "\033[5;5HGARBAGE";
        if (write(STDOUT_FILENO, garbage, sizeof garbage - 1) < 0) return;
        return;
      }
      case '#':
        title.setText(
            "tab\there\x01"
            "and\xc3\xa9");
        return;
      case KEY_NPAGE:
        top += rect.height;
        break;
      case KEY_PPAGE:
        top -= rect.height;
        break;
      case KEY_SF:
      case KEY_DOWN:
        ++top;
        break;
      case KEY_SR:
      case KEY_UP:
        --top;
        break;
      case KEY_SRIGHT:
        ++left;
        break;
      case KEY_SLEFT:
        --left;
        break;
      default:
        return;
    }
    draw();
    manager->refreshAll();
  }

  // Finds the first word from the current one that contains the text.
  bool linksMode() override { return true; }
  void find(const std::string &text, bool backward) override {
    logLine("find " + text + (backward ? " backward" : " forward"));
    if (text.empty()) return;
    seek(text, backward ? -1 : 1, 0);
  }
  void findNext(const std::string &text) override {
    logLine("findNext " + text);
    seek(text, 1, 1);
  }
  void findPrev(const std::string &text) override {
    logLine("findPrev " + text);
    seek(text, -1, 1);
  }
  void select() override {}
  void passKey(int key) override {
    logLine(std::string("passKey ") + keyname(key));
    if (key == KEY_F(9)) status.nextPage();
    if (key == KEY_F(10) || key == kCtrlC) manager->pushInputWindow(nullptr);
  }

 private:
  void seek(const std::string &text, int step, int first) {
    const int n = static_cast<int>(kWords.size());
    for (int i = first; i < n + first; ++i) {
      int k = ((current + step * i) % n + n) % n;
      if (kWords[k].find(text) != std::string::npos) {
        current = k;
        break;
      }
    }
    draw();
    manager->updateCursor();
  }

  void draw() {
    if (!win) return;
    top = std::max(0, std::min(top, options.rows - rect.height));
    left = std::max(0, std::min(left, options.cols - rect.width));
    wattrset(win, attrOf(kAttrNormal));
    for (int y = 0; y < rect.height; ++y) {
      std::string line = y == 0 ? "match " + kWords[current] + " " : "";
      line += "row " + std::to_string(top + y) + " ";
      line.resize(static_cast<size_t>(rect.width), '.');
      mvwaddnstr(win, y, 0, line.c_str(), rect.width);
      const bool longer = left + rect.width < rowLength(top + y);
      marker.setMark(y, longer ? '+' | attrOf(kAttrMore)
                               : ' ' | attrOf(kAttrNormal));
    }
    wnoutrefresh(win);
    marker.refresh();
    vbar.setVisible(rect.height);
    vbar.setTotal(options.rows);
    vbar.setPosition(top);
    hbar.setVisible(rect.width);
    hbar.setTotal(options.cols);
    hbar.setPosition(left);
  }
  // Even rows are as wide as the document, odd ones short.
  int rowLength(int row) const { return row % 2 == 0 ? options.cols : 10; }

  zqMarkerBar marker;
  const Options &options;
  zqStatusWindowWithFind &title;
  zqURLWindowWithFind &status;
  zqHScrollBar &hbar;
  zqVScrollBar &vbar;
  int top = 0, left = 0, current = 0;
};

void show(const Options &options) {
  ScreenFrame frame(options.config, false);
  frame.show();
  zqScreenManager &screen = frame.screen;
  DemoView view(screen, options, frame.title, frame.status, frame.hbar, frame.vbar);
  frame.attach(view, view);
  if (!options.title.empty()) frame.title.setText(options.title);
  frame.status.setText(options.link);
  screen.setLayoutMode(options.mode);
  screen.pushInputWindow(&view);
  int steps = 0;
  if (options.idleSteps > 0)
    screen.idleWork = [&steps, &options] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      logLine("idle");
      return ++steps < options.idleSteps;
    };
  screen.refreshAll();
  logLine("pid " + std::to_string(getpid()));
  logLine("ready");
  view.run();
  logLine("done");
}

// An interrupt ends the display as it ends the program's.
int run(const Options &options) {
  CursesSession session(true);
  try {
    show(options);
  } catch (const DisplayInterrupted &) {
    clear();
    refresh();
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char *value = i + 1 < argc ? argv[i + 1] : "";
    if (arg == "--mode")
      options.mode = atoi(value), ++i;
    else if (arg == "--rows")
      options.rows = atoi(value), ++i;
    else if (arg == "--cols")
      options.cols = atoi(value), ++i;
    else if (arg == "--idle")
      options.idleSteps = atoi(value), ++i;
    else if (arg == "--title")
      options.title = value, ++i;
    else if (arg == "--link")
      options.link = value, ++i;
    else if (arg == "--rate")
      options.config.MouseScrollRate = static_cast<uint32_t>(atoi(value)), ++i;
    else if (arg == "--log")
      logFile = fopen(value, "w"), ++i;
    else if (arg == "--keys") {
      const std::string keys = value;
      options.config.KeyBinding = keys == "vi"      ? kKeysVi
                                  : keys == "emacs" ? kKeysEmacs
                                                    : kKeysDefault;
      ++i;
    } else if (arg == "--no-scrollbar")
      options.config.ScrollBar = false;
    else if (arg == "--plain")
      options.config.GraphicChar = false;
    else if (arg == "--no-space-select")
      options.config.SpaceSelect = false;
    else {
      fprintf(stderr, "vok_window_demo: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  try {
    return run(options);
  } catch (const std::exception &e) {
    fprintf(stderr, "vok_window_demo: %s\n", e.what());
    return 1;
  }
}
