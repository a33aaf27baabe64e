// The child list of one level: the nodes of its "dict" and "array" entries,
// each listed under a key, and the lookup of their positions by key.
//
// What callers may rely on:
// - Positions run from 1 to n, the number of nodes listed, in the order the
//   nodes were added (a view's size() is n + 1); Take closes the gap it
//   leaves, so later positions move down by one.
//   Position 0 is a placeholder (no node, key ""), also in a list that has
//   never held a node, which holds no storage of its own.
// - A listed node does not move in memory, and the list owns it: Take hands
//   it over, and the list's destruction releases what it still holds.
// - By key: First finds the node at the lowest position under a key in
//   constant time on average, however long the list. Position, LastPosition
//   and Positions add a binary search over the list for each position they
//   report, so Positions costs in proportion to the positions under the key,
//   not to the length of the list. A key may be listed more than once (a
//   file may repeat a key).
// - Nothing is ever copied: a list is neither copied nor moved.
//
// REQUIRES: `index` is the entry table of the level that owns this list,
// the same table in every call: the first node under each key is kept in
// the key's record there (plist_entries::Record::child). A node is listed
// in at most one list at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "framework/core/String.h"
#include "framework/core/TaggedPages.h"
#include "plist/plistEntries.h"

class plistDict;

class plistChildList {
 public:
  // One position: the node, the key it is listed under and its sequence
  // number (numbers grow along the list).
  struct Slot {
    std::unique_ptr<plistDict> node;
    fw::String key;
    std::uint64_t seq = 0;
  };
  using Slots = fw::TaggedPages<Slot>;

  // A read-only view of one field of a list's positions: size(), empty(),
  // [i] (REQUIRES: i < size()). It shows the list it was last pointed at
  // (Show), at first the placeholder alone.
  template <typename T, T Slot::*Field>
  class View {
   public:
    using value_type = T;
    std::size_t size() const noexcept { return list_->size(); }
    bool empty() const noexcept { return list_->empty(); }
    const T& operator[](std::size_t i) const { return (*list_)[i].*Field; }

   private:
    friend class ::plistDict;
    View() noexcept : list_(&Empty()) {}
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    void Show(const plistChildList& list) noexcept { list_ = &list.Shown(); }
    const Slots* list_;
  };
  using NodeView = View<std::unique_ptr<plistDict>, &Slot::node>;
  using KeyView = View<fw::String, &Slot::key>;

  plistChildList() = default;
  ~plistChildList();
  plistChildList(const plistChildList&) = delete;
  plistChildList& operator=(const plistChildList&) = delete;

  // The node at the lowest position under key, or nullptr.
  plistDict* First(const plist_entries::Table& index, std::string_view key) const;
  // Lowest position under key; 0 when there is none.
  std::int32_t Position(const plist_entries::Table& index, std::string_view key) const;
  // Highest position under key; 0 when there is none.
  std::int32_t LastPosition(const plist_entries::Table& index, std::string_view key) const;
  // Every position under key, ascending, into positions (emptied first).
  void Positions(const plist_entries::Table& index, std::string_view key,
                 std::vector<std::int32_t>& positions) const;

  // Lists node under key after the last position; returns the node.
  // REQUIRES: node is not null.
  plistDict* Append(plist_entries::Table& index, const fw::String& key,
                    std::unique_ptr<plistDict> node);
  // Takes the node at position out of the list and hands it over; nullptr,
  // with nothing changed, for a position outside 1 .. n.
  std::unique_ptr<plistDict> Take(plist_entries::Table& index, std::int32_t position);
  // Lists the node at position under key instead; outside 1 .. n nothing
  // changes.
  void Rename(plist_entries::Table& index, std::int32_t position, const fw::String& key);

  // Moves every node of the list onto out, leaving the list's positions
  // without nodes: a tree is released node by node from one work list, with
  // no stack frame per level.
  void MoveNodesTo(std::vector<std::unique_ptr<plistDict>>& out);

 private:
  struct Store {
    Slots positions;  // position 0 is the placeholder
    std::uint64_t nextSeq = 1;
  };

  // The placeholder alone, shared by every list without storage.
  static const Slots& Empty();
  // The positions, placeholder included.
  const Slots& Shown() const noexcept { return store_ ? store_->positions : Empty(); }
  Store& Made();
  // The position whose sequence number is seq: a binary search, as the
  // numbers grow along the list.
  std::int32_t PositionOfSeq(std::uint64_t seq) const;
  // Adds node (its number set) to the positions listed under key in index.
  void List(plist_entries::Table& index, std::string_view key, plistDict* node);
  // Takes node out of the positions listed under key; the list itself must
  // still hold every position.
  void Unlist(plist_entries::Table& index, std::string_view key, const plistDict* node);

  // Made at the first Append, so that a level without children is one
  // pointer.
  std::unique_ptr<Store> store_;
};
