// What a jump does once its matches are known: show them as a list, go to
// one, stay, or fail. Decided from the matches, the settings, the current
// directory and whether a directory still exists; nothing here prints,
// writes or looks at the disk, so every rule is tested as a table.
#ifndef VOK_SELECT_JUMP_POLICY_H
#define VOK_SELECT_JUMP_POLICY_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "select/search.h"

struct JumpSettings {
  uint32_t showListThreshold = 4;
  int32_t showNewDir = 2;  // kShowNewDir*
};

struct JumpDecision {
  enum Kind {
    kShowList,        // `list`, the matches without the current directory's marker
    kGo,              // to `path`; `announce` says whether "change to" is printed
    kStay,            // "no directory change"
    kNothingMatches,  // "cannot find directory matching the string"
    kNoSuchNumber,    // NUMBER beyond the matches (the driver's "invalid match number")
  } kind = kStay;
  std::string path;
  bool announce = false;
  MatchList list;
  // Matches passed over because they no longer exist, in the order met.
  std::vector<std::string> vanished;
};

// `matches` as the searches leave them (a marker may stand for the current
// directory); `number` 0 cycles past the current directory, N > 0 takes the
// N-th match. `exists` tells whether a directory is still there.
JumpDecision decideJump(MatchList matches, const JumpSettings &settings,
                        const std::string &currentDir, unsigned long number,
                        const std::function<bool(const std::string &)> &exists);

// A list of bookmarks gets the current directory's marker first when it
// holds more than one and not the current directory itself.
void markCurrentAmongBookmarks(MatchList &list, const std::string &current,
                               const DirNodeRef &node);

#endif
