// The node itself: construction and release, child lookup, entry queries,
// the cursor and error recording.
#include "plist/plistDict.h"

#include <utility>
#include <vector>

#include "framework/core/MsgBox.h"
#include "framework/core/Text.h"
#include "plist/plist.h"

plistDict::plistDict() = default;

// Releases the subtree without recursion: every node's children are moved
// onto one work list before the node itself goes, so each node is destroyed
// with an empty child list, whatever the depth of the tree.
plistDict::~plistDict() {
  std::vector<std::unique_ptr<plistDict>> pending;
  kids_.MoveNodesTo(pending);
  while (!pending.empty()) {
    std::unique_ptr<plistDict> node = std::move(pending.back());
    pending.pop_back();
    node->kids_.MoveNodesTo(pending);
  }
}

// ---- Child list -------------------------------------------------------------

std::int32_t plistDict::ChildPosition(const fw::String& key) const {
  return kids_.Position(types.t_, key);
}

std::int32_t plistDict::LastChildPosition(const fw::String& key) const {
  return kids_.LastPosition(types.t_, key);
}

void plistDict::ChildPositions(const fw::String& key, std::vector<std::int32_t>& positions) const {
  kids_.Positions(types.t_, key, positions);
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
  plistDict* added = kids_.Append(types.t_, key, std::move(node));
  // The views show the list's own storage from its first child on.
  children.Show(kids_);
  childrenNames.Show(kids_);
  return added;
}

std::unique_ptr<plistDict> plistDict::TakeChildAt(std::int32_t position) {
  return kids_.Take(types.t_, position);
}

void plistDict::RenameChildAt(std::int32_t position, const fw::String& key) {
  kids_.Rename(types.t_, position, key);
}

// ---- Navigation and queries -------------------------------------------------

plistDict* plistDict::index(std::int32_t n) { return kids_.First(types.t_, fw::Str(n)); }

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
