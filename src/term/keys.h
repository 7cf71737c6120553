// Key codes the windows act on besides curses' KEY_ names: control keys as
// the terminal sends them in raw mode, Escape and Delete.
#ifndef VOK_TERM_KEYS_H
#define VOK_TERM_KEYS_H

// The code of Ctrl and a letter (either case).
constexpr int ctrlKey(char letter) { return letter & 0x1f; }

constexpr int kCtrlA = ctrlKey('a'), kCtrlB = ctrlKey('b'), kCtrlC = ctrlKey('c'),
              kCtrlD = ctrlKey('d'), kCtrlE = ctrlKey('e'), kCtrlF = ctrlKey('f'),
              kCtrlG = ctrlKey('g'), kCtrlH = ctrlKey('h'), kCtrlL = ctrlKey('l'),
              kCtrlN = ctrlKey('n'), kCtrlP = ctrlKey('p'), kCtrlR = ctrlKey('r'),
              kCtrlS = ctrlKey('s'), kCtrlU = ctrlKey('u'), kCtrlV = ctrlKey('v'),
              kCtrlY = ctrlKey('y');
constexpr int kEscape = 27, kDelete = 127;

// A character beyond ASCII typed while names are read as UTF-8: its code
// point above every key code curses has.
constexpr int kCharKeyBase = 0x1000000;
constexpr bool isCharKey(int key) { return key >= kCharKeyBase; }
constexpr char32_t charOfKey(int key) { return static_cast<char32_t>(key - kCharKeyBase); }

#endif
