#include "select/jump_policy.h"

#include "config/profile.h"

namespace {

size_t countMarkers(const MatchList &list) {
  size_t markers = 0;
  for (const DirMatch &match : list) markers += match.isCurrent;
  return markers;
}

void removeMarkers(MatchList &list) {
  MatchList kept;
  for (DirMatch &match : list)
    if (!match.isCurrent) kept.push_back(std::move(match));
  list.swap(kept);
}

// The entry after the current directory (or its marker), wrapping, passing
// over directories that vanished since the last scan; -1 when every other
// one vanished (`vanished` lists them).
long cycle(const MatchList &list, const std::string &current,
           const std::function<bool(const std::string &)> &exists,
           std::vector<std::string> &vanished, bool &startIsMarker) {
  size_t start = 0, candidate = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].isCurrent || list[i].path == current) {
      start = i;
      candidate = (i + 1) % list.size();
      break;
    }
  }
  startIsMarker = list[start].isCurrent;
  while (!exists(list[candidate].path)) {
    vanished.push_back(list[candidate].path);
    candidate = (candidate + 1) % list.size();
    if (candidate == start) return -1;
  }
  return static_cast<long>(candidate);
}

}  // namespace

JumpDecision decideJump(MatchList matches, const JumpSettings &settings,
                        const std::string &currentDir, unsigned long number,
                        const std::function<bool(const std::string &)> &exists) {
  JumpDecision decision;
  const size_t count = matches.size(), marker = countMarkers(matches) > 0 ? 1 : 0;
  // Nothing but the current directory: a failure, whether or not a number
  // was given, never an empty list or a silent stay.
  if (count == marker) {
    decision.kind = JumpDecision::kNothingMatches;
    return decision;
  }
  if ((number == 0 && count > settings.showListThreshold + marker) ||
      number + marker > count) {
    removeMarkers(matches);
    decision.kind = JumpDecision::kShowList;
    decision.list = std::move(matches);
    return decision;
  }
  const DirMatch *chosen;
  size_t d;
  if (number > 0) {
    removeMarkers(matches);
    if (number > matches.size()) {
      decision.kind = JumpDecision::kNoSuchNumber;
      return decision;
    }
    chosen = &matches[number - 1];
    d = 1;
  } else {
    bool startIsMarker = false;
    const long index = cycle(matches, currentDir, exists, decision.vanished, startIsMarker);
    if (index < 0) {
      decision.kind = startIsMarker ? JumpDecision::kStay : JumpDecision::kNothingMatches;
      return decision;
    }
    chosen = &matches[static_cast<size_t>(index)];
    d = marker + 1;
  }
  if (chosen->isCurrent || chosen->path == currentDir) {
    decision.kind = JumpDecision::kStay;
    return decision;
  }
  decision.kind = JumpDecision::kGo;
  decision.path = chosen->path;
  decision.announce = settings.showNewDir == kShowNewDirYes ||
                      (settings.showNewDir == kShowNewDirMulti && d < matches.size());
  return decision;
}

void markCurrentAmongBookmarks(MatchList &list, const std::string &current,
                               const DirNodeRef &node) {
  if (list.size() <= 1 || current.empty()) return;
  for (const DirMatch &match : list)
    if (match.path == current) return;
  list.insert(list.begin(), {current, node, true, 0});
}
