// A level's path, and moving, copying and renaming entries between levels.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/core/Date.h"
#include "framework/core/FolderItem.h"
#include "framework/core/MsgBox.h"
#include "framework/core/ScopedHook.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "tests/store/support/StoreFixture.h"
#include "tests/store/support/TreeText.h"
#include "tests/store/support/XmlTree.h"
#include "tests/support/TempFolder.h"

namespace {

using treetext::Render;

class Paths : public ::testing::Test {
 protected:
  plist doc;
  plistDict& root = *doc.root;

  plistDict& Dict(plistDict& level, const fw::String& key) {
    level.AddChild(key);
    return *level.child(key);
  }
  plistDict& Array(plistDict& level, const fw::String& key) {
    level.AddArray(key);
    return *level.child(key);
  }
  void ExpectError(const fw::String& message) { storetest::ExpectError(doc, message); }
  void ExpectNoError() { storetest::ExpectNoError(doc); }
};

// ---- AbsolutePath ------------------------------------------------------------------

TEST_F(Paths, AbsolutePathNamesEachLevelBelowTheRoot) {
  plistDict& a = Dict(root, "A");
  plistDict& b = Dict(a, "B");
  plistDict& arr = Array(a, "arr");
  arr.AppendDict();
  arr.AppendArray();
  plistDict& hidden = Dict(b, "root");
  plistDict& c = Dict(hidden, "C");
  struct Case {
    plistDict* node;
    const char* path;
  };
  const Case cases[] = {
      {&root, ":root"},
      {&a, ":root:A"},
      {&b, ":root:A:B"},
      {&arr, ":root:A:arr"},
      {arr.index(0), ":root:A:arr:"},  // AppendDict: empty name
      {arr.index(1), ":root:A:arr:1"},
      {&c, ":root:C"},  // a level named "root" hides the levels above it
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.path);
    doc.error = true;
    doc.errorMessage = "earlier";
    ASSERT_NE(k.node, nullptr);
    EXPECT_EQ(k.node->AbsolutePath(), k.path);
    EXPECT_EQ(k.node->AbsolutePath(), k.path);  // the same again
    EXPECT_TRUE(doc.error);                     // leaves the error alone
    EXPECT_EQ(doc.errorMessage, "earlier");
  }
}

TEST_F(Paths, AbsolutePathOutsideARootedTreeStartsAtTheTopmostLevel) {
  plistDict loose;
  plistDict& x = Dict(loose, "x");
  plistDict& y = Dict(x, "y");
  plistDict named;
  named.name = "top";
  plistDict& z = Dict(named, "z");
  struct Case {
    plistDict* node;
    const char* path;
  };
  const Case cases[] = {
      {&loose, ":"}, {&x, "::x"}, {&y, "::x:y"}, {&named, ":top"}, {&z, ":top:z"}};
  for (const Case& k : cases) EXPECT_EQ(k.node->AbsolutePath(), k.path);
}

// ---- Copying leaves -----------------------------------------------------------------

struct LeafCase {
  const char* name;
  std::function<void(plistDict& src)> make;  // makes the entry "k" in a dict level
  const char* dictType;                      // as copied into a dict level
  const char* arrayType;                     // as appended to an array level
  const char* text;
};

const LeafCase kLeafCases[] = {
    {"string", [](plistDict& s) { s.SetString("k", "text <&>"); }, "string", "string", "text <&>"},
    {"boolean", [](plistDict& s) { s.SetBoolean("k", true); }, "boolean", "boolean", "true"},
    {"false", [](plistDict& s) { s.SetBoolean("k", false); }, "boolean", "boolean", "false"},
    {"real", [](plistDict& s) { s.SetReal("k", 1.5); }, "real", "double", "1.5"},
    {"double",
     [](plistDict& s) {
       s.types.SetValue("k", "double");
       s.values.SetValue("k", "-2.25");
     },
     "real", "double", "-2.25"},
    {"integer", [](plistDict& s) { s.SetInteger("k", -42); }, "integer", "integer", "-42"},
    {"fraction",
     [](plistDict& s) {
       s.types.SetValue("k", "integer");
       s.values.SetValue("k", "7.9");
     },
     "integer", "integer", "7"},
    {"data", [](plistDict& s) { s.SetData("k", "QUJD"); }, "data", "data", "QUJD"},
    {"date", [](plistDict& s) { s.SetDate("k", fw::Date(2010, 3, 5, 9, 7, 30)); }, "date", "date",
     "2010-03-05T09:07:30Z"},
};

TEST_F(Paths, CopyOfALeafIntoADictLevelKeepsTheKeyAndTheSource) {
  for (const LeafCase& c : kLeafCases) {
    SCOPED_TRACE(c.name);
    plist other;
    c.make(root);
    root.Copy("k", other.root.get());
    ExpectNoError();
    EXPECT_EQ(other.root->GetType("k"), c.dictType);
    EXPECT_EQ(other.root->values.Value("k"), c.text);
    EXPECT_FALSE(other.root->searched.Value("k"));
    EXPECT_TRUE(root.Exists("k"));
    root.types.Remove("k");
    root.values.Remove("k");
  }
}

TEST_F(Paths, CopyOfALeafIntoAnArrayLevelAppendsOneElement) {
  for (const LeafCase& c : kLeafCases) {
    SCOPED_TRACE(c.name);
    plist other;
    plistDict& dest = Array(*other.root, "a");
    dest.AppendString("first");
    c.make(root);
    root.Copy("k", &dest);
    EXPECT_EQ(dest.count(), 2);
    EXPECT_EQ(dest.indexOf, 1);
    EXPECT_EQ(dest.GetType("1"), c.arrayType);
    EXPECT_EQ(dest.values.Value("1"), c.text);
    EXPECT_FALSE(dest.Exists("k"));
    root.types.Remove("k");
    root.values.Remove("k");
  }
}

TEST_F(Paths, MoveOfALeafRemovesTheSource) {
  root.SetString("k", "v");
  root.SetString("after", "stays");
  plistDict& dest = Dict(root, "dest");
  root.Move("k", &dest);
  ExpectNoError();
  EXPECT_FALSE(root.Exists("k"));
  EXPECT_EQ(dest.GetString("k"), "v");
  EXPECT_EQ(root.GetString("after"), "stays");
}

TEST_F(Paths, MoveUnderANewNameInADictLevel) {
  root.SetInteger("k", 3);
  plistDict& dest = Dict(root, "dest");
  root.Move("k", &dest, true, "renamed");
  EXPECT_FALSE(root.Exists("k"));
  EXPECT_FALSE(dest.Exists("k"));
  EXPECT_EQ(dest.GetType("renamed"), "integer");
  EXPECT_EQ(dest.values.Value("renamed"), "3");
}

// ---- Copying levels ---------------------------------------------------------------------

TEST_F(Paths, CopyOfADeepMixedLevelGivesTheSameTree) {
  plistDict& src = Dict(root, "src");
  src.SetString("s", "x");
  plistDict& arr = Array(src, "arr");
  arr.AppendInteger(1);
  arr.AppendArray();
  arr.index(1)->AppendString("inner");
  arr.index(1)->AppendArray();
  arr.AppendDict();
  arr.index(2)->SetBoolean("flag", false);
  Dict(src, "empty dict");
  Array(src, "empty array");
  plistDict& dest = Dict(root, "dest");
  root.Copy("src", &dest);
  ExpectNoError();
  ASSERT_EQ(dest.GetType("src"), "dict");
  EXPECT_EQ(Render(*dest.child("src")), Render(src));
  EXPECT_TRUE(dest.child("src")->child("arr")->isArray);
  EXPECT_TRUE(dest.child("src")->child("arr")->index(1)->index(1)->isArray);
  EXPECT_FALSE(dest.child("src")->child("arr")->index(2)->isArray);
  EXPECT_EQ(dest.child("src")->child("arr")->index(1)->name, "1");
  EXPECT_EQ(dest.child("src")->child("arr")->index(2)->name, "");
  EXPECT_TRUE(root.Exists("src"));
}

TEST_F(Paths, CopyOfAnEmptyLevelGivesAnEmptyLevelOfTheSameType) {
  Dict(root, "d");
  Array(root, "a");
  plistDict& dest = Dict(root, "dest");
  for (const char* key : {"d", "a"}) {
    SCOPED_TRACE(key);
    root.SetError(true, "earlier");
    root.Copy(key, &dest);
    ExpectNoError();
    EXPECT_EQ(dest.GetType(key), root.GetType(key));
    EXPECT_EQ(dest.child(key)->count(), 0);
    EXPECT_EQ(dest.child(key)->isArray, root.child(key)->isArray);
  }
}

TEST_F(Paths, CopyOfALevelIntoAnArrayArrivesAsOneElement) {
  plistDict& src = Dict(root, "src");
  src.SetString("a", "1");
  src.SetString("b", "2");
  plistDict& dest = Array(root, "dest");
  dest.AppendString("zero");
  root.Copy("src", &dest);
  EXPECT_EQ(dest.count(), 2);
  ASSERT_EQ(dest.GetType("1"), "dict");
  EXPECT_EQ(Render(*dest.index(1)), "a string 1\nb string 2\n");
}

TEST_F(Paths, CopyOfALevelOntoAnExistingLevelJoinsItsEntries) {
  plistDict& src = Dict(root, "src");
  src.SetString("new", "n");
  src.SetString("same", "from src");
  plistDict& dest = Dict(root, "dest");
  plistDict& there = Dict(dest, "src");
  there.SetString("own", "o");
  there.SetString("same", "old");
  root.Copy("src", &dest);
  ExpectNoError();
  EXPECT_EQ(Render(there), "own string o\nsame string from src\nnew string n\n");
}

// ---- Moving out of arrays and renaming ------------------------------------------------------

TEST_F(Paths, MoveOfAnArrayElementShiftsTheLaterElementsDown) {
  plistDict& src = Array(root, "src");
  src.AppendString("a");
  src.AppendString("b");
  src.AppendString("c");
  struct Case {
    const char* name;
    bool toArray;
    const char* newName;
    const char* destKey;
  };
  const Case cases[] = {{"array", true, "", "0"},
                        {"dict, no name", false, "", "1"},
                        {"dict, new name", false, "bee", "bee"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plist other;
    plistDict& dest = c.toArray ? Array(*other.root, "d") : *other.root;
    root.child("src")->Move("1", &dest, true, c.newName);
    ExpectNoError();
    EXPECT_EQ(dest.GetString(c.destKey), "b");
    EXPECT_EQ(Render(src), "0 string a\n1 string c\n");
    src.Remove(fw::Variant(1));
    src.AppendString("b");
    src.AppendString("c");
  }
}

TEST_F(Paths, RenameInADictLevelKeepsTypeValueAndEntries) {
  root.SetReal("r", 2.5);
  plistDict& d = Dict(root, "d");
  d.SetString("inner", "x");
  Array(d, "list").AppendInteger(9);
  const std::string before = Render(d);
  root.Rename("r", "real");
  ExpectNoError();
  EXPECT_FALSE(root.Exists("r"));
  EXPECT_EQ(root.GetType("real"), "real");
  EXPECT_EQ(root.values.Value("real"), "2.5");
  root.Rename("d", "dict");
  ExpectNoError();
  EXPECT_FALSE(root.Exists("d"));
  ASSERT_EQ(root.GetType("dict"), "dict");
  EXPECT_EQ(Render(*root.child("dict")), before);
  EXPECT_EQ(root.child("dict")->name, "dict");
}

TEST_F(Paths, RenameInAnArrayLevelMovesTheElementToTheEnd) {
  plistDict& a = Array(root, "a");
  a.AppendString("x");
  a.AppendString("y");
  a.AppendString("z");
  a.Rename("0", "whatever");
  ExpectNoError();
  EXPECT_EQ(Render(a), "0 string y\n1 string z\n2 string x\n");
}

// ---- Messages and refusals -----------------------------------------------------------------

TEST_F(Paths, RefusedCallsRecordTheirMessageAndChangeNothing) {
  root.SetString("k", "v");
  root.SetInteger("n", 1);
  plistDict& lvl = Dict(root, "lvl");
  plistDict& inner = Dict(lvl, "inner");
  plistDict& deep = Dict(inner, "deep");
  lvl.SetString("leaf", "l");
  plistDict& arr = Array(root, "arr");
  arr.AppendString("e");
  struct Case {
    const char* name;
    std::function<void()> call;
    const char* message;
  };
  const Case cases[] = {
      {"move to nil", [&] { root.Move("k", nullptr); }, "Destination is nil"},
      {"copy to nil", [&] { root.Copy("k", nullptr); }, "Destination is nil"},
      {"missing source", [&] { root.Move("nope", &lvl); }, "Source does not exist."},
      {"rename missing", [&] { root.Rename("nope", "other"); }, "Source does not exist."},
      {"rename onto existing", [&] { root.Rename("k", "n"); }, "Key n already exists."},
      {"rename onto itself", [&] { root.Rename("k", "k"); }, "Key k already exists."},
      {"rename to empty", [&] { root.Rename("k", ""); }, "New name is empty"},
      {"rename element to empty", [&] { arr.Rename("0", ""); }, "New name is empty"},
      {"move into itself", [&] { root.Move("lvl", &lvl); }, "Destination lies within the source"},
      {"copy into itself", [&] { root.Copy("lvl", &lvl); }, "Destination lies within the source"},
      {"move below itself", [&] { root.Move("lvl", &deep); }, "Destination lies within the source"},
      {"rename level onto itself", [&] { root.Move("lvl", &root, true, "lvl"); },
       "Source and destination are the same"},
      {"move leaf onto itself", [&] { root.Move("k", &root); },
       "Source and destination are the same"},
      {"copy leaf onto itself", [&] { root.Copy("k", &root); },
       "Source and destination are the same"},
      {"same name given", [&] { root.Move("k", &root, false, "k"); },
       "Source and destination are the same"},
      {"copy array onto itself", [&] { root.Copy("arr", &root); },
       "Source and destination are the same"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string before = Render(root);
    c.call();
    ExpectError(c.message);
    EXPECT_EQ(Render(root), before);
  }
}

TEST_F(Paths, MoveWhoseWriteFailsLeavesTheSource) {
  plist other;
  plistDict& dest = *other.root;
  dest.SetInteger("k", 5);
  dest.SetString("lvl", "a leaf");
  root.SetString("k", "v");
  plistDict& lvl = Dict(root, "lvl");
  lvl.SetString("x", "y");
  struct Case {
    const char* key;
    const char* message;
  };
  const Case cases[] = {{"k", "Type Mismatch: k is a integer"},
                        {"lvl", "Child exists: lvl already exists"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const std::string src = Render(root);
    const std::string dst = Render(dest);
    root.Move(c.key, &dest);
    EXPECT_EQ(Render(root), src);
    EXPECT_EQ(Render(dest), dst);
    EXPECT_TRUE(other.error);
    EXPECT_EQ(other.errorMessage, c.message);
    ExpectError(c.message);  // also on the source's document
  }
}

TEST_F(Paths, MoveWhoseNestedWriteFailsLeavesTheSourceAndReportsTheFailure) {
  plistDict& src = Dict(root, "src");
  src.SetString("clash", "text");
  src.SetString("fine", "f");
  plistDict& dest = Dict(root, "dest");
  Dict(dest, "src").SetInteger("clash", 1);
  root.Move("src", &dest);
  ExpectError("Type Mismatch: clash is a integer");
  ASSERT_TRUE(root.Exists("src"));
  EXPECT_EQ(Render(src), "clash string text\nfine string f\n");
  EXPECT_EQ(dest.child("src")->GetType("clash"), "integer");
}

TEST_F(Paths, WithDebugOnEachRefusalOrFailedWriteShowsItsMessageOnce) {
  std::vector<fw::String> shown;
  fw::ScopedHook<fw::SetMsgBoxHook> guard([&](const fw::String& text) { shown.push_back(text); });
  doc.debug = true;
  root.SetString("k", "v");
  root.SetInteger("n", 1);
  plistDict& lvl = Dict(root, "lvl");
  root.Move("k", nullptr);
  root.Copy("lvl", &lvl);
  root.Rename("k", "");
  lvl.SetInteger("k", 2);
  root.Move("k", &lvl);  // a type mismatch in the same document
  EXPECT_EQ(shown,
            (std::vector<fw::String>{"Destination is nil", "Destination lies within the source",
                                     "New name is empty", "Type Mismatch: k is a integer"}));
  EXPECT_EQ(root.GetString("k"), "v");
}

TEST_F(Paths, EntryOfAnUnknownTypeIsNotCopiedAndStays) {
  root.types.SetValue("odd", "uid");
  root.values.SetValue("odd", "7");
  plistDict& dest = Dict(root, "dest");
  root.SetError(true, "earlier");
  root.Move("odd", &dest);
  ExpectNoError();
  EXPECT_EQ(root.GetType("odd"), "uid");
  EXPECT_EQ(dest.count(), 0);
}

TEST_F(Paths, JoiningALevelThatHoldsTheSourceStopsAtTheSource) {
  // root { A { L { x, L { y } } } }: moving A's L into the root as "A" joins
  // A, and L's own "L" would then be copied into L itself.
  plistDict& a = Dict(root, "A");
  plistDict& l = Dict(a, "L");
  l.SetString("x", "1");
  Dict(l, "L").SetString("y", "2");
  a.Move("L", &root, true, "A");
  ExpectError("Destination lies within the source");
  ASSERT_TRUE(a.Exists("L"));
  EXPECT_EQ(Render(l), "x string 1\nL dict -\n  y string 2\n");
}

TEST_F(Paths, MoveOfANumericKeyOutOfADictCopiesAndCannotRemove) {
  // Removal reads a numeric key text as an element number, which a dict
  // level refuses: the entry is copied and stays in place too.
  root.SetString("2010", "year");
  plistDict& dest = Dict(root, "dest");
  root.Move("2010", &dest);
  ExpectError("root is not an array");
  EXPECT_EQ(root.GetString("2010"), "year");
  EXPECT_EQ(dest.GetString("2010"), "year");
}

TEST_F(Paths, CopyIntoAnotherDocumentRecordsWritesThere) {
  plist other;
  other.root->SetInteger("k", 1);
  root.SetString("k", "v");
  root.Copy("k", other.root.get());
  EXPECT_TRUE(other.error);
  EXPECT_EQ(other.errorMessage, "Type Mismatch: k is a integer");
  root.SetString("j", "w");
  root.Copy("j", other.root.get());
  EXPECT_FALSE(other.error);
  ExpectNoError();
  EXPECT_EQ(other.root->GetString("j"), "w");
}

TEST_F(Paths, DeepLevelIsCopiedWithoutExhaustingTheStack) {
  plistDict* level = &root;
  for (int i = 0; i < 20000; ++i) level = level->child(i % 2 ? "d" : "e");
  level->SetString("leaf", "bottom");
  plist other;
  xmltest::RunWithSmallStack([&] { root.Copy("e", other.root.get()); });
  ExpectNoError();
  plistDict* copy = other.root.get();
  for (int i = 0; i < 20000; ++i) {
    const char* key = i % 2 ? "d" : "e";
    ASSERT_TRUE(copy->Exists(key)) << "level " << i;
    copy = copy->child(key);
  }
  EXPECT_EQ(copy->GetString("leaf"), "bottom");
  EXPECT_EQ(copy->count(), 1);
}

// A tree of every kind of entry, nested in dicts and arrays; doubles only in
// arrays, where a copy keeps them doubles.
void BuildMixedTree(plistDict& root) {
  root.SetString("name", "a <b> & c");
  root.SetInteger("port", 3128);
  root.SetReal("ratio", -0.125);
  root.SetBoolean("on", true);
  root.SetData("blob", "QUJDRA==");
  root.SetDate("when", fw::Date(2010, 3, 5, 9, 7, 30));
  root.AddChild("empty dict");
  root.AddArray("empty array");
  root.AddArray("list");
  plistDict& list = *root.child("list");
  list.AppendDouble(2.5);
  list.AppendInteger(-7);
  list.AppendBoolean(false);
  list.AppendDate(fw::Date(1999, 12, 31, 23, 59, 59));
  list.AppendData("data");
  list.AppendDict();
  plistDict& element = *list.index(5);
  element.SetString("inside", "an element dict");
  element.AddArray("deeper");
  element.child("deeper")->AppendArray();
  element.child("deeper")->index(0)->AppendString("three down");
  element.child("deeper")->AppendDict();
  list.AppendArray();
  list.index(6)->AppendString("nested");
  root.AddChild("nested");
  plistDict* level = root.child("nested");
  for (int i = 0; i < 6; ++i) {
    level->SetInteger("depth", i);
    level = level->child("next");
  }
  level->SetString("bottom", "reached");
}

TEST_F(Paths, DeepMixedTreeCopiedIntoAnotherDocumentSavesTheSame) {
  testsupport::TempFolder folder;
  const fw::FolderItem fileA(folder.File("a.plist"));
  const fw::FolderItem fileB(folder.File("b.plist"));
  plist a(fileA);
  plist b(fileB);
  BuildMixedTree(*a.root);
  for (std::int32_t i = 0; i < a.root->count(); ++i) {
    const fw::String key = a.root->types.Key(i);
    a.root->Copy(key, b.root.get());
    ASSERT_FALSE(a.error) << key << ": " << a.errorMessage;
    ASSERT_FALSE(b.error) << key << ": " << b.errorMessage;
  }
  EXPECT_EQ(Render(*b.root), Render(*a.root));
  a.Save();
  b.Save();
  ASSERT_FALSE(a.error) << a.errorMessage;
  ASSERT_FALSE(b.error) << b.errorMessage;
  const std::string savedA = testsupport::ReadFile(folder.File("a.plist"));
  ASSERT_NE(savedA.find("three down"), std::string::npos);
  EXPECT_EQ(testsupport::ReadFile(folder.File("b.plist")), savedA);

  plist reread(fileB);
  EXPECT_FALSE(reread.error) << reread.errorMessage;
  EXPECT_EQ(Render(*reread.root), Render(*a.root));
}

}  // namespace
