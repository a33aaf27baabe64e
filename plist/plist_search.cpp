// The document's value search: one hit at a time, depth-first in key order.
//
// The walks keep their place in each level's own cursor, so they need no
// stack frame per level and a deep tree cannot exhaust the call stack.
#include <vector>

#include "framework/core/Text.h"
#include "plist/plist.h"
#include "plist/plistDict.h"

namespace {

bool IsLevel(const fw::String& type) {
  return fw::TextEquals(type, "dict") || fw::TextEquals(type, "array");
}

bool Contains(const fw::String& haystack, const fw::String& needle) {
  return fw::InStr(haystack, needle) > 0;
}

// Walks every key of level and the levels below it, depth-first in key
// order: visit(node, key, type) is called for each leaf and returns true to
// stop the walk there, leaving each cursor on the path at its key.
template <typename Visit>
bool Walk(plistDict* level, Visit&& visit) {
  std::vector<plistDict*> stack;
  auto enter = [&stack](plistDict* node) {
    if (node == nullptr || node->count() == 0) return;
    node->MoveFirst();
    stack.push_back(node);
  };
  enter(level);
  while (!stack.empty()) {
    plistDict* node = stack.back();
    const fw::String key = node->CurrentKey();
    if (node->eof) {  // this level is done: go on in the one above
      stack.pop_back();
      if (!stack.empty()) stack.back()->MoveNext();
      continue;
    }
    const fw::String type = node->GetType(key);
    if (IsLevel(type)) {
      plistDict* below = node->child(key);
      const std::size_t depth = stack.size();
      enter(below);
      if (stack.size() > depth) continue;  // walk the level below first
    } else if (visit(*node, key, type)) {
      return true;
    }
    node->MoveNext();
  }
  return false;
}

}  // namespace

bool plist::Find(const fw::String& text) {
  foundDict = nullptr;
  foundKey.clear();
  foundValue.clear();
  foundType.clear();
  ClearSearch(root.get());
  lastSearch = text;
  return ReadStructure(root.get(), text, "valueSearch");
}

bool plist::FindNext(const fw::String& text) {
  if (!fw::TextEquals(text, lastSearch)) ClearSearch(root.get());
  return ReadStructure(root.get(), text, "valueSearch");
}

void plist::ClearSearch(plistDict* dict) {
  Walk(dict, [](plistDict& node, const fw::String& key, const fw::String&) {
    node.searched.SetValue(key, false);
    return false;
  });
}

bool plist::ReadStructure(plistDict* dict, const fw::String& text, const fw::String& mode) {
  const bool byValue = fw::TextEquals(mode, "valueSearch");
  const bool byKey = fw::TextEquals(mode, "keySearch");
  return Walk(dict, [&](plistDict& node, const fw::String& key, const fw::String& type) {
    const fw::String value = node.GetValue(key);
    const bool match = (byValue && Contains(value, text)) || (byKey && Contains(key, text));
    if (!match || node.searched.Lookup(key, false)) return false;
    foundDict = &node;
    foundKey = key;
    foundType = type;
    foundValue = value;
    node.searched.SetValue(key, true);
    return true;
  });
}
