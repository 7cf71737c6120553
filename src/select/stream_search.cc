#include "select/stream_search.h"

#include <algorithm>

#include "tree/lookup.h"
#include "tree/tree_file.h"

namespace {

// The walk of the loaded tree's search over the records: every directory
// with its full path, parents first; what lies below anything else is
// passed over. The current directory, when it joins the tree as a root of
// its own, is visited where it would stand among the roots: before the
// first that sorts after it, or last when the roots are not sorted.
class StreamWalk : public TreeRecordVisitor {
 public:
  StreamWalk(const StreamQuery &query, bool joinMarker)
      : query_(query), joinMarker_(joinMarker) {}

  void record(const TreeRecord &record, size_t depth) override {
    if (skipping_ && depth > skipDepth_) return;
    skipping_ = false;
    if (depth == 0) root(record);
    if (!isDirMode(record.targetMode)) {
      skipping_ = record.hasChildren;
      skipDepth_ = depth;
      return;
    }
    if (depth == 0) {
      path_ = record.name;
    } else {
      path_.resize(base_[depth]);
      appendChild(path_, record.name);
    }
    if (record.hasChildren) {
      if (base_.size() < depth + 2) base_.resize(depth + 2);
      base_[depth + 1] = path_.size();
    }
    visit(record.name, path_, record.unreadableState != ReadCannotEnter);
  }
  void end(size_t depth) override {
    if (depth == 0) join();
  }

  // A root holds the current directory (at or above it).
  bool held() const { return held_; }
  bool rootsUnsorted() const { return rootsUnsorted_; }

 protected:
  virtual void visit(const std::string &name, const std::string &path,
                     bool searchable) = 0;
  virtual void visitJoined() {
    const std::string &marker = query_.rules.marker;
    visit(marker, marker, true);
  }

  const StreamQuery &query_;

 private:
  void root(const TreeRecord &record) {
    const std::string &marker = query_.rules.marker;
    if (marker.empty()) return;
    if (query_.order.sorted && compareNameTexts(marker, record.name, query_.order))
      join();
    if (isDirMode(record.targetMode) && holdsPath(record.name, marker)) held_ = true;
    if (haveRoot_ && compareNameTexts(record.name, lastRoot_, query_.order))
      rootsUnsorted_ = true;
    lastRoot_ = record.name;
    haveRoot_ = true;
  }
  void join() {
    if (!joinMarker_ || joined_) return;
    joined_ = true;
    visitJoined();
  }

  const bool joinMarker_;
  bool joined_ = false, held_ = false, rootsUnsorted_ = false, haveRoot_ = false;
  bool skipping_ = false;
  size_t skipDepth_ = 0;
  std::string path_, lastRoot_;
  std::vector<size_t> base_ = {0};  // a depth's parent path length
};

class ExactWalk : public StreamWalk {
 public:
  ExactWalk(const StreamQuery &query, bool joinMarker, StreamFindings &findings)
      : StreamWalk(query, joinMarker), findings_(findings) {
    findings.matches.clear();
    findings.bookmarkFound.assign(query.bookmarks.size(), false);
  }
  bool markerFound() const { return markerFound_; }
  // The entries the joined current directory added, when it did not join.
  void dropJoined() {
    MatchList &matches = findings_.matches;
    matches.erase(matches.begin() + static_cast<long>(joinedAt_),
                  matches.begin() + static_cast<long>(joinedAt_ + joinedCount_));
  }

 private:
  void visit(const std::string &name, const std::string &path, bool searchable) override {
    const SearchRules &rules = query_.rules;
    if (!rules.literal.empty())
      rules.exact(findings_.matches, name, path, searchable, {});
    if (path == rules.marker) markerFound_ = true;
    for (size_t i = 0; i < query_.bookmarks.size(); ++i)
      if (path == query_.bookmarks[i]) findings_.bookmarkFound[i] = true;
  }
  void visitJoined() override {
    const SearchRules &rules = query_.rules;
    joinedAt_ = findings_.matches.size();
    if (!rules.literal.empty())
      rules.exact(findings_.matches, rules.marker, rules.marker, true, {});
    joinedCount_ = findings_.matches.size() - joinedAt_;
  }

  StreamFindings &findings_;
  bool markerFound_ = false;
  size_t joinedAt_ = 0, joinedCount_ = 0;
};

class ClosestWalk : public StreamWalk {
 public:
  ClosestWalk(const StreamQuery &query, bool joinMarker, size_t limit, MatchList &list)
      : StreamWalk(query, joinMarker), found_{list, limit} {
    list.clear();
  }

 private:
  void visit(const std::string &name, const std::string &path, bool searchable) override {
    query_.rules.closest(found_, name, path, searchable, {});
  }

  NearestNames found_;
};

// The names that complete a word; a bookmark the tree holds counts as the
// jump takes it, even where the directory cannot be entered.
class CompletionWalk : public StreamWalk {
 public:
  CompletionWalk(const StreamQuery &query, const CompletionRules &rules, CompletionList &list)
      : StreamWalk(query, false), rules_(rules), list_(list) {}

 private:
  void visit(const std::string &name, const std::string &path, bool searchable) override {
    // A root's name is its whole path; its own name is the last part.
    std::string_view own = name;
    if (const size_t slash = own.rfind('/'); slash != std::string_view::npos)
      own.remove_prefix(slash + 1);
    if (!rules_.accepts(own, path)) return;
    if (searchable || std::find(query_.bookmarks.begin(), query_.bookmarks.end(), path) !=
                          query_.bookmarks.end())
      list_.offer(rules_.offered(own), path);
  }

  const CompletionRules &rules_;
  CompletionList &list_;
};

}  // namespace

bool streamSearch(FileSystem &fs, const std::string &file, const StreamQuery &query,
                  StreamFindings &findings) {
  const std::string &marker = query.rules.marker;
  const bool markerIsDir = !marker.empty() && nodeFromPath(fs, marker)->isDir();
  ExactWalk walk(query, markerIsDir, findings);
  if (streamTreeFile(file, findings.lastScanTime, walk) != TreeFileState::Loaded)
    return false;
  findings.markerAsRoot = false;
  findings.markerInTree = walk.markerFound();
  if (marker.empty() || walk.markerFound()) {
    if (markerIsDir) walk.dropJoined();
    return true;
  }
  // Below a root the missing levels would be added inside the tree; among
  // roots out of order, joining would sort them all.
  if (walk.held() || (query.order.sorted && walk.rootsUnsorted())) return false;
  findings.markerAsRoot = true;
  findings.markerInTree = markerIsDir;
  for (size_t i = 0; i < query.bookmarks.size(); ++i)
    if (markerIsDir && query.bookmarks[i] == marker) findings.bookmarkFound[i] = true;
  return true;
}

bool streamClosest(const std::string &file, const StreamQuery &query, size_t limit,
                   const StreamFindings &exact, MatchList &list) {
  ClosestWalk walk(query, exact.markerAsRoot && exact.markerInTree, limit, list);
  int64_t lastScanTime;
  return streamTreeFile(file, lastScanTime, walk) == TreeFileState::Loaded;
}

TreeFileState streamCompletions(const std::string &file, const CompletionRules &rules,
                                const std::vector<std::string> &bookmarks,
                                CompletionList &list) {
  StreamQuery query;
  query.bookmarks = bookmarks;
  CompletionWalk walk(query, rules, list);
  int64_t lastScanTime;
  return streamTreeFile(file, lastScanTime, walk);
}
