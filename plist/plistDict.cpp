// The node itself: construction and release, child lookup, entry queries,
// the cursor and error recording.
#include "plist/plistDict.h"

#include <algorithm>
#include <utility>

#include "framework/core/MsgBox.h"
#include "framework/core/Text.h"
#include "plist/plist.h"

plistDict::plistDict() : childNodes_(1), childKeys_(1) {}

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

std::int32_t plistDict::PositionOfSeq(std::uint64_t seq) const {
  auto at = std::lower_bound(childSeq_.begin(), childSeq_.end(), seq);
  return static_cast<std::int32_t>(at - childSeq_.begin()) + 1;
}

std::int32_t plistDict::ChildPosition(const fw::String& key) const {
  const ChildKeyEntry* e = childIndex_.Find(key);
  return e == nullptr ? 0 : PositionOfSeq(e->firstSeq);
}

std::int32_t plistDict::LastChildPosition(const fw::String& key) const {
  const ChildKeyEntry* e = childIndex_.Find(key);
  if (e == nullptr) return 0;
  return PositionOfSeq(e->laterSeqs.empty() ? e->firstSeq : e->laterSeqs.back());
}

void plistDict::ChildPositions(const fw::String& key, std::vector<std::int32_t>& positions) const {
  positions.clear();
  const ChildKeyEntry* e = childIndex_.Find(key);
  if (e == nullptr) return;
  positions.push_back(PositionOfSeq(e->firstSeq));
  for (std::uint64_t seq : e->laterSeqs) positions.push_back(PositionOfSeq(seq));
}

// Adds the position numbered seq, holding node, to the positions of key.
void plistDict::ListChild(const fw::String& key, std::uint64_t seq, plistDict* node) {
  ChildKeyEntry* e = childIndex_.Find(key);
  if (e == nullptr) {
    childIndex_.SetValue(key, ChildKeyEntry{node, seq, {}});
    return;
  }
  std::uint64_t later = seq;
  if (seq < e->firstSeq) {
    later = e->firstSeq;
    e->first = node;
    e->firstSeq = seq;
  }
  auto& seqs = e->laterSeqs;
  seqs.insert(std::lower_bound(seqs.begin(), seqs.end(), later), later);
}

// Takes the position numbered seq out of the positions of key; the node list
// itself must still hold every position.
void plistDict::UnlistChild(const fw::String& key, std::uint64_t seq) {
  ChildKeyEntry* e = childIndex_.Find(key);
  if (e == nullptr) return;
  auto& seqs = e->laterSeqs;
  if (seq != e->firstSeq) {
    auto at = std::lower_bound(seqs.begin(), seqs.end(), seq);
    if (at != seqs.end() && *at == seq) seqs.erase(at);
    return;
  }
  if (seqs.empty()) {
    childIndex_.Remove(key);
    return;
  }
  e->firstSeq = seqs.front();
  seqs.erase(seqs.begin());
  e->first = childNodes_[static_cast<std::size_t>(PositionOfSeq(e->firstSeq))].get();
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
  ListChild(key, seq, raw);  // the newest, so the largest number for this key
  return raw;
}

std::unique_ptr<plistDict> plistDict::TakeChildAt(std::int32_t position) {
  if (position < 1 || position >= static_cast<std::int32_t>(childNodes_.size())) return nullptr;
  const auto p = static_cast<std::size_t>(position);
  UnlistChild(childKeys_[p], childSeq_[p - 1]);
  std::unique_ptr<plistDict> node = std::move(childNodes_[p]);
  childNodes_.erase(childNodes_.begin() + position);
  childKeys_.erase(childKeys_.begin() + position);
  childSeq_.erase(childSeq_.begin() + (position - 1));
  return node;
}

void plistDict::RenameChildAt(std::int32_t position, const fw::String& key) {
  if (position < 1 || position >= static_cast<std::int32_t>(childNodes_.size())) return;
  const auto p = static_cast<std::size_t>(position);
  if (childKeys_[p] == key) return;
  const std::uint64_t seq = childSeq_[p - 1];
  UnlistChild(childKeys_[p], seq);
  childKeys_[p] = key;
  ListChild(key, seq, childNodes_[p].get());
}

// ---- Navigation and queries -------------------------------------------------

plistDict* plistDict::index(std::int32_t n) {
  const ChildKeyEntry* e = childIndex_.Find(fw::Str(n));
  return e == nullptr ? nullptr : e->first;
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
