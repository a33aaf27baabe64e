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
//   average, whatever the number of keys. Removing the last key in the order
//   is always cheap. Key(i) takes constant time; only the first Key(i) after
//   removals from the middle of the order costs one pass over the entries.
// - Value(key) of a missing key throws KeyNotFoundException; Key(i) outside
//   0 .. Count() - 1 throws OutOfBoundsException. Lookup and Find never throw
//   for a missing key.
// - References returned by Value, Find and Key stay valid until the next call
//   that changes the dictionary (SetValue of a new key, Remove, Clear) or the
//   next Key(i) after a removal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/core/String.h"

namespace fw {

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

  // Number of keys present.
  std::int32_t Count() const noexcept { return static_cast<std::int32_t>(index_.size()); }

  bool HasKey(std::string_view key) const { return index_.find(key) != index_.end(); }

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
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &*slots_[it->second].value;
  }
  V* Find(std::string_view key) {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &*slots_[it->second].value;
  }

  // Stores value under key: a new key joins the end of the order, a present
  // key keeps its place and gets the new value.
  void SetValue(std::string_view key, V value) {
    auto it = index_.find(key);
    if (it != index_.end()) {
      slots_[it->second].value = std::move(value);
      return;
    }
    slots_.push_back(Slot{String(key), std::move(value)});
    index_.emplace(slots_.back().key, slots_.size() - 1);
  }

  // Takes key out; the other keys keep their order. A missing key is ignored.
  void Remove(std::string_view key) {
    auto it = index_.find(key);
    if (it == index_.end()) return;
    const std::size_t slot = it->second;
    index_.erase(it);
    if (slot + 1 == slots_.size()) {
      slots_.pop_back();
      DropTrailingHoles();
      return;
    }
    slots_[slot].value.reset();
    slots_[slot].key = String();
    ++holes_;
    if (holes_ > index_.size()) Compact();  // bounds memory held by holes
  }

  // The key at position i of the enumeration order, 0-based.
  const String& Key(std::int32_t i) const {
    if (i < 0 || i >= Count()) throw OutOfBoundsException(i);
    if (holes_ != 0) Compact();
    return slots_[static_cast<std::size_t>(i)].key;
  }

  void Clear() noexcept {
    index_.clear();
    slots_.clear();
    holes_ = 0;
  }

 private:
  struct Slot {
    String key;
    std::optional<V> value;  // empty for a removed entry (a hole)
  };

  // Hash and equality that accept std::string_view without building a String.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
      return std::hash<std::string_view>{}(s);
    }
  };
  struct KeyEq {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
      return TextEquals(a, b);
    }
  };

  void DropTrailingHoles() const {
    while (!slots_.empty() && !slots_.back().value.has_value()) {
      slots_.pop_back();
      --holes_;
    }
  }

  // Closes the holes left by removals, keeping the order of the live slots.
  void Compact() const {
    std::size_t out = 0;
    for (std::size_t in = 0; in < slots_.size(); ++in) {
      if (!slots_[in].value.has_value()) continue;
      if (out != in) {
        slots_[out] = std::move(slots_[in]);
        index_.find(std::string_view(slots_[out].key))->second = out;
      }
      ++out;
    }
    slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(out), slots_.end());
    holes_ = 0;
  }

  // Compaction after removals does not change what the dictionary holds, so
  // it may run from the const Key(i).
  mutable std::vector<Slot> slots_;
  mutable std::unordered_map<String, std::size_t, KeyHash, KeyEq> index_;
  mutable std::size_t holes_ = 0;
};

}  // namespace fw
