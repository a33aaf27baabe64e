// A property-list document: the root of one tree and its error state.
//
// What callers may rely on:
// - `root` is the tree's root level, a dict level named "root" whose nodes
//   all refer back to this document. The document owns it and the whole
//   tree; destroying the document releases the tree.
// - `error` and `errorMessage` hold the outcome of the last recorded node
//   operation (see plistDict.h): false and "" when it succeeded or when
//   nothing has been recorded yet.
// - With `debug` on, every error a node records is also shown in a MsgBox.
// - A document is neither copied nor moved: its nodes point back at it.
#pragma once

#include <memory>

#include "framework/core/String.h"
#include "plist/plistDict.h"

class plist {
 public:
  // A new document holding an empty root level and no error.
  plist();
  plist(const plist&) = delete;
  plist& operator=(const plist&) = delete;

  std::unique_ptr<plistDict> root;
  bool error = false;
  fw::String errorMessage;
  bool debug = false;

 protected:
  // Gives this document a fresh, empty root named "root" (the old tree, if
  // any, is released).
  void MakeEmptyRoot();

 public:
  // ---- Value search ----------------------------------------------------------
  // Finds leaves whose value text contains a text (exact, case-sensitive
  // bytes; an empty text is found in every non-empty value), one hit per
  // call, depth-first in each level's key order. Each hit is marked in its
  // level's `searched`, so FindNext does not return it again until the marks
  // are cleared. Each value read clears the error and records its own, so
  // afterwards the error state tells the last read. The walks need no stack
  // depth per tree level.

  // The last hit: its level, key, value text and type name.
  plistDict* foundDict = nullptr;
  fw::String foundKey;
  fw::String foundValue;
  fw::String foundType;

  // Empties the found fields, clears every mark and returns the first hit.
  bool Find(const fw::String& text);
  // The next unmarked hit. A text other than the last Find's clears the marks
  // first (so it returns the first hit each time); the found fields keep the
  // previous hit when nothing more is found.
  bool FindNext(const fw::String& text);
  // Sets the mark of every leaf at and below dict to false; nullptr does
  // nothing.
  void ClearSearch(plistDict* dict);

 private:
  friend struct plistTestPeer;  // lets the store's tests reach ReadStructure

  // One pass over dict and the levels below it that stops at the first
  // unmarked leaf matching text: by value for "valueSearch", by key for
  // "keySearch" (any other mode matches nothing).
  bool ReadStructure(plistDict* dict, const fw::String& text, const fw::String& mode);

  // The text of the last Find.
  fw::String lastSearch;
};
