// A level's child list: positions in pages that never move, numbered in
// order of addition, and the lookup by key kept in the level's entry table.
//
// The table names, per key, the node at the lowest position under it
// (Record::child, or the side's `children` for a key without a type); a key
// listed more than once also has the ascending numbers of its further
// positions in the side's `laterSeqs`. A node keeps the number of its own
// position (plistDict::seq_), so a position is found from a node by binary
// search over the numbers.
#include "plist/plistChildList.h"

#include <algorithm>
#include <utility>

#include "plist/plistDict.h"

plistChildList::~plistChildList() = default;

const plistChildList::Slots& plistChildList::Empty() {
  static const auto* placeholder = [] {
    auto* list = new Slots();
    list->push_back(Slot{}, 0);
    return list;
  }();
  return *placeholder;
}

plistChildList::Store& plistChildList::Made() {
  if (!store_) {
    store_ = std::make_unique<Store>();
    store_->positions.push_back(Slot{}, 0);
  }
  return *store_;
}

std::int32_t plistChildList::PositionOfSeq(std::uint64_t seq) const {
  // The first position from 1 whose number is not below seq.
  const Slots& list = store_->positions;
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

plistDict* plistChildList::First(const plist_entries::Table& index, std::string_view key) const {
  return store_ ? index.FirstChild(key) : nullptr;
}

std::int32_t plistChildList::Position(const plist_entries::Table& index,
                                      std::string_view key) const {
  const plistDict* first = First(index, key);
  return first == nullptr ? 0 : PositionOfSeq(first->seq_);
}

std::int32_t plistChildList::LastPosition(const plist_entries::Table& index,
                                          std::string_view key) const {
  const plistDict* first = First(index, key);
  if (first == nullptr) return 0;
  const auto* later = index.LaterSeqs(key);
  return PositionOfSeq(later == nullptr ? first->seq_ : later->back());
}

void plistChildList::Positions(const plist_entries::Table& index, std::string_view key,
                               std::vector<std::int32_t>& positions) const {
  positions.clear();
  const plistDict* first = First(index, key);
  if (first == nullptr) return;
  positions.push_back(PositionOfSeq(first->seq_));
  if (const auto* later = index.LaterSeqs(key)) {
    for (std::uint64_t seq : *later) positions.push_back(PositionOfSeq(seq));
  }
}

void plistChildList::List(plist_entries::Table& index, std::string_view key, plistDict* node) {
  plistDict* first = index.FirstChild(key);
  if (first == nullptr) {
    index.SetFirstChild(key, node);
    return;
  }
  std::uint64_t later = node->seq_;
  if (later < first->seq_) {
    later = first->seq_;
    index.SetFirstChild(key, node);
  }
  auto& seqs = index.MakeSide().laterSeqs;
  std::vector<std::uint64_t>* list = seqs.Find(key);
  if (list == nullptr) {
    seqs.SetValue(key, {});
    list = seqs.Find(key);
  }
  list->insert(std::lower_bound(list->begin(), list->end(), later), later);
}

void plistChildList::Unlist(plist_entries::Table& index, std::string_view key,
                            const plistDict* node) {
  const plistDict* first = index.FirstChild(key);
  if (first == nullptr) return;
  std::vector<std::uint64_t>* later = index.LaterSeqs(key);
  if (node != first) {
    if (later == nullptr) return;
    auto at = std::lower_bound(later->begin(), later->end(), node->seq_);
    if (at != later->end() && *at == node->seq_) later->erase(at);
  } else if (later == nullptr) {
    index.SetFirstChild(key, nullptr);
    return;
  } else {
    const std::uint64_t next = later->front();
    later->erase(later->begin());
    index.SetFirstChild(
        key, store_->positions[static_cast<std::size_t>(PositionOfSeq(next))].node.get());
  }
  if (later->empty()) index.side->laterSeqs.Remove(key);
}

plistDict* plistChildList::Append(plist_entries::Table& index, const fw::String& key,
                                  std::unique_ptr<plistDict> node) {
  Store& store = Made();
  const std::uint64_t seq = store.nextSeq++;
  plistDict* raw = node.get();
  raw->seq_ = seq;
  store.positions.push_back(Slot{std::move(node), key, seq}, 0);
  List(index, key, raw);  // the newest, so the largest number for this key
  return raw;
}

std::unique_ptr<plistDict> plistChildList::Take(plist_entries::Table& index,
                                                std::int32_t position) {
  if (position < 1 || position >= static_cast<std::int32_t>(Shown().size())) return nullptr;
  Slots& list = store_->positions;  // a node is listed, so the store exists
  const auto p = static_cast<std::size_t>(position);
  Unlist(index, list[p].key, list[p].node.get());
  std::unique_ptr<plistDict> node = std::move(list[p].node);
  // Close the gap: every later position moves down by one.
  for (std::size_t i = p; i + 1 < list.size(); ++i) list[i] = std::move(list[i + 1]);
  list.pop_back();
  return node;
}

void plistChildList::Rename(plist_entries::Table& index, std::int32_t position,
                            const fw::String& key) {
  if (position < 1 || position >= static_cast<std::int32_t>(Shown().size())) return;
  Slot& slot = store_->positions[static_cast<std::size_t>(position)];
  if (slot.key == key) return;
  Unlist(index, slot.key, slot.node.get());
  slot.key = key;
  List(index, key, slot.node.get());
}

void plistChildList::MoveNodesTo(std::vector<std::unique_ptr<plistDict>>& out) {
  if (!store_) return;
  Slots& list = store_->positions;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].node) out.push_back(std::move(list[i].node));
  }
}
