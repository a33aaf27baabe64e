// One level of a property-list tree: a dict level (entries under text keys)
// or an array level (entries under "0", "1", ... by position).
//
// What callers may rely on:
//
// Entries. Every entry of a level has its type name in `types`: "string",
// "integer", "real", "double", "date", "data", "boolean" for leaves (plus any
// element name a read file used), "dict" and "array" for child levels. A leaf
// keeps its value as text in `values`; a child level keeps none there and is a
// node in the child list instead. `count()` is the number of keys of `types`.
// `types`, `values` and `searched` each behave as a dictionary of their own
// (the calls and exceptions of fw::Dictionary, see plistEntries.h), at
// constant cost per key on average however wide the level; a walk in key
// order, or a lookup of the key just looked up, costs less still. Writing one
// of them directly changes that view only: it makes, moves or releases no
// child node and records no error.
//
// Key order. A level enumerates its keys in the order `types` enumerates
// them: order of first insertion. Replacing a value keeps the key's place.
// Array levels therefore enumerate "0", "1", ... in index order after every
// operation: appends go last, and a removal by index writes each remaining
// element over the key below it in place and deletes only the last key.
//
// Child lookup. `child(key)` and `index(n)` find a child node by key in
// constant time on average, however wide the level. Where one key stands more
// than once in the child list (a file that repeats a key), the child added
// first wins.
//
// Errors. Operations record failures on the owning document (`plist`, fields
// `error` and `errorMessage`) through `SetError`; nothing throws for them.
// Operations that check something clear the error first, so afterwards the
// error tells their own outcome. These leave an earlier error standing:
// navigation (`index`, `child` when it makes nothing), the cursor, `count`,
// `Exists`, `GetType`, `SetData`, removal by key, `GetBoolean` of an existing
// "boolean" entry, the reader, the writer, the dump, the text helpers and
// `AbsolutePath`. A node outside any document (made by the constructor alone)
// drops its errors; its results are the same.
//
// Ownership and lifetime. A node owns its child nodes; `parent` and the
// document link are plain back links, set when the node is made. A node that
// `child` or `index` returns is the tree's own node, not a copy, and stays
// valid as long as its entry stays in the tree. Removing the entry (`Remove`,
// a moving `Move`, `Rename`) or destroying the tree or the document releases
// the node and everything below it at once: a pointer a caller still holds is
// then dangling and must not be used. The tree itself never links to a
// released node, so no call on the tree reaches freed memory. Releasing a
// tree takes stack space independent of its depth. REQUIRES: callers leave
// `parent` as the tree set it: AbsolutePath and Move walk up through it.
//
// Choices made where the behaviour is otherwise open:
// - `GetType` of a key the level lacks returns "".
// - Removal by key of a key the level lacks changes nothing.
// - `CurrentKey` with the cursor before the first key (after `MoveLast` on an
//   empty level) returns "", sets `eof` and puts the cursor at 0, as past the
//   end.
// - `SetDate` and `AppendDate` given no date (std::nullopt) do nothing at
//   all: the level and the error state stay as they were.
// - `child` of a key that holds a leaf records "Child exists: <key> already
//   exists" and returns nullptr.
// - `Remove` counts as an index a Variant that IsNumeric accepts; a numeric
//   value that is not whole becomes an index by fw::ToInt32.
//
// REQUIRES: one thread at a time uses a document and its nodes; nothing is
// locked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/core/Color.h"
#include "framework/core/Controls.h"
#include "framework/core/Date.h"
#include "framework/core/String.h"
#include "framework/core/Variant.h"
#include "plist/plistChildList.h"
#include "plist/plistEntries.h"

namespace fw {
class TextInputStream;
class TextOutputStream;
}  // namespace fw

class plist;

class plistDict {
 public:
  // ---- Fields -------------------------------------------------------------

  // Type name of every entry, leaf or child level; its order is the key order.
  plist_entries::TypeView types;
  // Value text of every leaf entry, by key.
  plist_entries::AttachedView<fw::String> values{types};

 protected:
  // Child nodes of the "dict" and "array" entries at positions 1..n, in order
  // of addition; position 0 is a placeholder (null). Read-only: the child-list
  // helpers below are the only way to change the list.
  plistChildList::NodeView children;

 public:
  // The node's own key in its parent level; "root" for a document's root.
  fw::String name;

 protected:
  // Key of each child node, position for position with `children`; position
  // 0 holds "". Read-only, like `children`.
  plistChildList::KeyView childrenNames;

 public:
  // Index of the element most recently appended to this array level; -1 when
  // there is none (and after SetBoolean / SetColor).
  std::int32_t indexOf = -1;
  bool isArray = false;
  // The level that holds this node; nullptr for a root or a free-standing node.
  plistDict* parent = nullptr;

 protected:
  // The document whose tree holds this node; nullptr for a free-standing node.
  plist* rootClass = nullptr;

 public:
  // The cursor: a position in the key order, from 0, and whether it ran past
  // the last key.
  std::int32_t currentIndex = 0;
  bool eof = false;
  // Search marks: true under a leaf key the value search has reported.
  plist_entries::AttachedView<bool> searched{types};

 private:
  // Working text of AbsolutePath; keeps the last result. Made by the first
  // AbsolutePath, so that a node that is never asked costs no room for it.
  std::unique_ptr<fw::String> path;

 public:
  // ---- Construction -------------------------------------------------------

  // A free-standing, empty dict level: no entries, indexOf -1, no parent,
  // no document.
  plistDict();
  ~plistDict();
  plistDict(const plistDict&) = delete;
  plistDict& operator=(const plistDict&) = delete;

  // ---- Navigation and entry queries ---------------------------------------

  // The child node under key; when the level has no entry under key, first
  // adds an empty dict child there (AddChild). nullptr when key holds a leaf.
  plistDict* child(const fw::String& key);
  // The child node under the decimal text of n, or nullptr. Makes nothing.
  plistDict* index(std::int32_t n);
  // Type name under key; "" when the level lacks the key.
  fw::String GetType(const fw::String& key) const;
  bool Exists(const fw::String& key) const;
  std::int32_t count() const;

  // ---- Cursor over the key order -------------------------------------------
  //
  // MoveFirst puts the cursor on the first key and clears eof; MoveNext
  // steps on, and past the last key goes back to 0 with eof set; MoveLast
  // puts it on the last key. CurrentKey is the key under the cursor (see
  // the choices above for a cursor outside the keys). The cursor is a plain
  // position: adding or removing keys does not move it.

  void MoveFirst();
  void MoveNext();
  void MoveLast();
  fw::String CurrentKey();

  // ---- Typed reads ------------------------------------------------------------
  //
  // A key the level lacks is first stored with the default, through the
  // write of the read's own type (GetValue and GetData store a "string").
  // Then:
  // - GetValue, GetString, GetData return the value text of any leaf, of
  //   whatever type; "" with "Key <key> does not exist" for a key without a
  //   value (a "dict" or "array" entry).
  // - GetInteger (fw::ToInt32 of CDbl of the text), GetDouble and GetReal
  //   (CDbl of the text) read any leaf but a "date", which gives -1 with
  //   "Type Mismatch: <key> is a date"; a "dict" or "array" entry gives 0
  //   with "Illegal Type: <key> is a <type>".
  // - GetBoolean is true when the text is exactly "true"; an entry of
  //   another type than "boolean" gives false with "Type Mismatch".
  // - GetDate reads "<year>-<month>-<day>", optionally followed by
  //   "T<hour>:<minute>:<second>" and "Z"; a text whose date part is no
  //   valid date records "Could not create date object from <key>(<text>)"
  //   and gives fw::Date() (now).

  fw::String GetValue(const fw::String& key, const fw::String& deflt);
  fw::String GetValue(const fw::String& key);
  fw::String GetString(const fw::String& key, const fw::String& deflt);
  fw::String GetString(const fw::String& key);
  fw::String GetData(const fw::String& key, const fw::String& deflt);
  fw::String GetData(const fw::String& key);
  std::int32_t GetInteger(const fw::String& key, std::int32_t deflt);
  std::int32_t GetInteger(const fw::String& key);
  double GetDouble(const fw::String& key, double deflt);
  double GetDouble(const fw::String& key);
  double GetReal(const fw::String& key, double deflt);
  double GetReal(const fw::String& key);
  bool GetBoolean(const fw::String& key, bool deflt);
  bool GetBoolean(const fw::String& key);
  // std::nullopt for a "dict" or "array" entry.
  std::optional<fw::Date> GetDate(const fw::String& key, const fw::Date& deflt);
  std::optional<fw::Date> GetDate(const fw::String& key);

  // ---- Typed writes -----------------------------------------------------------
  //
  // Each but SetData clears the error, then stores a leaf of its type under
  // key: a new key joins the end of the key order; an entry of the same type
  // gets the new text in its place. Either way the key's search mark is
  // false. An entry of another type, leaf or level, stays as it was, with
  // "Type Mismatch: <key> is a <type>" recorded. The texts: SetInteger
  // fw::Format(value, "-#") (rounded half away from zero); SetDouble and
  // SetReal a "real" of fw::Str(value); SetBoolean "true" or "false" (and
  // indexOf becomes -1 in any case); SetDate "<year>-MM-DDThh:mm:ssZ".

  void SetString(const fw::String& key, const fw::String& value);
  void SetInteger(const fw::String& key, double value);
  void SetDouble(const fw::String& key, double value);
  void SetReal(const fw::String& key, double value);
  void SetBoolean(const fw::String& key, bool value);
  void SetDate(const fw::String& key, const std::optional<fw::Date>& value);
  // Stores the text as "data" whatever the entry held; no type check.
  void SetData(const fw::String& key, const fw::String& value);

  // ---- Tree editing -----------------------------------------------------------
  //
  // AddChild and AddArray clear the error and add an empty dict or array
  // level under key at the end of the key order; a key already present
  // changes nothing and records "Child exists: <key> already exists" or
  // "Array exists: <key> already exists" (AddArray then returns false).
  // The Append calls clear the error and, on an array level only, add one
  // element under the next index (count() before the call), setting indexOf
  // to it; on a dict level they change nothing and record "<name> is not an
  // array" (as CheckArray, which says whether this is an array level). An
  // appended dict element has an empty name, an array element its index.
  // Remove of a number needs an array level and an index in 0 .. count() -
  // 1 ("Subscript out of range" otherwise); removal by key clears nothing
  // and, where a key stands more than once, releases the child added last.

  void AddChild(const fw::String& key);
  bool AddArray(const fw::String& key);
  void AppendInteger(std::int32_t value);
  void AppendDict();
  void AppendArray();
  void AppendBoolean(bool value);
  void AppendDouble(double value);
  void AppendString(const fw::String& value);
  void AppendData(const fw::String& value);
  void AppendDate(const std::optional<fw::Date>& value);
  bool CheckArray();
  // A numeric item removes the array element with that number; any other
  // removes the entry under its text.
  void Remove(const fw::Variant& item);

  // ---- Errors ----------------------------------------------------------------

  // Records flag and message on the document; with flag true and the
  // document's debug on, also shows the message in a MsgBox.
  void SetError(bool flag, const fw::String& message);

  // ---- XML reading -----------------------------------------------------------

  // Nesting bound of the reader: the level Load is called on counts as 1.
  // A nested "<dict>" or "<array>" that would open level kMaxDepth + 1
  // refuses the read, as any text that cannot be read exactly does (a
  // "<dict/>" or "<array/>" there opens no level and is read). The reader,
  // the writer, the dump and the release of a tree use no stack per level,
  // so a tree of any depth is safe in them.
  static constexpr std::size_t kMaxDepth = 10000;

  // Initialises this node from the arguments and, with readContents, reads
  // this level and every level nested in it from stream: the level's
  // contents, its end tag, and then the rest of the stream, which may hold
  // only blanks and one "</plist>". A read failure of the stream (fw::IOError)
  // passes to the caller.
  //
  // It reads exactly or refuses. Read: the elements "key", "dict", "array",
  // "<true/>", "<false/>" and the empty pairs "<true></true>",
  // "<false></false>" (type "boolean", value "true" or "false"), "<dict/>",
  // "<array/>" and leaf elements of any other name (the name becomes the
  // entry's type), with blanks allowed before a tag's ">"; blanks and tabs between elements, and
  // control characters at the start of a line outside a text, are layout. Array elements are keyed
  // 0, 1, ... in file order, and after the end tag indexOf is their number. Texts of keys and
  // values are taken whole, over as many lines as they span, every line end inside them read as LF;
  // in "data" the lines are joined with nothing, each without its leading control characters. Every
  // character reference ("&#N;", "&#xN;", of a character XML allows) and the five entities "&lt;"
  // "&gt;" "&amp;" "&quot;" "&apos;" are decoded. A file that ends between elements keeps what was
  // read.
  //
  // Refused, with the node left empty and, when it belongs to a document,
  // the document's load ended in "Not a plist file": text outside a value;
  // comments, processing instructions, CDATA and declarations; attributes;
  // a tag that does not end on its line; any other self-closing leaf; a
  // closing tag other than the level's own or the open text's; a key in an
  // array level, a key without a value, a value without a key, a key
  // repeated in a dict level; "<" in a text; a malformed or unknown
  // reference; anything inside "<true>" or "<false>"; a text still open at
  // the end of the stream; nesting past kMaxDepth; anything after the level
  // but blanks and one "</plist>".
  // REQUIRES: stream is not null when readContents.
  void Load(fw::TextInputStream* stream, const fw::String& name, bool arrayFlag, plistDict* parent,
            plist* document, bool readContents);
  // Decodes every character reference and the five entities, as the reader
  // does; a reference that cannot be decoded stays as written.
  static fw::String CodeToBrackets(const fw::String& text);

  // ---- XML writing and dump ---------------------------------------------------

  // Writes this level's entries, one element per line at indent tabs, nested
  // levels one tab deeper. Values and keys go through BracketsToCode, so every
  // element stands on one line. Write failures show in the stream (see
  // TextOutputStream.h).
  void Write(fw::TextOutputStream& stream, std::int32_t indent);
  // The same, but stops at the first level that would nest deeper than
  // maxDepth, this level counted as 1 (a nested level without entries is one
  // "<dict/>" line and no level), and then returns false: the stream holds
  // part of the tree, which the caller discards. True when all was written.
  bool Write(fw::TextOutputStream& stream, std::int32_t indent, std::size_t maxDepth);
  // Escapes "&" as "&amp;" (first), "<" as "&lt;", ">" as "&gt;", CR as
  // "&#13;" and LF as "&#10;".
  static fw::String BracketsToCode(const fw::String& text);
  // Appends to the clipboard text, in one step, the renderings of this
  // level's nested levels (each after its own nested levels) and then this
  // level's own; every line ends with CR.
  void Dump(std::int32_t indent);

  // ---- Control-state binding ----------------------------------------------------
  //
  // Stored layouts:
  // - A colour is a "string" of six hexadecimal digits, two each for red,
  //   green and blue, written in upper case ("0102FF"). Reading accepts
  //   either case; a text that is not exactly six hexadecimal digits reads as
  //   black, with no error beyond the read's own.
  // - A window is a "dict" holding "windowName" (string) and "WindowPos", a
  //   "dict" of "left", "top", "width", "height" (integers).
  // - A list box or popup menu is a "dict" under Name + "." + Index holding
  //   "default" (the selected row's text) and "elements" (an array: one
  //   string per row, or, for a list box of several columns, one array of
  //   cell strings per row). Storing replaces an old record whole.
  // - A string list is an "array" of strings; an edit field, label, check box
  //   or radio button is one leaf under its Name alone (string, string,
  //   boolean, boolean).
  // Choices where the layouts leave the outcome open:
  // - A get on a control that already holds rows adds the stored rows after
  //   them; cells and the selected row are addressed by element number.
  // - In a list box of several columns the stored default selects the row
  //   whose first cell equals it; a stored one-column element (a string)
  //   fills the first cell of its row.
  // - SetList and AppendList count a negative first as 0.
  // - On a key that holds a leaf, SetWindow, GetWindow, GetListbox and
  //   GetPopup change neither the level nor the control, and GetList gives
  //   the base items only; child's "Child exists: " error stays recorded.

  void SetColor(const fw::String& key, fw::Color colour);
  fw::Color GetColor(const fw::String& key);
  fw::Color GetColor(const fw::String& key, fw::Color deflt);
  void SetWindow(const fw::String& key, const fw::IWindow& window);
  void GetWindow(const fw::String& key, fw::IWindow& window);
  void AppendColor(fw::Color colour);
  void AppendWindow(const fw::IWindow& window);
  void SetListbox(const fw::IListbox& listbox);
  void SetPopup(const fw::IPopupMenu& popup);
  void GetListbox(fw::IListbox& listbox, bool selectDefault);
  void GetPopup(fw::IPopupMenu& popup, bool selectDefault);
  void AppendListbox(const fw::IListbox& listbox);
  void AppendPopup(const fw::IPopupMenu& popup);
  void SetList(const fw::String& key, const std::vector<fw::String>& items, std::int32_t first,
               std::int32_t last);
  void GetList(const fw::String& key, std::vector<fw::String>& items, std::int32_t base);
  void AppendList(const std::vector<fw::String>& items, std::int32_t first, std::int32_t last);
  void SetEditField(const fw::IEditField& field);
  void GetEditField(fw::IEditField& field);
  void GetCheckbox(fw::ICheckBox& checkBox);
  void SetCheckbox(const fw::ICheckBox& checkBox);
  void SetStaticText(const fw::IStaticText& label);
  void GetStaticText(fw::IStaticText& label);
  void SetRadio(const fw::IRadioButton& radio);
  void GetRadio(fw::IRadioButton& radio);

  // ---- Paths, move, copy and rename ------------------------------------------------
  //
  // AbsolutePath: ":root" followed by ":" + name for each level below the
  // root down to this node; the walk up stops at the first ancestor named
  // "root". A node whose ancestors include no level named "root" (a
  // free-standing node, a document's blank root after "Not a plist file",
  // the levels below them) gets ":" + name for each level from its topmost
  // ancestor down: ":" for a nameless free-standing node, "::x" for its child
  // x. It always returns, and leaves the error state alone.
  //
  // Move copies entry key into dest (under newName when not empty; as the
  // next element when dest is an array level) through the typed reads and
  // writes, then, when isMove, removes it here with Remove of the key text.
  // Values arrive in the text their write produces ("real" into an array
  // becomes "double", "double" into a dict becomes "real", integers travel
  // as Int32). Messages, each recorded before anything changes:
  //   "Destination is nil"; "Source does not exist."; "Key " + newName +
  //   " already exists." (Rename);
  //   "Destination lies within the source": the moved entry is a dict or
  //     array level and dest is that level or lies below it;
  //   "Source and destination are the same": dest is this dict level and
  //     the new key is key;
  //   "New name is empty": Rename to "".
  // When a write into the destination fails (a type mismatch, a leaf where a
  // level is to go, or a level already there that is the moved level or
  // lies below it, met while joining levels), what could be written stays
  // written, the source stays in place, and the first failure's message is
  // recorded again at the end, so it is the call's outcome also when later
  // writes cleared it or it went to another document. An entry whose type
  // name is not one of the nine is not copied and stays, with no error. In a
  // dict level a key text that reads as a number cannot be removed (Remove
  // takes it as an element number): the entry then stays here as well, with
  // the " is not an array" error. Levels of any depth are copied without a
  // stack frame per level.

  fw::String AbsolutePath();
  void Move(const fw::String& key, plistDict* dest, bool isMove, const fw::String& newName);
  void Move(const fw::String& key, plistDict* dest);
  void Copy(const fw::String& key, plistDict* dest);
  void Rename(const fw::String& key, const fw::String& newName);

 protected:
  // ---- Checks and text helpers -----------------------------------------------------

  // False, with "Illegal Type: " recorded, for a "dict" or "array" entry;
  // true for any other entry and for a missing key. Does not clear the error.
  bool TypeOK(const fw::String& key);
  // Clears the error; 2 for a new key, 1 for an entry of type typeName, 0 (with
  // "Type Mismatch: " recorded) for an entry of another type.
  std::int32_t CheckType(const fw::String& key, const fw::String& typeName);
  // A date field as two digits: "0" before every number below 10.
  fw::String MakeTwo(std::int32_t number);
  // The text without its leading control characters.
  static fw::String StripAll(const fw::String& text);

  // ---- Child-list helpers (the only way to change `children`) ---------------------
  //
  // They change the child list only: `types` keeps its entries, and a level
  // whose "dict" and "array" entries and child list disagree is the
  // caller's to put right (the reader and the tree edits keep them in step).

  // Lowest position whose key is key; 0 when there is none.
  std::int32_t ChildPosition(const fw::String& key) const;
  // Highest position whose key is key; 0 when there is none.
  std::int32_t LastChildPosition(const fw::String& key) const;
  // Every position whose key is key, in list order (empty when none); costs
  // a binary search per position found, nothing per entry of the level.
  void ChildPositions(const fw::String& key, std::vector<std::int32_t>& positions) const;
  // A new, empty node that belongs to this level's tree: parent this level,
  // document this level's, with the given isArray and name. Not yet listed.
  std::unique_ptr<plistDict> MakeChildNode(bool arrayFlag, const fw::String& childName) const;
  // Appends node under key after the last position; returns the node.
  // REQUIRES: node comes from MakeChildNode of this level.
  plistDict* AppendChildNode(const fw::String& key, std::unique_ptr<plistDict> node);
  // Takes the child at position (1..n) out of the list, closing the gap, and
  // hands it over; the caller owns it (and releases it by dropping it).
  // nullptr, with nothing changed, for any other position.
  std::unique_ptr<plistDict> TakeChildAt(std::int32_t position);
  // Lists the child at position (1..n) under a new key; its name is
  // untouched. Any other position changes nothing.
  void RenameChildAt(std::int32_t position, const fw::String& key);

  // The document (for its error state and search); nullptr when free-standing.
  plist* Document() const { return rootClass; }

 private:
  // ---- Implementation; nothing below is part of the contract ----------------------

  friend class plist;
  friend class plistChildList;  // numbers the nodes it lists (seq_)
  friend class plistXmlReader;
  friend class plistXmlWriter;

  // The reader behind Load, on this initialised node: its contents when
  // open (else the level is already closed, as a "<dict/>" is) and the rest
  // of the stream. A refusal empties the node and tells the document.
  void ReadLevel(fw::TextInputStream& stream, bool open);
  // BracketsToCode of text appended to out.
  static void AppendEncoded(std::string_view text, fw::String& out);

  void BuildPath(plistDict* node, const fw::String& pathSoFar);

  // Helpers of the typed values and tree editing.
  fw::String DateText(const fw::Date& date);
  void StoreLeaf(const fw::String& key, const fw::String& typeName, const fw::String& text);
  void StoreTyped(const fw::String& key, const fw::String& typeName, const fw::String& text);
  // The number under an existing key: 0 for a "dict" or "array" entry and -1
  // for a "date" entry (each recording its error), else CDbl of the text.
  double ReadNumber(const fw::String& key);
  void AppendLeaf(const fw::String& typeName, const fw::String& text);
  void AppendLevel(bool arrayFlag);
  void RemoveByKey(const fw::String& key);
  void RemoveByIndex(std::int32_t n);
  // AddChild / AddArray: the new level, or nullptr (error recorded) when the
  // key is taken.
  plistDict* AddLevel(const fw::String& key, bool arrayFlag);

  // Storage behind `children` / `childrenNames`; its lookup by key lives in
  // `types`' table.
  plistChildList kids_;
  // The number of this node's position in its parent's child list.
  std::uint64_t seq_ = 0;
};
