// What each key does in the hypertext window, as tables from key to action:
// one for the keys every key set shares and one for each set's own, so that
// adding a key is one row and the sets can be read side by side.
#ifndef VOK_HYPER_HYPER_KEYS_H
#define VOK_HYPER_HYPER_KEYS_H

#include "term/keys.h"

class HyperWindow;

// count is the vi count typed before the key, 0 when none was.
using KeyAction = void (*)(HyperWindow &window, long count);

// The key's action in the table, or null when the table lacks the key. The
// vi table leaves out the digits of a count and the doubled keys "gg" and
// "ZZ", which the window reads itself; the emacs set has a second table for
// the key after ESC.
KeyAction commonKeyAction(int key);
KeyAction viKeyAction(int key);
KeyAction emacsKeyAction(int key);
KeyAction emacsMetaKeyAction(int key);

#endif
