// An ordered dictionary from text keys to values.
//
// What callers may rely on:
// - Keys are fw::String and are compared by the system's one text rule
//   (TextEquals: exact, case-sensitive bytes). "a" and "A" are two keys.
// - Enumeration order is insertion order: Key(0) is the oldest key still
//   present, Key(Count() - 1) the newest. SetValue of a new key puts it at the
//   end; SetValue of a present key replaces its value and keeps its place.
// - Remove(key) takes the key out and leaves every other key in its relative
//   order. Removing a key that is not present changes nothing.
// - HasKey, Value, Lookup, Find, SetValue and Remove take constant time on
//   average, whatever the number of keys, also for keys chosen to collide
//   (the hash is keyed at random per process; enumeration never depends on
//   it). Removing the last key in the order
//   is always cheap. Key(i) takes constant time; only the first Key(i) after
//   removals from the middle of the order costs one pass over the entries.
// - Value(key) of a missing key throws KeyNotFoundException; Key(i) outside
//   0 .. Count() - 1 throws OutOfBoundsException. Lookup and Find never throw
//   for a missing key.
// - References returned by Value, Find and Key stay valid until the next call
//   that changes the dictionary (SetValue of a new key, Remove, Clear) or the
//   next Key(i) after a removal.
// - V must be default-constructible and movable.
// - An empty dictionary holds no heap memory; a new key costs no allocation
//   of its own (beyond what its key and value texts need): storage grows
//   geometrically and never copies the entries it already holds.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/core/String.h"
#include "framework/core/TaggedPages.h"

namespace fw {

namespace detail {
// Keyed hash of a text's bytes; the key is random per process.
std::uint64_t HashText(std::string_view text) noexcept;
}  // namespace detail

// Thrown by Dictionary::Value for a key the dictionary does not have.
class KeyNotFoundException : public std::out_of_range {
 public:
  explicit KeyNotFoundException(std::string_view key)
      : std::out_of_range("Key not found: " + String(key)) {}
};

// Thrown by Dictionary::Key for a position outside the enumeration order.
class OutOfBoundsException : public std::out_of_range {
 public:
  explicit OutOfBoundsException(std::int64_t index)
      : std::out_of_range("Index out of bounds: " + std::to_string(index)) {}
};

template <typename V>
class Dictionary {
 public:
  Dictionary() = default;
  Dictionary(const Dictionary& other)
      : slots_(other.slots_),
        table_(CopyTable(other)),
        lowMask_(other.lowMask_),
        count_(other.count_),
        holes_(other.holes_),
        tableSize_(other.tableSize_) {}
  Dictionary(Dictionary&& other) noexcept { Swap(other); }
  Dictionary& operator=(const Dictionary& other) {
    if (this != &other) {
      Dictionary copy(other);
      Swap(copy);
    }
    return *this;
  }
  Dictionary& operator=(Dictionary&& other) noexcept {
    if (this != &other) {
      Dictionary moved(std::move(other));
      Swap(moved);
    }
    return *this;
  }
  ~Dictionary() = default;

  // Number of keys present.
  std::int32_t Count() const noexcept { return static_cast<std::int32_t>(count_); }

  bool HasKey(std::string_view key) const { return FindSlot(key) != kNone; }

  // The value under key; throws KeyNotFoundException when the key is missing.
  const V& Value(std::string_view key) const {
    const V* v = Find(key);
    if (v == nullptr) throw KeyNotFoundException(key);
    return *v;
  }

  // The value under key, or fallback when the key is missing.
  V Lookup(std::string_view key, const V& fallback) const {
    const V* v = Find(key);
    return v == nullptr ? fallback : *v;
  }

  // Pointer to the value under key, or nullptr when the key is missing.
  const V* Find(std::string_view key) const {
    const std::size_t slot = FindSlot(key);
    return slot == kNone ? nullptr : &slots_[slot].value;
  }
  V* Find(std::string_view key) {
    const std::size_t slot = FindSlot(key);
    return slot == kNone ? nullptr : &slots_[slot].value;
  }

  // Stores value under key: a new key joins the end of the order, a present
  // key keeps its place and gets the new value.
  void SetValue(std::string_view key, V value) {
    if (const std::size_t near = NearSlot(key); near != kNone) {
      slots_[near].value = std::move(value);
      return;
    }
    const std::uint32_t hash = HashOf(key);
    const std::size_t pos = FindPos(key, hash);
    if (pos != kNone) {
      hint_ = static_cast<std::uint32_t>(SlotOf(table_[pos]));
      slots_[hint_].value = std::move(value);
      return;
    }
    const std::size_t keys = std::size_t{count_} + 1;
    if (keys * 5 > tableSize_ * 4) {
      if (holes_ != 0) {
        Compact(keys);
      } else {
        Rehash(TableSizeFor(keys));
      }
    }
    slots_.push_back(Slot{String(key), std::move(value)}, hash);
    Place(hash, slots_.size() - 1);
    hint_ = static_cast<std::uint32_t>(slots_.size() - 1);
    ++count_;
  }

  // Takes key out; the other keys keep their order. A missing key is ignored.
  void Remove(std::string_view key) {
    const std::size_t pos = FindPos(key, HashOf(key));
    if (pos == kNone) return;
    const std::size_t slot = SlotOf(table_[pos]);
    EraseAt(pos);
    --count_;
    if (slot + 1 == slots_.size()) {
      PopSlot();
      DropTrailingHoles();
      return;
    }
    Slot& hole = slots_[slot];
    hole.value = V();
    String().swap(hole.key);
    ++holes_;
    if (holes_ > count_) Compact(count_);  // bounds the memory held by holes
  }

  // The key at position i of the enumeration order, 0-based.
  const String& Key(std::int32_t i) const {
    if (i < 0 || i >= Count()) throw OutOfBoundsException(i);
    if (holes_ != 0) Compact(count_);
    return slots_[static_cast<std::size_t>(i)].key;
  }

  // The value at position i of the enumeration order (the value under
  // Key(i)), 0-based; same bounds, cost and exception as Key(i).
  const V& ValueAt(std::int32_t i) const {
    if (i < 0 || i >= Count()) throw OutOfBoundsException(i);
    if (holes_ != 0) Compact(count_);
    return slots_[static_cast<std::size_t>(i)].value;
  }

  void Clear() noexcept {
    slots_.clear();
    table_.reset();
    tableSize_ = 0;
    lowMask_ = 0;
    count_ = 0;
    holes_ = 0;
  }

 private:
  // Entries in insertion order, each tagged with its key's hash (what
  // rebuilding the index reads, so it touches 4 bytes per key). A removed
  // entry leaves a hole (key and value emptied, no index entry) until the
  // next compaction; a slot is live exactly when an index entry names it.
  struct Slot {
    String key;
    V value;
  };

  // The index is an open-addressing table of 32-bit entries with linear
  // probing, tableSize_ a power of two. An entry is 0 when free; else its
  // bits under lowMask_ hold slot + 1 and the bits above hold those bits of
  // the key's hash, which screen key comparisons without touching the slot.
  // The table is at most four fifths full: with the tags, a probe run reads
  // a line or two of the table and no slot but the one sought, so a fuller,
  // smaller table (more of it in cache) is the better trade. lowMask_ covers
  // one bit more than a table position, so every slot number fits: slots
  // (live and holes) never exceed twice the keys plus one, and the table has
  // at least 5/4 as many positions as keys.
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  static std::uint32_t HashOf(std::string_view key) noexcept {
    const std::uint64_t h = detail::HashText(key);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
  }
  std::size_t SlotOf(std::uint32_t entry) const noexcept {
    return static_cast<std::size_t>(entry & lowMask_) - 1;
  }
  static std::size_t TableSizeFor(std::size_t n) {
    std::size_t size = 16;
    while (size * 4 < n * 5) size *= 2;
    return size;
  }
  static std::unique_ptr<std::uint32_t[]> CopyTable(const Dictionary& other) {
    if (other.tableSize_ == 0) return nullptr;
    auto table = std::make_unique_for_overwrite<std::uint32_t[]>(other.tableSize_);
    std::copy_n(other.table_.get(), other.tableSize_, table.get());
    return table;
  }

  void Swap(Dictionary& other) noexcept {
    slots_.swap(other.slots_);
    table_.swap(other.table_);
    std::swap(tableSize_, other.tableSize_);
    std::swap(lowMask_, other.lowMask_);
    std::swap(count_, other.count_);
    std::swap(holes_, other.holes_);
    std::swap(hint_, other.hint_);
  }

  // The slot of the last key found or stored, or the one after it, when it
  // holds key: keys are often looked up again at once, or in their order
  // (a walk over Key(i), a file read in order), and such a lookup then costs
  // neither a hash nor a probe of the index. Only while there are no holes,
  // so that every slot below size() is live.
  std::size_t NearSlot(std::string_view key) const noexcept {
    if (holes_ != 0) return kNone;
    const std::size_t n = slots_.size();
    for (std::size_t s = hint_; s < n && s <= std::size_t{hint_} + 1; ++s) {
      if (TextEquals(slots_[s].key, key)) {
        hint_ = static_cast<std::uint32_t>(s);
        return s;
      }
    }
    return kNone;
  }

  // The slot holding key, or kNone.
  std::size_t FindSlot(std::string_view key) const {
    if (const std::size_t near = NearSlot(key); near != kNone) return near;
    const std::size_t pos = FindPos(key, HashOf(key));
    if (pos == kNone) return kNone;
    hint_ = static_cast<std::uint32_t>(SlotOf(table_[pos]));
    return hint_;
  }

  std::size_t FindPos(std::string_view key, std::uint32_t hash) const {
    if (tableSize_ == 0) return kNone;
    const std::size_t mask = tableSize_ - 1;
    const std::uint32_t tag = hash & ~lowMask_;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint32_t e = table_[i];
      if (e == 0) return kNone;
      if ((e & ~lowMask_) == tag && TextEquals(slots_[SlotOf(e)].key, key)) return i;
    }
  }

  // Whether an index entry names slot, that is, whether it is live.
  bool IsListed(std::size_t slot) const {
    const std::size_t mask = tableSize_ - 1;
    for (std::size_t i = slots_.Tag(slot) & mask;; i = (i + 1) & mask) {
      const std::uint32_t e = table_[i];
      if (e == 0) return false;
      if (SlotOf(e) == slot) return true;
    }
  }

  void Place(std::uint32_t hash, std::size_t slot) const {
    const std::size_t mask = tableSize_ - 1;
    std::size_t i = hash & mask;
    while (table_[i] != 0) i = (i + 1) & mask;
    table_[i] = (hash & ~lowMask_) | static_cast<std::uint32_t>(slot + 1);
  }

  // Frees table position i and shifts later entries of its probe run back,
  // so that no lookup stops early.
  void EraseAt(std::size_t i) {
    const std::size_t mask = tableSize_ - 1;
    table_[i] = 0;
    for (std::size_t j = (i + 1) & mask; table_[j] != 0; j = (j + 1) & mask) {
      const std::size_t home = slots_.Tag(SlotOf(table_[j])) & mask;
      // The entry at j may move to i when its home is not in (i, j].
      const bool stays = (i <= j) ? (home > i && home <= j) : (home > i || home <= j);
      if (stays) continue;
      table_[i] = table_[j];
      table_[j] = 0;
      i = j;
    }
  }

  // Rebuilds the index at the given size; every slot must be live.
  void Rehash(std::size_t size) const {
    table_ = std::make_unique<std::uint32_t[]>(size);  // zeroed: every entry free
    tableSize_ = size;
    const std::uint64_t low = std::uint64_t{size} * 2 - 1;
    lowMask_ = low > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(low);
    for (std::size_t s = 0; s < slots_.size(); ++s) Place(slots_.Tag(s), s);
  }

  void PopSlot() const noexcept { slots_.pop_back(); }

  void DropTrailingHoles() const {
    while (holes_ != 0 && !slots_.empty() && !IsListed(slots_.size() - 1)) {
      PopSlot();
      --holes_;
    }
  }

  // Closes the holes left by removals, keeping the order of the live slots,
  // and rebuilds the index for the new slot numbers, sized for keys keys.
  void Compact(std::size_t keys) const {
    std::vector<bool> live(slots_.size(), false);
    for (std::size_t i = 0; i < tableSize_; ++i)
      if (table_[i] != 0) live[SlotOf(table_[i])] = true;
    std::size_t out = 0;
    for (std::size_t in = 0; in < slots_.size(); ++in) {
      if (!live[in]) continue;
      if (out != in) {
        slots_[out] = std::move(slots_[in]);
        slots_.Tag(out) = slots_.Tag(in);
      }
      ++out;
    }
    slots_.truncate(out);
    holes_ = 0;
    Rehash(TableSizeFor(keys));
  }

  // Compaction after removals does not change what the dictionary holds, so
  // it may run from the const Key(i).
  mutable TaggedPages<Slot> slots_;
  mutable std::unique_ptr<std::uint32_t[]> table_;
  mutable std::uint32_t lowMask_ = 0;
  std::uint32_t count_ = 0;
  mutable std::uint32_t holes_ = 0;
  mutable std::uint32_t hint_ = 0;
  mutable std::size_t tableSize_ = 0;
};

}  // namespace fw
