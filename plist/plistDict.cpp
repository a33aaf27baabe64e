// The node itself: construction and release, child lookup, entry queries,
// the cursor and error recording.
#include "plist/plistDict.h"

#include <algorithm>
#include <utility>

#include "framework/core/MsgBox.h"
#include "framework/core/Text.h"
#include "plist/plist.h"

// What the child-list views show before a node has its own child storage:
// the placeholder at position 0 only.
const plistDict::ChildSlots& plistDict::NoChildren() {
  static const auto* placeholder = [] {
    auto* list = new ChildSlots();
    list->push_back(ChildSlot{}, 0);
    return list;
  }();
  return *placeholder;
}

plistDict::plistDict() : children(&NoChildren()), childrenNames(&NoChildren()) {}

// Releases the subtree without recursion: every node's children are moved
// onto one work list before the node itself goes, so each node is destroyed
// with an empty child list, whatever the depth of the tree.
plistDict::~plistDict() {
  if (!kids_) return;
  std::vector<std::unique_ptr<plistDict>> pending;
  auto takeChildren = [&pending](ChildStore& kids) {
    for (std::size_t i = 0; i < kids.positions.size(); ++i) {
      if (kids.positions[i].node) pending.push_back(std::move(kids.positions[i].node));
    }
  };
  takeChildren(*kids_);
  while (!pending.empty()) {
    std::unique_ptr<plistDict> node = std::move(pending.back());
    pending.pop_back();
    if (node->kids_) takeChildren(*node->kids_);
  }
}

// ---- Child list -------------------------------------------------------------

plistDict::ChildStore& plistDict::Kids() {
  if (!kids_) {
    kids_ = std::make_unique<ChildStore>();
    kids_->positions.push_back(ChildSlot{}, 0);
    children.list_ = &kids_->positions;
    childrenNames.list_ = &kids_->positions;
  }
  return *kids_;
}

std::int32_t plistDict::PositionOfSeq(std::uint64_t seq) const {
  // The first position from 1 whose number is not below seq.
  const ChildSlots& list = kids_->positions;
  std::size_t low = 1;
  std::size_t high = list.size();
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (list[mid].seq < seq) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return static_cast<std::int32_t>(low);
}

plistDict* plistDict::FirstChild(const fw::String& key) const {
  return kids_ ? types.t_.FirstChild(key) : nullptr;
}

std::int32_t plistDict::ChildPosition(const fw::String& key) const {
  const plistDict* first = FirstChild(key);
  return first == nullptr ? 0 : PositionOfSeq(first->seq_);
}

std::int32_t plistDict::LastChildPosition(const fw::String& key) const {
  const plistDict* first = FirstChild(key);
  if (first == nullptr) return 0;
  const auto* later = types.t_.LaterSeqs(key);
  return PositionOfSeq(later == nullptr ? first->seq_ : later->back());
}

void plistDict::ChildPositions(const fw::String& key, std::vector<std::int32_t>& positions) const {
  positions.clear();
  const plistDict* first = FirstChild(key);
  if (first == nullptr) return;
  positions.push_back(PositionOfSeq(first->seq_));
  if (const auto* later = types.t_.LaterSeqs(key)) {
    for (std::uint64_t seq : *later) positions.push_back(PositionOfSeq(seq));
  }
}

// Adds node, whose position number is node->seq_, to the positions of key.
void plistDict::ListChild(const fw::String& key, plistDict* node) {
  plist_entries::Table& table = types.t_;
  plistDict* first = table.FirstChild(key);
  if (first == nullptr) {
    table.SetFirstChild(key, node);
    return;
  }
  std::uint64_t later = node->seq_;
  if (later < first->seq_) {
    later = first->seq_;
    table.SetFirstChild(key, node);
  }
  auto& seqs = table.MakeSide().laterSeqs;
  std::vector<std::uint64_t>* list = seqs.Find(key);
  if (list == nullptr) {
    seqs.SetValue(key, {});
    list = seqs.Find(key);
  }
  list->insert(std::lower_bound(list->begin(), list->end(), later), later);
}

// Takes node out of the positions of key; the node list itself must still
// hold every position.
void plistDict::UnlistChild(const fw::String& key, const plistDict* node) {
  plist_entries::Table& table = types.t_;
  const plistDict* first = table.FirstChild(key);
  if (first == nullptr) return;
  std::vector<std::uint64_t>* later = table.LaterSeqs(key);
  if (node != first) {
    if (later == nullptr) return;
    auto at = std::lower_bound(later->begin(), later->end(), node->seq_);
    if (at != later->end() && *at == node->seq_) later->erase(at);
  } else if (later == nullptr) {
    table.SetFirstChild(key, nullptr);
    return;
  } else {
    const std::uint64_t next = later->front();
    later->erase(later->begin());
    table.SetFirstChild(key,
                        kids_->positions[static_cast<std::size_t>(PositionOfSeq(next))].node.get());
  }
  if (later->empty()) table.side->laterSeqs.Remove(key);
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
  raw->seq_ = seq;
  kids.positions.push_back(ChildSlot{std::move(node), key, seq}, 0);
  ListChild(key, raw);  // the newest, so the largest number for this key
  return raw;
}

std::unique_ptr<plistDict> plistDict::TakeChildAt(std::int32_t position) {
  if (position < 1 || position >= static_cast<std::int32_t>(children.size())) return nullptr;
  ChildStore& kids = *kids_;  // a child exists, so the store does
  const auto p = static_cast<std::size_t>(position);
  UnlistChild(kids.positions[p].key, kids.positions[p].node.get());
  std::unique_ptr<plistDict> node = std::move(kids.positions[p].node);
  // Close the gap: every later position moves down by one.
  for (std::size_t i = p; i + 1 < kids.positions.size(); ++i)
    kids.positions[i] = std::move(kids.positions[i + 1]);
  kids.positions.pop_back();
  return node;
}

void plistDict::RenameChildAt(std::int32_t position, const fw::String& key) {
  if (position < 1 || position >= static_cast<std::int32_t>(children.size())) return;
  ChildStore& kids = *kids_;
  const auto p = static_cast<std::size_t>(position);
  ChildSlot& slot = kids.positions[p];
  if (slot.key == key) return;
  UnlistChild(slot.key, slot.node.get());
  slot.key = key;
  ListChild(key, slot.node.get());
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
