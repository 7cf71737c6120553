#include "select/jump_policy.h"

#include <gtest/gtest.h>

#include <set>

#include "config/profile.h"

namespace {

// Matches by name below /m; "*" stands for the current directory's marker.
MatchList matches(std::initializer_list<const char *> names) {
  MatchList list;
  for (const char *name : names) {
    if (std::string(name) == "*")
      list.push_back({"/m/here", nullptr, true, 0});
    else
      list.push_back({std::string("/m/") + name, nullptr, false, 0});
  }
  return list;
}

std::string kindName(JumpDecision::Kind kind) {
  switch (kind) {
    case JumpDecision::kShowList: return "list";
    case JumpDecision::kGo: return "go";
    case JumpDecision::kStay: return "stay";
    case JumpDecision::kNothingMatches: return "nothing";
    case JumpDecision::kNoSuchNumber: return "no such number";
  }
  return "?";
}

// What a jump does with its matches: the settings, the current directory,
// the number asked for and the directories gone since the last scan.
TEST(JumpPolicyTest, EveryDecisionFromTheMatches) {
  const struct {
    const char *what;
    MatchList found;
    std::string current;
    unsigned long number;
    uint32_t threshold;
    int32_t showNewDir;
    std::set<std::string> gone;
    std::string decision;  // kind, then the path or the list, then "announced"
    std::vector<std::string> vanished = {};
  } cases[] = {
      {"the first match", matches({"a", "b"}), "/x", 0, 4, kShowNewDirMulti, {}, "go /m/a announced"},
      {"the one after the current", matches({"a", "b", "c"}), "/m/b", 0, 4, kShowNewDirMulti, {},
       "go /m/c announced"},
      {"wrapping round", matches({"a", "b"}), "/m/b", 0, 4, kShowNewDirMulti, {}, "go /m/a announced"},
      {"after the marker", matches({"a", "*", "b"}), "/m/here", 0, 4, kShowNewDirMulti, {},
       "go /m/b announced"},
      {"one match says nothing (multi)", matches({"a"}), "/x", 0, 4, kShowNewDirMulti, {}, "go /m/a"},
      {"one match and the marker", matches({"*", "a"}), "/m/here", 0, 4, kShowNewDirMulti, {},
       "go /m/a"},
      {"always said", matches({"a"}), "/x", 0, 4, kShowNewDirYes, {}, "go /m/a announced"},
      {"never said", matches({"a", "b"}), "/x", 0, 4, kShowNewDirNo, {}, "go /m/a"},
      {"the only match is here", matches({"a"}), "/m/a", 0, 4, kShowNewDirMulti, {}, "stay"},
      {"a number", matches({"a", "b"}), "/m/a", 2, 4, kShowNewDirMulti, {}, "go /m/b announced"},
      {"a number here", matches({"a", "b"}), "/m/b", 2, 4, kShowNewDirMulti, {}, "stay"},
      {"a number beyond shows the list", matches({"a", "b"}), "/x", 3, 4, kShowNewDirMulti, {},
       "list /m/a /m/b"},
      {"the marker does not count", matches({"*", "a"}), "/m/here", 2, 4, kShowNewDirMulti, {},
       "list /m/a"},
      {"more than the threshold", matches({"a", "b", "c"}), "/x", 0, 2, kShowNewDirMulti, {},
       "list /m/a /m/b /m/c"},
      {"the threshold and the marker", matches({"*", "a", "b"}), "/m/here", 0, 2,
       kShowNewDirMulti, {}, "go /m/a announced"},
      {"nothing", matches({}), "/x", 0, 4, kShowNewDirMulti, {}, "nothing"},
      {"nothing but the marker", matches({"*"}), "/m/here", 0, 4, kShowNewDirMulti, {}, "nothing"},
      {"nothing, with a number", matches({"*"}), "/m/here", 1, 4, kShowNewDirMulti, {}, "nothing"},
      {"vanished ones passed over", matches({"a", "b", "c"}), "/x", 0, 4, kShowNewDirMulti,
       {"/m/a", "/m/b"}, "go /m/c announced", {"/m/a", "/m/b"}},
      {"all vanished after the marker", matches({"*", "a", "b"}), "/m/here", 0, 4,
       kShowNewDirMulti, {"/m/a", "/m/b"}, "stay", {"/m/a", "/m/b"}},
      {"all vanished after a match", matches({"a", "b"}), "/m/a", 0, 4, kShowNewDirMulti,
       {"/m/b"}, "nothing", {"/m/b"}},
      {"a number takes a vanished one", matches({"a"}), "/x", 1, 4, kShowNewDirMulti, {"/m/a"},
       "go /m/a"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const JumpDecision d =
        decideJump(c.found, {c.threshold, c.showNewDir}, c.current, c.number,
                   [&](const std::string &path) { return !c.gone.count(path); });
    std::string shown = kindName(d.kind);
    if (d.kind == JumpDecision::kGo) shown += " " + d.path + (d.announce ? " announced" : "");
    for (const DirMatch &match : d.list) shown += " " + match.path;
    EXPECT_EQ(shown, c.decision);
    EXPECT_EQ(d.vanished, c.vanished);
  }
}

}  // namespace
