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

// Moves what waits at the side under key (a value, a mark, a first child)
// into r, the key's new record.
void TakeWaiting(Table& t, std::string_view key, Record& r) {
  if (auto* values = t.SideOf(&Side::values)) {
    if (fw::String* v = values->Find(key)) {
      r.value = std::move(*v);
      r.flags |= Record::kHasValue;
      values->Remove(key);
      ++t.valuesInRecords;
    }
  }
  if (auto* marks = t.SideOf(&Side::marks)) {
    if (const bool* m = marks->Find(key)) {
      r.mark = *m;
      r.flags |= Record::kHasMark;
      marks->Remove(key);
      ++t.marksInRecords;
    }
  }
  if (auto* children = t.SideOf(&Side::children)) {
    if (plistDict* const* c = children->Find(key)) {
      r.child = *c;
      children->Remove(key);
    }
  }
}

// The reverse, for a record about to go: its value, mark and first child
// stay under key, at the side.
void HandBack(Table& t, std::string_view key, Record& r) {
  if ((r.flags & Record::kHasValue) != 0) {
    t.MakeSide().values.SetValue(key, std::move(r.value));
    --t.valuesInRecords;
  }
  if ((r.flags & Record::kHasMark) != 0) {
    t.MakeSide().marks.SetValue(key, r.mark);
    --t.marksInRecords;
  }
  if (r.child != nullptr) t.MakeSide().children.SetValue(key, r.child);
}

}  // namespace

void TypeView::SetValue(std::string_view key, const fw::String& typeName) {
  const std::uint8_t code = CodeOf(typeName);
  Record* r = t_.records.Find(key);
  if (r == nullptr) {
    Record fresh;
    TakeWaiting(t_, key, fresh);
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
  HandBack(t_, key, *r);
  if (r->type == Record::kOtherType) t_.side->otherTypes.Remove(key);
  t_.records.Remove(key);
  t_.Changed();
}

void TypeView::Clear() {
  for (std::int32_t i = 0; i < t_.records.Count(); ++i) {
    const fw::String& key = t_.records.Key(i);
    HandBack(t_, key, *t_.records.Find(key));
  }
  t_.records.Clear();
  if (t_.side) t_.side->otherTypes.Clear();
  t_.Changed();
}

}  // namespace plist_entries
