#include "hyper/hyper_keys.h"

#include <curses.h>

#include <iterator>

#include "hyper/hyper_window.h"

namespace {

using Step = HyperWindow::Step;

struct KeyBinding {
  int key;
  KeyAction action;
};

template <size_t N>
KeyAction find(const KeyBinding (&table)[N], int key) {
  for (const KeyBinding &binding : table)
    if (binding.key == key) return binding.action;
  return nullptr;
}

void select(HyperWindow &w, long) { w.select(); }
void quit(HyperWindow &w, long) { w.quit(); }
void down(HyperWindow &w, long) { w.move(Step::Down); }
void up(HyperWindow &w, long) { w.move(Step::Up); }
void next(HyperWindow &w, long) { w.move(Step::Next); }
void previous(HyperWindow &w, long) { w.move(Step::Previous); }
void pageDown(HyperWindow &w, long) { w.move(Step::PageDown, w.pageLines()); }
void pageUp(HyperWindow &w, long) { w.move(Step::PageUp, w.pageLines()); }
void first(HyperWindow &w, long) { w.firstLink(); }
void last(HyperWindow &w, long) { w.lastLink(); }
void lineStart(HyperWindow &w, long) { w.lineEdge(false); }
void lineEnd(HyperWindow &w, long) { w.lineEdge(true); }
void panLeft(HyperWindow &w, long) { w.pan(false); }
void panRight(HyperWindow &w, long) { w.pan(true); }
void centre(HyperWindow &w, long) { w.centre(); }
void statusPage(HyperWindow &w, long) { w.nextStatusPage(); }
void repaint(HyperWindow &w, long) { w.repaint(); }

// vi: a count repeats the movement; without one it moves once.
long times(long count) { return count > 0 ? count : 1; }
void viDown(HyperWindow &w, long n) { w.repeat(Step::Down, times(n)); }
void viUp(HyperWindow &w, long n) { w.repeat(Step::Up, times(n)); }
void viNext(HyperWindow &w, long n) { w.repeat(Step::Next, times(n)); }
void viPrevious(HyperWindow &w, long n) { w.repeat(Step::Previous, times(n)); }
void viPageDown(HyperWindow &w, long n) {
  w.repeat(Step::PageDown, times(n), w.pageLines());
}
void viPageUp(HyperWindow &w, long n) { w.repeat(Step::PageUp, times(n), w.pageLines()); }
// ^D and ^U move half a window, or as many lines as the count says.
long half(HyperWindow &w, long n) { return n > 0 ? n : (w.pageLines() + 1) / 2 - 1; }
void viHalfDown(HyperWindow &w, long n) { w.move(Step::PageDown, half(w, n)); }
void viHalfUp(HyperWindow &w, long n) { w.move(Step::PageUp, half(w, n)); }
void viScrollForward(HyperWindow &w, long n) { w.scrollForward(times(n)); }
void viScrollBack(HyperWindow &w, long n) { w.scrollBack(times(n)); }

// The tables read as rows of keys.
// clang-format off
const KeyBinding kCommonKeys[] = {
    {'\n', select},        {'\r', select},       {' ', select},
    {kCtrlC, quit},        {KEY_F(10), quit},    {KEY_DOWN, down},
    {KEY_SF, down},        {KEY_UP, up},         {KEY_SR, up},
    {KEY_LEFT, previous},  {KEY_RIGHT, next},    {KEY_HOME, first},
    {KEY_END, last},       {KEY_NPAGE, pageDown}, {KEY_PPAGE, pageUp},
    {',', panLeft},        {KEY_SLEFT, panLeft}, {'.', panRight},
    {KEY_SRIGHT, panRight}, {KEY_B2, centre},    {KEY_F(9), statusPage},
    {KEY_F(8), repaint},
};

const KeyBinding kViKeys[] = {
    {'0', lineStart},     {'^', lineStart},       {'$', lineEnd},
    {'j', viDown},        {'+', viDown},          {'_', viDown},
    {'k', viUp},          {'-', viUp},            {'l', viNext},
    {'w', viNext},        {'W', viNext},          {'h', viPrevious},
    {'b', viPrevious},    {'B', viPrevious},      {kCtrlF, viPageDown},
    {kCtrlB, viPageUp},   {kCtrlD, viHalfDown},   {kCtrlU, viHalfUp},
    {kCtrlE, viScrollForward}, {kCtrlY, viScrollBack}, {'G', last},
    {'q', quit},          {'Q', quit},
};

const KeyBinding kEmacsKeys[] = {
    {kCtrlA, lineStart}, {kCtrlE, lineEnd},  {kCtrlN, down},     {kCtrlP, up},
    {kCtrlV, pageDown},  {kCtrlB, previous}, {kCtrlF, next},
};

const KeyBinding kEmacsMetaKeys[] = {
    {'b', previous},
    {'f', next},
    {'v', pageUp},
};
// clang-format on

}  // namespace

KeyAction commonKeyAction(int key) { return find(kCommonKeys, key); }
KeyAction viKeyAction(int key) { return find(kViKeys, key); }
KeyAction emacsKeyAction(int key) { return find(kEmacsKeys, key); }
KeyAction emacsMetaKeyAction(int key) { return find(kEmacsMetaKeys, key); }
