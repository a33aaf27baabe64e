// The node itself: construction and release, child lookup, entry queries,
// the cursor and error recording.
#include "plist/plistDict.h"

#include <algorithm>
#include <utility>

#include "framework/core/MsgBox.h"
#include "framework/core/Text.h"
#include "plist/plist.h"

plistDict::plistDict() : childNodes_(1), childKeys_(1), childSeq_(1, 0) {}

// Releases the subtree without recursion: every node's children are moved
// onto one work list before the node itself goes, so each node is destroyed
// with an empty child list, whatever the depth of the tree.
plistDict::~plistDict() {
  std::vector<std::unique_ptr<plistDict>> pending;
  for (auto& node : childNodes_) {
    if (node) pending.push_back(std::move(node));
  }
  while (!pending.empty()) {
    std::unique_ptr<plistDict> node = std::move(pending.back());
    pending.pop_back();
    for (auto& grandchild : node->childNodes_) {
      if (grandchild) pending.push_back(std::move(grandchild));
    }
  }
}

// ---- Child list -------------------------------------------------------------

std::int32_t plistDict::ChildPosition(const fw::String& key) const {
  auto it = seqByKey_.find(key);
  if (it == seqByKey_.end()) return 0;
  auto pos = std::lower_bound(childSeq_.begin(), childSeq_.end(), it->second.front());
  return static_cast<std::int32_t>(pos - childSeq_.begin());
}

std::int32_t plistDict::LastChildPosition(const fw::String& key) const {
  auto it = seqByKey_.find(key);
  if (it == seqByKey_.end()) return 0;
  auto pos = std::lower_bound(childSeq_.begin(), childSeq_.end(), it->second.back());
  return static_cast<std::int32_t>(pos - childSeq_.begin());
}

std::unique_ptr<plistDict> plistDict::MakeChildNode(bool arrayFlag,
                                                    const fw::String& childName) const {
  auto node = std::make_unique<plistDict>();
  node->isArray = arrayFlag;
  node->name = childName;
  node->parent = const_cast<plistDict*>(this);
  node->rootClass = rootClass;
  return node;
}

plistDict* plistDict::AppendChildNode(const fw::String& key, std::unique_ptr<plistDict> node) {
  const std::uint64_t seq = nextSeq_++;
  plistDict* raw = node.get();
  childNodes_.push_back(std::move(node));
  childKeys_.push_back(key);
  childSeq_.push_back(seq);
  seqByKey_[key].push_back(seq);  // the newest, so the largest for this key
  return raw;
}

namespace {

// Drops seq from the sorted list of key; drops the key when none is left.
void Unlist(std::unordered_map<fw::String, std::vector<std::uint64_t>>& seqByKey,
            const fw::String& key, std::uint64_t seq) {
  auto it = seqByKey.find(key);
  if (it == seqByKey.end()) return;
  auto& seqs = it->second;
  auto at = std::lower_bound(seqs.begin(), seqs.end(), seq);
  if (at != seqs.end() && *at == seq) seqs.erase(at);
  if (seqs.empty()) seqByKey.erase(it);
}

}  // namespace

std::unique_ptr<plistDict> plistDict::TakeChildAt(std::int32_t position) {
  if (position < 1 || position >= static_cast<std::int32_t>(childNodes_.size())) return nullptr;
  const auto p = static_cast<std::size_t>(position);
  Unlist(seqByKey_, childKeys_[p], childSeq_[p]);
  std::unique_ptr<plistDict> node = std::move(childNodes_[p]);
  childNodes_.erase(childNodes_.begin() + position);
  childKeys_.erase(childKeys_.begin() + position);
  childSeq_.erase(childSeq_.begin() + position);
  return node;
}

void plistDict::RenameChildAt(std::int32_t position, const fw::String& key) {
  if (position < 1 || position >= static_cast<std::int32_t>(childNodes_.size())) return;
  const auto p = static_cast<std::size_t>(position);
  if (childKeys_[p] == key) return;
  const std::uint64_t seq = childSeq_[p];
  Unlist(seqByKey_, childKeys_[p], seq);
  childKeys_[p] = key;
  auto& seqs = seqByKey_[key];
  seqs.insert(std::lower_bound(seqs.begin(), seqs.end(), seq), seq);
}

// ---- Navigation and queries -------------------------------------------------

plistDict* plistDict::index(std::int32_t n) {
  const std::int32_t p = ChildPosition(fw::Str(n));
  return p == 0 ? nullptr : childNodes_[static_cast<std::size_t>(p)].get();
}

fw::String plistDict::GetType(const fw::String& key) const {
  return types.Lookup(key, fw::String());
}

bool plistDict::Exists(const fw::String& key) const { return types.HasKey(key); }

std::int32_t plistDict::count() const { return types.Count(); }

// ---- Cursor -----------------------------------------------------------------

void plistDict::MoveFirst() {
  currentIndex = 0;
  eof = false;
}

void plistDict::MoveNext() {
  currentIndex = currentIndex == INT32_MAX ? currentIndex : currentIndex + 1;
  if (currentIndex > count() - 1) {
    currentIndex = 0;
    eof = true;
  }
}

void plistDict::MoveLast() { currentIndex = count() - 1; }

fw::String plistDict::CurrentKey() {
  if (currentIndex > count() - 1 || currentIndex < 0) {
    eof = true;
    currentIndex = 0;
    return fw::String();
  }
  return types.Key(currentIndex);
}

// ---- Errors -----------------------------------------------------------------

void plistDict::SetError(bool flag, const fw::String& message) {
  if (rootClass == nullptr) return;
  rootClass->error = flag;
  rootClass->errorMessage = message;
  if (flag && rootClass->debug) fw::MsgBox(message);
}
