// The node itself: construction and release, child lookup, entry queries,
// the cursor and error recording.
#include "plist/plistDict.h"

#include <algorithm>
#include <utility>

#include "framework/core/MsgBox.h"
#include "framework/core/Text.h"
#include "plist/plist.h"

namespace {

// What the child-list views show before a node has its own child storage:
// the placeholder at position 0 only.
const std::vector<std::unique_ptr<plistDict>>& NoChildNodes() {
  static const std::vector<std::unique_ptr<plistDict>> nodes(1);
  return nodes;
}

const std::vector<fw::String>& NoChildKeys() {
  static const std::vector<fw::String> keys(1);
  return keys;
}

}  // namespace

plistDict::plistDict() : children(&NoChildNodes()), childrenNames(&NoChildKeys()) {}

// Releases the subtree without recursion: every node's children are moved
// onto one work list before the node itself goes, so each node is destroyed
// with an empty child list, whatever the depth of the tree.
plistDict::~plistDict() {
  if (!kids_) return;
  std::vector<std::unique_ptr<plistDict>> pending;
  for (auto& node : kids_->nodes) {
    if (node) pending.push_back(std::move(node));
  }
  while (!pending.empty()) {
    std::unique_ptr<plistDict> node = std::move(pending.back());
    pending.pop_back();
    if (!node->kids_) continue;
    for (auto& grandchild : node->kids_->nodes) {
      if (grandchild) pending.push_back(std::move(grandchild));
    }
  }
}

// ---- Child list -------------------------------------------------------------

plistDict::ChildStore& plistDict::Kids() {
  if (!kids_) {
    kids_ = std::make_unique<ChildStore>();
    kids_->nodes.resize(1);
    kids_->keys.resize(1);
    children.list_ = &kids_->nodes;
    childrenNames.list_ = &kids_->keys;
  }
  return *kids_;
}

std::int32_t plistDict::PositionOfSeq(std::uint64_t seq) const {
  const auto& seqs = kids_->seqs;
  auto at = std::lower_bound(seqs.begin(), seqs.end(), seq);
  return static_cast<std::int32_t>(at - seqs.begin()) + 1;
}

plistDict* plistDict::FirstChild(const fw::String& key) const {
  if (!kids_) return nullptr;
  const ChildKeyEntry* e = kids_->index.Find(key);
  return e == nullptr ? nullptr : e->first;
}

std::int32_t plistDict::ChildPosition(const fw::String& key) const {
  const ChildKeyEntry* e = kids_ ? kids_->index.Find(key) : nullptr;
  return e == nullptr ? 0 : PositionOfSeq(e->firstSeq);
}

std::int32_t plistDict::LastChildPosition(const fw::String& key) const {
  const ChildKeyEntry* e = kids_ ? kids_->index.Find(key) : nullptr;
  if (e == nullptr) return 0;
  const bool single = !e->laterSeqs || e->laterSeqs->empty();
  return PositionOfSeq(single ? e->firstSeq : e->laterSeqs->back());
}

void plistDict::ChildPositions(const fw::String& key, std::vector<std::int32_t>& positions) const {
  positions.clear();
  const ChildKeyEntry* e = kids_ ? kids_->index.Find(key) : nullptr;
  if (e == nullptr) return;
  positions.push_back(PositionOfSeq(e->firstSeq));
  if (!e->laterSeqs) return;
  for (std::uint64_t seq : *e->laterSeqs) positions.push_back(PositionOfSeq(seq));
}

// Adds the position numbered seq, holding node, to the positions of key.
void plistDict::ListChild(const fw::String& key, std::uint64_t seq, plistDict* node) {
  auto& index = Kids().index;
  ChildKeyEntry* e = index.Find(key);
  if (e == nullptr) {
    index.SetValue(key, ChildKeyEntry{node, seq, nullptr});
    return;
  }
  std::uint64_t later = seq;
  if (seq < e->firstSeq) {
    later = e->firstSeq;
    e->first = node;
    e->firstSeq = seq;
  }
  if (!e->laterSeqs) e->laterSeqs = std::make_unique<std::vector<std::uint64_t>>();
  auto& seqs = *e->laterSeqs;
  seqs.insert(std::lower_bound(seqs.begin(), seqs.end(), later), later);
}

// Takes the position numbered seq out of the positions of key; the node list
// itself must still hold every position.
void plistDict::UnlistChild(const fw::String& key, std::uint64_t seq) {
  if (!kids_) return;
  ChildKeyEntry* e = kids_->index.Find(key);
  if (e == nullptr) return;
  const bool single = !e->laterSeqs || e->laterSeqs->empty();
  if (seq != e->firstSeq) {
    if (single) return;
    auto& seqs = *e->laterSeqs;
    auto at = std::lower_bound(seqs.begin(), seqs.end(), seq);
    if (at != seqs.end() && *at == seq) seqs.erase(at);
    return;
  }
  if (single) {
    kids_->index.Remove(key);
    return;
  }
  auto& seqs = *e->laterSeqs;
  e->firstSeq = seqs.front();
  seqs.erase(seqs.begin());
  e->first = kids_->nodes[static_cast<std::size_t>(PositionOfSeq(e->firstSeq))].get();
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
  ChildStore& kids = Kids();
  const std::uint64_t seq = kids.nextSeq++;
  plistDict* raw = node.get();
  kids.nodes.push_back(std::move(node));
  kids.keys.push_back(key);
  kids.seqs.push_back(seq);
  ListChild(key, seq, raw);  // the newest, so the largest number for this key
  return raw;
}

std::unique_ptr<plistDict> plistDict::TakeChildAt(std::int32_t position) {
  if (position < 1 || position >= static_cast<std::int32_t>(children.size())) return nullptr;
  ChildStore& kids = *kids_;  // a child exists, so the store does
  const auto p = static_cast<std::size_t>(position);
  UnlistChild(kids.keys[p], kids.seqs[p - 1]);
  std::unique_ptr<plistDict> node = std::move(kids.nodes[p]);
  kids.nodes.erase(kids.nodes.begin() + position);
  kids.keys.erase(kids.keys.begin() + position);
  kids.seqs.erase(kids.seqs.begin() + (position - 1));
  return node;
}

void plistDict::RenameChildAt(std::int32_t position, const fw::String& key) {
  if (position < 1 || position >= static_cast<std::int32_t>(children.size())) return;
  ChildStore& kids = *kids_;
  const auto p = static_cast<std::size_t>(position);
  if (kids.keys[p] == key) return;
  const std::uint64_t seq = kids.seqs[p - 1];
  UnlistChild(kids.keys[p], seq);
  kids.keys[p] = key;
  ListChild(key, seq, kids.nodes[p].get());
}

// ---- Navigation and queries -------------------------------------------------

plistDict* plistDict::index(std::int32_t n) { return FirstChild(fw::Str(n)); }

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
