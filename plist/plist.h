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
};
