// The entries of one level and the three views of them that a level shows
// as its fields `types`, `values` and `searched`.
//
// What callers may rely on:
// - Each view behaves as an ordered dictionary of its own (the calls of
//   fw::Dictionary, with its exceptions): its own keys, its own count, its
//   own SetValue and Remove. Changing one view changes no key or value of
//   another; only the order of `values` and `searched` follows `types`.
// - `types` enumerates its keys in order of first insertion. `values` and
//   `searched` enumerate theirs in the order of `types` (the keys `types`
//   has first, then the others in their own order of arrival).
// - A lookup or change costs one hash probe for the three views together,
//   constant on average. Key(i) and ValueAt(i) take constant time while
//   every key of `types` has a value (or a mark); otherwise a walk that
//   steps i by one still costs constant time per step. A lookup of the key
//   just looked up, or of the key after it, costs no hash (see
//   fw::Dictionary).
// - Table, Record and Side are the level's storage, shared with its child
//   list (plistChildList.h); only the level and its child list touch them.
//
// How they are kept: the table has one record per key of `types`, in the
// order of `types`, holding the type (a small code; a name other than the
// nine of the store is kept beside it), the value text, the search mark and
// the key's first child. A value, mark or first child stored under a key
// that `types` lacks waits in a side dictionary and moves into the record
// when the key gets a type; a record whose type is removed hands them back
// to the side.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/core/Dictionary.h"
#include "framework/core/String.h"

class plistDict;

namespace plist_entries {

// The type names a record holds as a code.
inline const std::array<fw::String, 9>& StandardTypes() {
  static const std::array<fw::String, 9> names = {"string", "integer", "real", "double", "date",
                                                  "data",   "boolean", "dict", "array"};
  return names;
}

struct Record {
  fw::String value;            // meaningful with kHasValue
  plistDict* child = nullptr;  // the first child node listed under the key
  std::uint8_t type = 0;       // index into StandardTypes(), or kOtherType
  std::uint8_t flags = 0;
  bool mark = false;  // meaningful with kHasMark

  static constexpr std::uint8_t kOtherType = 0xFF;
  static constexpr std::uint8_t kHasValue = 1;
  static constexpr std::uint8_t kHasMark = 2;
};

// What waits beside the table: values, marks and first children under keys
// without a type, the names of types outside the nine, and the further
// child positions of keys listed more than once. Made on first use.
struct Side {
  fw::Dictionary<fw::String> values;
  fw::Dictionary<bool> marks;
  fw::Dictionary<plistDict*> children;
  fw::Dictionary<fw::String> otherTypes;
  fw::Dictionary<std::vector<std::uint64_t>> laterSeqs;
};

// The shared storage: the table, the side and the counts of the views.
class Table {
 public:
  fw::Dictionary<Record> records;
  std::unique_ptr<Side> side;
  std::int32_t valuesInRecords = 0;
  std::int32_t marksInRecords = 0;
  // Where the last Key(i) / ValueAt(i) of `values` and of `searched` was
  // found, so that a walk over i costs constant time per step; forgotten at
  // every change of which records exist or hold a value or mark.
  struct Walk {
    std::int32_t i = -1;
    std::int32_t at = -1;
  };
  mutable Walk valueWalk;
  mutable Walk markWalk;
  void Changed() noexcept {
    valueWalk = Walk();
    markWalk = Walk();
  }

  Side& MakeSide() {
    if (!side) side = std::make_unique<Side>();
    return *side;
  }
  // The side's dictionary, or nullptr while it has nothing.
  template <typename D>
  D* SideOf(D Side::*member) const {
    if (!side) return nullptr;
    D& d = (*side).*member;
    return d.Count() == 0 ? nullptr : &d;
  }

  // The child lookup of the level (the child list itself is the level's):
  // the child at the lowest position under key, or nullptr.
  plistDict* FirstChild(std::string_view key) const {
    if (const Record* r = records.Find(key)) return r->child;
    const auto* children = SideOf(&Side::children);
    return children == nullptr ? nullptr : children->Lookup(key, nullptr);
  }
  // Lists node (nullptr: none) as the first child under key.
  void SetFirstChild(std::string_view key, plistDict* node) {
    if (Record* r = records.Find(key)) {
      r->child = node;
    } else if (node != nullptr) {
      MakeSide().children.SetValue(key, node);
    } else if (side) {
      side->children.Remove(key);
    }
  }
  // Numbers of the further positions under key, ascending; nullptr when the
  // key is listed at most once.
  std::vector<std::uint64_t>* LaterSeqs(std::string_view key) const {
    auto* later = SideOf(&Side::laterSeqs);
    return later == nullptr ? nullptr : later->Find(key);
  }

  const fw::String& TypeName(std::string_view key, const Record& r) const {
    if (r.type != Record::kOtherType) return StandardTypes()[r.type];
    return side->otherTypes.Value(key);
  }
};

template <typename V>
class AttachedView;

// `types`: the type name of every entry. Its order is the table's.
class TypeView {
 public:
  std::int32_t Count() const noexcept { return t_.records.Count(); }
  bool HasKey(std::string_view key) const { return t_.records.HasKey(key); }
  const fw::String* Find(std::string_view key) const {
    const Record* r = t_.records.Find(key);
    return r == nullptr ? nullptr : &t_.TypeName(key, *r);
  }
  const fw::String& Value(std::string_view key) const {
    const fw::String* v = Find(key);
    if (v == nullptr) throw fw::KeyNotFoundException(key);
    return *v;
  }
  fw::String Lookup(std::string_view key, const fw::String& fallback) const {
    const fw::String* v = Find(key);
    return v == nullptr ? fallback : *v;
  }
  const fw::String& Key(std::int32_t i) const { return t_.records.Key(i); }
  const fw::String& ValueAt(std::int32_t i) const {
    return t_.TypeName(t_.records.Key(i), t_.records.ValueAt(i));
  }

  void SetValue(std::string_view key, const fw::String& typeName);
  void Remove(std::string_view key);
  void Clear();

 private:
  friend class ::plistDict;
  template <typename V>
  friend class AttachedView;
  TypeView() = default;
  Table t_;
};

// `values` (V = fw::String) and `searched` (V = bool): a value or mark per
// key, held in the key's record while the key has a type.
template <typename V>
class AttachedView {
 public:
  std::int32_t Count() const noexcept {
    const auto* s = Side();
    return InRecords() + (s == nullptr ? 0 : s->Count());
  }
  bool HasKey(std::string_view key) const { return Find(key) != nullptr; }
  const V* Find(std::string_view key) const { return const_cast<AttachedView*>(this)->Find(key); }
  V* Find(std::string_view key) {
    Table& t = *t_;
    if (Record* r = t.records.Find(key)) return Has(*r) ? &Get(*r) : nullptr;
    auto* s = Side();
    return s == nullptr ? nullptr : s->Find(key);
  }
  const V& Value(std::string_view key) const {
    const V* v = Find(key);
    if (v == nullptr) throw fw::KeyNotFoundException(key);
    return *v;
  }
  V Lookup(std::string_view key, const V& fallback) const {
    const V* v = Find(key);
    return v == nullptr ? fallback : *v;
  }

  void SetValue(std::string_view key, V value) {
    Table& t = *t_;
    if (Record* r = t.records.Find(key)) {
      if (!Has(*r)) {
        r->flags |= Flag();
        ++InRecords();
        t.Changed();
      }
      Get(*r) = std::move(value);
      return;
    }
    (t.MakeSide().*SideMember()).SetValue(key, std::move(value));
  }

  void Remove(std::string_view key) {
    Table& t = *t_;
    if (Record* r = t.records.Find(key)) {
      if (Has(*r)) Drop(*r);
      return;
    }
    if (auto* s = Side()) s->Remove(key);
  }

  void Clear() {
    Table& t = *t_;
    for (std::int32_t i = 0; InRecords() != 0 && i < t.records.Count(); ++i) {
      Record& r = *t.records.Find(t.records.Key(i));
      if (Has(r)) Drop(r);
    }
    if (auto* s = Side()) s->Clear();
  }

  const fw::String& Key(std::int32_t i) const {
    const std::int32_t at = Locate(i);
    if (at >= t_->records.Count()) return Side()->Key(at - t_->records.Count());
    return t_->records.Key(at);
  }
  const V& ValueAt(std::int32_t i) const {
    const std::int32_t at = Locate(i);
    if (at >= t_->records.Count()) return Side()->ValueAt(at - t_->records.Count());
    return Get(const_cast<Record&>(t_->records.ValueAt(at)));
  }

 private:
  friend class ::plistDict;
  explicit AttachedView(TypeView& types) : t_(&types.t_) {}

  static constexpr bool kValues = std::is_same_v<V, fw::String>;
  static std::uint8_t Flag() { return kValues ? Record::kHasValue : Record::kHasMark; }
  static bool Has(const Record& r) { return (r.flags & Flag()) != 0; }
  static V& Get(Record& r) {
    if constexpr (kValues) {
      return r.value;
    } else {
      return r.mark;
    }
  }
  static auto SideMember() {
    if constexpr (kValues) {
      return &Side::values;
    } else {
      return &Side::marks;
    }
  }
  fw::Dictionary<V>* Side() const { return t_->SideOf(SideMember()); }
  std::int32_t& InRecords() const { return kValues ? t_->valuesInRecords : t_->marksInRecords; }
  void Drop(Record& r) {
    r.flags &= static_cast<std::uint8_t>(~Flag());
    Get(r) = V();
    --InRecords();
    t_->Changed();
  }

  // Position in the table of the i-th key of this view; positions from
  // records.Count() on stand for the side's keys. Throws for i outside the
  // view.
  std::int32_t Locate(std::int32_t i) const {
    if (i < 0 || i >= Count()) throw fw::OutOfBoundsException(i);
    const Table& t = *t_;
    const std::int32_t n = t.records.Count();
    const std::int32_t in = InRecords();
    if (i >= in) return n + (i - in);
    if (in == n) return i;
    Table::Walk& walk = kValues ? t.valueWalk : t.markWalk;
    std::int32_t k = -1;
    std::int32_t at = -1;
    if (walk.i <= i) {
      k = walk.i;
      at = walk.at;
    }
    while (k < i) {
      ++at;
      if (Has(t.records.ValueAt(at))) ++k;
    }
    walk = {i, at};
    return at;
  }

  Table* t_;
};

}  // namespace plist_entries
