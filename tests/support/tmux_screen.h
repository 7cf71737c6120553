// A program running on a real terminal: a private tmux server in a test's
// temporary directory, keys typed with send-keys, the screen read back with
// capture-pane. Waits poll the screen or a log file, with a time limit.
#ifndef VOK_TESTS_TMUX_SCREEN_H
#define VOK_TESTS_TMUX_SCREEN_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

class TmuxScreen {
 public:
  // Starts argv, given "--log FILE" as well, in a cols x lines window with
  // TERM=screen, and waits for the program to log "ready"; fails the test
  // (ADD_FAILURE) when that does not come.
  TmuxScreen(const std::string &dir, int cols, int lines,
             const std::vector<std::string> &argv);
  // Runs a shell command and does not wait for it. The window stays open
  // after the command ends, showing what the terminal shows then.
  TmuxScreen(const std::string &dir, int cols, int lines, const std::string &command);
  ~TmuxScreen();
  TmuxScreen(const TmuxScreen &) = delete;
  TmuxScreen &operator=(const TmuxScreen &) = delete;

  // Key names as tmux knows them: "C-f", "F9", "NPage", "Tab", "a".
  void keys(const std::vector<std::string> &names);
  void literal(const std::string &text);
  // Button 1 pressed and released at a cell (0-based), as a terminal sends it.
  void click(int x, int y, int times = 1);
  void press(int x, int y);
  void release(int x, int y);
  // One notch of the mouse wheel at a cell, up or down.
  void wheel(int x, int y, bool up);
  void resize(int cols, int lines);

  // The screen, one string per line, each as wide as the window.
  std::vector<std::string> capture() const;
  // The same with the escape sequences of the cells' attributes.
  std::vector<std::string> captureStyled() const;
  // Waits until the predicate holds for the screen; returns whether it did.
  bool waitFor(const std::function<bool(const std::vector<std::string> &)> &test,
               double seconds = 10) const;
  bool waitForLine(int line, const std::string &text, double seconds = 10) const;
  // The lines the program wrote to the log file.
  std::vector<std::string> log() const;
  bool waitForLog(const std::string &line, double seconds = 10) const;
  // The program's exit status once it has ended, else -1.
  int exitStatus() const;
  bool waitForExit(double seconds = 10) const;

  // Whether the program left the terminal as it found it: the alternate
  // screen, the keypad and mouse modes off and the cursor visible.
  bool restored() const;

  // A tmux format of the pane, such as "#{pane_title}".
  std::string paneInfo(const std::string &format) const;

  // Where the terminal cursor is: column, line.
  std::pair<int, int> cursor() const;
  // Sends a signal to the program, which logs "pid N" at start.
  void signal(int number) const;
  // Closes the terminal under the program.
  void hangUp();
  // Whether the process that logged "pid N" still exists.
  bool programAlive() const;

  const std::string &logPath() const { return logPath_; }

 private:
  std::string tmux(const std::vector<std::string> &args) const;
  void startSession(int cols, int lines, const std::string &command);
  void mouse(int button, int x, int y);

  std::string socket_;
  std::string logPath_;
  std::string statusPath_;
};

// What stands in a line of captureStyled from the last escape sequence
// before `text` up to it: the sequence, if the text follows it at once.
std::string styleBefore(const std::string &styledLine, const std::string &text);

// Every line of the screen, numbered, for a failure message.
std::string showScreen(const std::vector<std::string> &screen);

// The text cut or filled with spaces to exactly `width` columns.
std::string pad(const std::string &text, size_t width);
// The status line's first page: the text from column 2, then the hint.
std::string statusLine(const std::string &text, size_t cols = 80);

#endif
