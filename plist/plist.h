// A property-list document: the root of one tree, bound to a file, and its
// error state.
//
// What callers may rely on:
// - `root` is never null. After a load it is the tree's root level, a dict
//   level named "root" whose nodes all refer back to this document; the
//   document owns it and the whole tree; destroying the document releases
//   the tree (it never deletes files).
// - `error` and `errorMessage` hold the outcome of the last recorded node
//   operation (see plistDict.h), or of the document's own load and save,
//   which only ever set them (never clear them) with exactly these texts:
//     "Not a plist file"                no line of the file is exactly "<dict>"
//                                       or "<dict/>", the lines before it are
//                                       not a readable header (below), or the
//                                       reader refused the rest (see
//                                       plistDict::Load; also a file nested
//                                       deeper than plistDict::kMaxDepth); the
//                                       root is then a blank node (also: the
//                                       file, or its temporary copy, cannot be
//                                       opened or made)
//     <absolute path> + " does not exist"  neither file nor fallback exists
//     "Could not open file for saving"  Save wrote nothing (see below), or
//                                       could not write the whole file, or
//                                       could not convert it back to the
//                                       binary form and replace the source
//   A load or save that succeeds leaves them as they were.
// - A save never makes a file unreadable. Save writes nothing, leaves the
//   path as it was (a link stays a link) and records "Could not open file
//   for saving" when:
//     - the load ended in "Not a plist file" for a file that holds text, or
//       for a file that could not be read (no permission, a link to nowhere,
//       a folder, a FIFO, a device: opening never waits);
//     - the file to write, or the binary source, is there but is not a
//       regular file or a link to one, or is read-only (no write permission
//       bit, or the process may not write it; see FolderItem.h);
//     - the tree nests deeper than the reader follows (plistDict::kMaxDepth):
//       the writer stops and the temporary file is dropped.
//   A missing file, and a file that holds nothing but line ends, become a
//   new document. Through a link to a regular file the file it leads to is
//   replaced and the link stays.
// - With `debug` on, every error a node records is also shown in a MsgBox;
//   the document's own errors never are.
// - Loading an XML file reads it directly; `headers` keeps every line before
//   the tree up to and including the first line that is exactly "<dict>",
//   and Save writes them back byte for byte, then the tree (one element per
//   line, see plistDict::Write), then "</dict>" and "</plist>". The lines
//   before the root must be a readable header (plistHeader.h): the XML
//   declaration (first in the file, a UTF-8 byte-order mark allowed before
//   it), a DOCTYPE without an internal subset and the "<plist>" tag, which
//   must be there, in that order, each whole on its line; comments and
//   processing instructions, each alone on its lines; blanks and blank
//   lines. The store reads and writes UTF-8 only: a declaration that names
//   any other encoding refuses the load. An empty root line "<dict/>" reads
//   as an empty root and is kept in `headers` as "<dict>", so that a save
//   writes the opening, the entries and "</dict>". A missing
//   file gives an empty root and the four header lines of a new document.
//   A text file with no text in it (empty, or empty lines only) ends in "Not
//   a plist file" but takes the four header lines of a new document too, and
//   its save makes a file the next load reads.
// - A binary file (first line beginning with "bplist") is read through a copy
//   named "<name> temp" in its folder, converted by running exactly
//   "plutil -convert xml1 " + ShellPath of the copy through fw::Shell. Save
//   writes that copy, runs "plutil -convert binary1 " + its ShellPath, and
//   replaces the source with it atomically, but only when the copy was
//   written, the conversion succeeded and the copy really is binary:
//   otherwise the binary source is left untouched. The copy stays until
//   Cleanup(). A binary file whose name is longer than 250 bytes leaves no
//   room for the copy's name: its load ends in "Not a plist file" and the
//   file stays as it was.
// - Every file is replaced atomically (see TextOutputStream.h): the save
//   writes a temporary file beside it and renames it over the file. The file
//   keeps its permission bits, and its owner and group where the process may
//   set them (root always; otherwise the saved file is the process's own, as
//   before); through a link the file it leads to is replaced and the link
//   stays; any name the file system allows (up to 255 bytes) saves. A save
//   that fails part way (a full disk, the process's file-size limit, any
//   failed write, sync or rename) records "Could not open file for saving",
//   and leaves the file as it was and no temporary file beside it.
// - A read failure of the operating system while loading (fw::IOError)
//   passes to the caller.
// - A document is neither copied nor moved: its nodes point back at it.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "framework/core/FolderItem.h"
#include "framework/core/String.h"
#include "plist/plistDict.h"

class plist {
 public:
  // A new document holding an empty root level, no file and no error.
  plist();
  // Loads file, or fallback when file does not exist (see Load).
  plist(const fw::FolderItem& file, const fw::FolderItem& fallback);
  // Loads file; the file is its own fallback.
  explicit plist(const fw::FolderItem& file);
  plist(const plist&) = delete;
  plist& operator=(const plist&) = delete;

  std::unique_ptr<plistDict> root;
  bool error = false;
  fw::String errorMessage;
  // The file Save writes: the file given to Load, or the " temp" copy of a
  // binary source. Empty only for a document made by plist().
  std::optional<fw::FolderItem> savePath;

 protected:
  // The lines before the tree, in file order; written back by Save.
  std::vector<fw::String> headers;

 public:
  bool isBinary = false;
  // The binary source that Save replaces; set only when isBinary.
  std::optional<fw::FolderItem> org;
  bool debug = false;

  // Reads file, or fallback when file does not exist, into a new root.
  // Every Load starts afresh: the header lines, isBinary, org, savePath, the
  // error state and the search's found fields all come from this load (the
  // error state is cleared first), as on a new document; debug is kept. The
  // temporary copy of an earlier binary source is deleted first (Cleanup()).
  void Load(const fw::FolderItem& file, const fw::FolderItem& fallback);
  // Writes the document to savePath (and back to binary, see above), then
  // Cleanup() when cleanup is true.
  void Save(bool cleanup);
  void Save();
  // For a binary source, deletes the temporary copy (savePath keeps naming
  // it; a later Save makes it again). Otherwise does nothing.
  void Cleanup();
  // Replaces the clipboard text by the header lines, the root's dump
  // (plistDict::Dump at indent 1), "</dict>" and "</plist>"; every line
  // ends with CR.
  void Dump();

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

  // Loading and saving.
  void StartAfresh();
  void LoadSource(const fw::FolderItem& source);
  std::unique_ptr<fw::TextInputStream> OpenBinarySource(const fw::FolderItem& source);
  void NotAPlist();
  // Appends the four header lines of a new document.
  void UseNewHeaders();
  bool MaySave() const;
  bool WriteFile();
  bool ReplaceBinarySource();

  bool notAPlist_ = false;  // the last load ended in "Not a plist file"
  // The last load could not read a file that held text (it ended in "Not a
  // plist file"), so Save leaves the file as it was.
  bool keepFile_ = false;
  friend class plistDict;  // its reader records a refusal
};
