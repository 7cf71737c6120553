#include "support/tmux_screen.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"

namespace {

std::string runCommand(const std::string &command) {
  std::string out;
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

template <typename Test>
bool poll(double seconds, const Test &test) {
  const int rounds = static_cast<int>(seconds * 50);
  for (int i = 0; i < rounds; ++i) {
    if (test()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return test();
}

std::string hex(int byte) {
  char text[8];
  snprintf(text, sizeof text, "%02x", byte);
  return text;
}

}  // namespace

namespace {
// Every screen gets a server of its own, so that one test can start several
// one after the other without waiting for the last to go away.
std::string newSocket(const std::string &dir) {
  static int count = 0;
  return dir + "/tmux" + std::to_string(++count) + ".sock";
}
}  // namespace

TmuxScreen::TmuxScreen(const std::string &dir, int cols, int lines,
                       const std::vector<std::string> &argv)
    : socket_(newSocket(dir)),
      logPath_(dir + "/screen.log"),
      statusPath_(dir + "/exit.status") {
  std::string command = "env -u TMUX TERM=screen";
  for (const std::string &arg : argv) command += " " + shellQuote(arg);
  command += " --log " + shellQuote(logPath_);
  command += "; echo $? > " + shellQuote(statusPath_);
  startSession(cols, lines, command);
  if (!waitForLog("ready")) ADD_FAILURE() << "the program did not start under tmux";
}

TmuxScreen::TmuxScreen(const std::string &dir, int cols, int lines,
                       const std::string &command)
    : socket_(newSocket(dir)),
      logPath_(dir + "/screen.log"),
      statusPath_(dir + "/exit.status") {
  startSession(cols, lines,
               "export TERM=screen; unset TMUX; " + command + "; echo $? > " +
                   shellQuote(statusPath_) + "; exec sleep 600");
}

void TmuxScreen::startSession(int cols, int lines, const std::string &command) {
  unlink(statusPath_.c_str());
  tmux({"new-session", "-d", "-x", std::to_string(cols), "-y", std::to_string(lines),
        "sh", "-c", command});
  // Sizes follow resize-window only, never an attached client.
  tmux({"set-option", "-g", "window-size", "manual"});
}

std::string TmuxScreen::paneInfo(const std::string &format) const {
  std::string text = tmux({"display-message", "-p", "-t", "0", format});
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

bool TmuxScreen::restored() const {
  return tmux({"display-message", "-p", "-t", "0",
               "#{alternate_on}#{keypad_flag}#{mouse_any_flag}#{cursor_flag}"}) ==
         "0001\n";
}

TmuxScreen::~TmuxScreen() { tmux({"kill-server"}); }

std::string TmuxScreen::tmux(const std::vector<std::string> &args) const {
  std::string command = "tmux -f /dev/null -S " + shellQuote(socket_);
  for (const std::string &arg : args) command += " " + shellQuote(arg);
  return runCommand(command + " 2>&1");
}

void TmuxScreen::keys(const std::vector<std::string> &names) {
  std::vector<std::string> args = {"send-keys", "-t", "0"};
  args.insert(args.end(), names.begin(), names.end());
  tmux(args);
}

void TmuxScreen::literal(const std::string &text) {
  tmux({"send-keys", "-t", "0", "-l", text});
}

// The X10 encoding: ESC [ M, then button, column and line, each plus 32
// (cells counted from 1).
void TmuxScreen::mouse(int button, int x, int y) {
  tmux({"send-keys", "-t", "0", "-H", "1b", "5b", "4d", hex(32 + button), hex(33 + x),
        hex(33 + y)});
}

void TmuxScreen::press(int x, int y) { mouse(0, x, y); }
void TmuxScreen::release(int x, int y) { mouse(3, x, y); }
void TmuxScreen::wheel(int x, int y, bool up) { mouse(up ? 64 : 65, x, y); }

void TmuxScreen::click(int x, int y, int times) {
  std::vector<std::string> args = {"send-keys", "-t", "0", "-H"};
  for (int i = 0; i < times; ++i) {
    for (int button : {0, 3}) {
      for (int byte : {0x1b, 0x5b, 0x4d, 32 + button, 33 + x, 33 + y})
        args.push_back(hex(byte));
    }
  }
  tmux(args);
}

void TmuxScreen::resize(int cols, int lines) {
  tmux({"resize-window", "-t", "0", "-x", std::to_string(cols), "-y",
        std::to_string(lines)});
}

std::vector<std::string> TmuxScreen::capture() const {
  std::vector<std::string> screen;
  std::istringstream in(tmux({"capture-pane", "-p", "-N", "-t", "0"}));
  for (std::string line; std::getline(in, line);) screen.push_back(line);
  return screen;
}

std::vector<std::string> TmuxScreen::captureStyled() const {
  std::vector<std::string> screen;
  std::istringstream in(tmux({"capture-pane", "-p", "-e", "-N", "-t", "0"}));
  for (std::string line; std::getline(in, line);) screen.push_back(line);
  return screen;
}

std::string styleBefore(const std::string &styledLine, const std::string &text) {
  const size_t at = styledLine.find(text);
  if (at == std::string::npos || at == 0) return "";
  const size_t start = styledLine.rfind("\033[", at - 1);
  return start == std::string::npos ? "" : styledLine.substr(start, at - start);
}

bool TmuxScreen::waitFor(
    const std::function<bool(const std::vector<std::string> &)> &test,
    double seconds) const {
  return poll(seconds, [&] { return test(capture()); });
}

bool TmuxScreen::waitForLine(int line, const std::string &text, double seconds) const {
  return waitFor(
      [&](const std::vector<std::string> &screen) {
        return line < static_cast<int>(screen.size()) && screen[line] == text;
      },
      seconds);
}

std::vector<std::string> TmuxScreen::log() const {
  std::vector<std::string> lines;
  std::ifstream in(logPath_);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool TmuxScreen::waitForLog(const std::string &line, double seconds) const {
  return poll(seconds, [&] {
    std::vector<std::string> lines = log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  });
}

int TmuxScreen::exitStatus() const {
  std::ifstream in(statusPath_);
  int status = -1;
  if (!(in >> status)) return -1;
  return status;
}

bool TmuxScreen::waitForExit(double seconds) const {
  return poll(seconds, [&] { return exitStatus() != -1; });
}

std::pair<int, int> TmuxScreen::cursor() const {
  std::istringstream in(
      tmux({"display-message", "-p", "-t", "0", "#{cursor_x} #{cursor_y}"}));
  std::pair<int, int> at(-1, -1);
  in >> at.first >> at.second;
  return at;
}

namespace {
int loggedPid(const std::vector<std::string> &lines) {
  for (const std::string &line : lines) {
    if (line.compare(0, 4, "pid ") == 0) return atoi(line.c_str() + 4);
  }
  return -1;
}
}  // namespace

void TmuxScreen::signal(int number) const {
  const int pid = loggedPid(log());
  if (pid > 0) kill(pid, number);
}

void TmuxScreen::hangUp() { tmux({"kill-server"}); }

bool TmuxScreen::programAlive() const {
  const int pid = loggedPid(log());
  return pid > 0 && kill(pid, 0) == 0;
}

std::string showScreen(const std::vector<std::string> &screen) {
  std::ostringstream out;
  for (size_t i = 0; i < screen.size(); ++i)
    out << (i < 10 ? " " : "") << i << "|" << screen[i] << "|\n";
  return out.str();
}

std::string pad(const std::string &text, size_t width) {
  std::string line = text.substr(0, width);
  line.resize(width, ' ');
  return line;
}

std::string statusLine(const std::string &text, size_t cols) {
  return pad("  " + text, cols - 19) + "F9=Switch display  ";
}
