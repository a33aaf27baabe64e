// Growing and shrinking levels: get-or-create children, named children,
// array appends and removal.
#include "framework/core/Date.h"
#include "framework/core/Number.h"
#include "framework/core/Text.h"
#include "framework/core/Variant.h"
#include "plist/plistDict.h"

namespace {

bool IsLevelType(const fw::String& typeName) { return typeName == "dict" || typeName == "array"; }

}  // namespace

// ---- Named children -----------------------------------------------------------

plistDict* plistDict::child(const fw::String& key) {
  if (plistDict* found = kids_.First(types.t_, key)) return found;
  return AddLevel(key, false);  // nullptr when the key holds a leaf
}

plistDict* plistDict::AddLevel(const fw::String& key, bool arrayFlag) {
  SetError(false, "");
  if (types.HasKey(key)) {
    SetError(true, (arrayFlag ? "Array exists: " : "Child exists: ") + key + " already exists");
    return nullptr;
  }
  types.SetValue(key, arrayFlag ? "array" : "dict");
  plistDict* node = AppendChildNode(key, MakeChildNode(arrayFlag, key));
  searched.SetValue(key, false);
  return node;
}

void plistDict::AddChild(const fw::String& key) { AddLevel(key, false); }

bool plistDict::AddArray(const fw::String& key) { return AddLevel(key, true) != nullptr; }

// ---- Appending to an array level ---------------------------------------------

bool plistDict::CheckArray() {
  SetError(false, "");
  if (isArray) return true;
  SetError(true, name + " is not an array");
  return false;
}

void plistDict::AppendLeaf(const fw::String& typeName, const fw::String& text) {
  if (!CheckArray()) return;
  indexOf = count();
  const fw::String k = fw::Str(indexOf);
  types.SetValue(k, typeName);
  values.SetValue(k, text);
}

void plistDict::AppendLevel(bool arrayFlag) {
  if (!CheckArray()) return;
  indexOf = count();
  const fw::String k = fw::Str(indexOf);
  types.SetValue(k, arrayFlag ? "array" : "dict");
  // A dict element keeps an empty name; an array element is named by its key.
  AppendChildNode(k, MakeChildNode(arrayFlag, arrayFlag ? k : fw::String()));
}

void plistDict::AppendInteger(std::int32_t value) { AppendLeaf("integer", fw::Str(value)); }

void plistDict::AppendDict() { AppendLevel(false); }

void plistDict::AppendArray() { AppendLevel(true); }

void plistDict::AppendBoolean(bool value) { AppendLeaf("boolean", value ? "true" : "false"); }

void plistDict::AppendDouble(double value) { AppendLeaf("double", fw::Str(value)); }

void plistDict::AppendString(const fw::String& value) { AppendLeaf("string", value); }

void plistDict::AppendData(const fw::String& value) { AppendLeaf("data", value); }

void plistDict::AppendDate(const std::optional<fw::Date>& value) {
  if (!value) return;
  if (!CheckArray()) return;
  indexOf = count();
  const fw::String k = fw::Str(indexOf);
  types.SetValue(k, "date");
  values.SetValue(k, DateText(*value));
}

// ---- Removal ---------------------------------------------------------------------

void plistDict::Remove(const fw::Variant& item) {
  if (fw::IsNumeric(item)) {
    RemoveByIndex(item.Int32Value());
  } else {
    RemoveByKey(item.StringValue());
  }
}

void plistDict::RemoveByKey(const fw::String& key) {
  if (!types.HasKey(key)) return;
  values.Remove(key);
  types.Remove(key);
  // With a repeated key the child added last goes; the returned owner
  // releases it and its subtree here.
  if (const std::int32_t p = LastChildPosition(key); p != 0) TakeChildAt(p);
}

void plistDict::RemoveByIndex(std::int32_t n) {
  if (!CheckArray()) return;
  if (n < 0 || n > count() - 1) {
    SetError(true, "Subscript out of range");
    return;
  }
  const std::int32_t last = count() - 1;
  if (IsLevelType(GetType(fw::Str(n)))) {
    if (const std::int32_t p = LastChildPosition(fw::Str(n)); p != 0) TakeChildAt(p);
  }
  // Each later element is written over the key below it, in place, so the
  // keys that remain keep their places in the key order.
  for (std::int32_t i = n + 1; i <= last; ++i) {
    const fw::String from = fw::Str(i);
    const fw::String to = fw::Str(i - 1);
    const fw::String* typeName = types.Find(from);
    if (typeName == nullptr) {  // a gap in the numbering: nothing moves down
      types.Remove(to);
      values.Remove(to);
      continue;
    }
    const fw::String t = *typeName;
    types.SetValue(to, t);
    if (!IsLevelType(t)) {
      if (const fw::String* text = values.Find(from)) {
        values.SetValue(to, fw::String(*text));
      } else {
        values.Remove(to);
      }
      continue;
    }
    values.Remove(to);
    if (const std::int32_t p = ChildPosition(from); p != 0) {
      RenameChildAt(p, to);
      plistDict* node = children[static_cast<std::size_t>(p)].get();
      if (node->name == from) node->name = to;
    }
  }
  types.Remove(fw::Str(last));
  values.Remove(fw::Str(last));
}
