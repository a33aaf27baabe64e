#include "plist/plistEntries.h"

namespace plist_entries {
namespace {

std::uint8_t CodeOf(std::string_view typeName) {
  const auto& names = StandardTypes();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (fw::TextEquals(names[i], typeName)) return static_cast<std::uint8_t>(i);
  }
  return Record::kOtherType;
}

}  // namespace

void TypeView::SetValue(std::string_view key, const fw::String& typeName) {
  const std::uint8_t code = CodeOf(typeName);
  Record* r = t_.records.Find(key);
  if (r == nullptr) {
    // A new key: what waits at the side under it moves into its record.
    Record fresh;
    if (auto* values = t_.SideOf(&Side::values)) {
      if (fw::String* v = values->Find(key)) {
        fresh.value = std::move(*v);
        fresh.flags |= Record::kHasValue;
        values->Remove(key);
        ++t_.valuesInRecords;
      }
    }
    if (auto* marks = t_.SideOf(&Side::marks)) {
      if (const bool* m = marks->Find(key)) {
        fresh.mark = *m;
        fresh.flags |= Record::kHasMark;
        marks->Remove(key);
        ++t_.marksInRecords;
      }
    }
    if (auto* children = t_.SideOf(&Side::children)) {
      if (plistDict* const* c = children->Find(key)) {
        fresh.child = *c;
        children->Remove(key);
      }
    }
    t_.records.SetValue(key, std::move(fresh));
    t_.Changed();
    r = t_.records.Find(key);
  } else if (r->type == Record::kOtherType && code != Record::kOtherType) {
    t_.side->otherTypes.Remove(key);
  }
  r->type = code;
  if (code == Record::kOtherType) t_.MakeSide().otherTypes.SetValue(key, typeName);
}

void TypeView::Remove(std::string_view key) {
  Record* r = t_.records.Find(key);
  if (r == nullptr) return;
  // The value and mark stay under the key, at the side.
  if ((r->flags & Record::kHasValue) != 0) {
    t_.MakeSide().values.SetValue(key, std::move(r->value));
    --t_.valuesInRecords;
  }
  if ((r->flags & Record::kHasMark) != 0) {
    t_.MakeSide().marks.SetValue(key, r->mark);
    --t_.marksInRecords;
  }
  if (r->child != nullptr) t_.MakeSide().children.SetValue(key, r->child);
  if (r->type == Record::kOtherType) t_.side->otherTypes.Remove(key);
  t_.records.Remove(key);
  t_.Changed();
}

void TypeView::Clear() {
  for (std::int32_t i = 0; i < t_.records.Count(); ++i) {
    const fw::String& key = t_.records.Key(i);
    Record& r = *t_.records.Find(key);
    if ((r.flags & Record::kHasValue) != 0) t_.MakeSide().values.SetValue(key, std::move(r.value));
    if ((r.flags & Record::kHasMark) != 0) t_.MakeSide().marks.SetValue(key, r.mark);
    if (r.child != nullptr) t_.MakeSide().children.SetValue(key, r.child);
  }
  t_.records.Clear();
  if (t_.side) t_.side->otherTypes.Clear();
  t_.valuesInRecords = 0;
  t_.marksInRecords = 0;
  t_.Changed();
}

}  // namespace plist_entries
