// The node: construction, entry queries, index, the cursor, the walk, error
// recording, child lookup with repeated keys, release and lifetime.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/Variant.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "support/StoreFixture.h"

using storetest::Kept;
using storetest::KeyOrder;
using storetest::MsgBoxRecorder;
using storetest::ProbeDict;
using storetest::StoreTest;
using storetest::Walk;

using Strings = std::vector<std::string>;

TEST(NodeConstruction, NewNodeIsEmptyAndFreeStanding) {
  plistDict node;
  EXPECT_EQ(node.count(), 0);
  EXPECT_FALSE(node.Exists(""));
  EXPECT_FALSE(node.Exists("a"));
  EXPECT_EQ(node.index(0), nullptr);
  EXPECT_EQ(node.name, "");
  EXPECT_EQ(node.indexOf, -1);
  EXPECT_FALSE(node.isArray);
  EXPECT_EQ(node.parent, nullptr);
  EXPECT_EQ(node.currentIndex, 0);
  EXPECT_FALSE(node.eof);
  EXPECT_EQ(node.searched.Count(), 0);
  node.MoveFirst();
  EXPECT_EQ(node.CurrentKey(), "");
  EXPECT_TRUE(node.eof);
}

TEST(NodeConstruction, ChildListStartsWithPlaceholder) {
  ProbeDict node;
  ASSERT_EQ(node.children.size(), 1u);
  EXPECT_EQ(node.children[0], nullptr);
  ASSERT_EQ(node.childrenNames.size(), 1u);
  EXPECT_EQ(node.childrenNames[0], "");
}

TEST(NodeConstruction, DocumentRootIsNamedRootAndEmpty) {
  plist doc;
  ASSERT_NE(doc.root, nullptr);
  EXPECT_EQ(doc.root->name, "root");
  EXPECT_EQ(doc.root->parent, nullptr);
  EXPECT_FALSE(doc.root->isArray);
  EXPECT_EQ(doc.root->count(), 0);
  EXPECT_FALSE(doc.error);
  EXPECT_EQ(doc.errorMessage, "");
  EXPECT_FALSE(doc.debug);
}

// ---- Entry queries and index ----------------------------------------------------

TEST_F(StoreTest, QueriesSeeLeavesAndLevelsAlikeAndLeaveTheErrorAlone) {
  root().SetString("s", "x");
  root().AddChild("d");
  root().AddArray("a");
  SeedError();
  EXPECT_EQ(root().count(), 3);
  EXPECT_TRUE(root().Exists("s"));
  EXPECT_TRUE(root().Exists("d"));
  EXPECT_TRUE(root().Exists("a"));
  EXPECT_FALSE(root().Exists("S"));  // keys are case-sensitive
  EXPECT_EQ(root().GetType("s"), "string");
  EXPECT_EQ(root().GetType("d"), "dict");
  EXPECT_EQ(root().GetType("a"), "array");
  EXPECT_EQ(root().GetType("missing"), "");
  EXPECT_FALSE(root().Exists("missing"));  // GetType adds nothing
  EXPECT_EQ(root().index(0), nullptr);
  ExpectOutcome(Kept());
}

TEST_F(StoreTest, IndexFindsOnlyChildLevelsByDecimalKey) {
  plistDict& a = MakeArray("a", {"zero", "one"});  // "0", "1" are strings
  a.AppendDict();                                  // "2"
  a.AppendArray();                                 // "3"
  EXPECT_EQ(a.index(1), nullptr);
  EXPECT_EQ(a.index(0), nullptr);
  ASSERT_NE(a.index(2), nullptr);
  EXPECT_FALSE(a.index(2)->isArray);
  ASSERT_NE(a.index(3), nullptr);
  EXPECT_TRUE(a.index(3)->isArray);
  EXPECT_EQ(a.index(4), nullptr);
  EXPECT_EQ(a.index(-1), nullptr);
  EXPECT_EQ(a.index(2), a.child("2"));  // the tree's own node, not a copy
  EXPECT_EQ(a.count(), 4);              // index made nothing
}

TEST_F(StoreTest, IndexOnDictLevelFindsChildKeyedByDigits) {
  root().AddChild("3");
  ASSERT_NE(root().index(3), nullptr);
  EXPECT_EQ(root().index(3)->name, "3");
  EXPECT_EQ(root().index(30), nullptr);
}

// ---- The cursor ---------------------------------------------------------------------

TEST_F(StoreTest, CursorStepsThroughThreeKeysAndWraps) {
  root().SetString("b", "1");
  root().SetString("a", "2");
  root().SetString("c", "3");
  SeedError();
  root().MoveFirst();
  Strings seen;
  for (int i = 0; i < 3; ++i) {
    seen.push_back(root().CurrentKey());
    root().MoveNext();
  }
  EXPECT_EQ(seen, (Strings{"b", "a", "c"}));
  EXPECT_TRUE(root().eof);
  EXPECT_EQ(root().currentIndex, 0);
  EXPECT_EQ(root().CurrentKey(), "b");
  ExpectOutcome(Kept());
}

TEST_F(StoreTest, MoveNextOnEmptyLevelSetsEof) {
  root().MoveNext();
  EXPECT_TRUE(root().eof);
  EXPECT_EQ(root().currentIndex, 0);
}

TEST_F(StoreTest, MoveLastKeepsEofAsItWas) {
  root().SetString("a", "");
  root().SetString("b", "");
  root().SetString("c", "");
  for (bool eofBefore : {false, true}) {
    root().eof = eofBefore;
    root().MoveLast();
    EXPECT_EQ(root().currentIndex, 2);
    EXPECT_EQ(root().eof, eofBefore);
    EXPECT_EQ(root().CurrentKey(), "c");
    root().MoveNext();
    EXPECT_EQ(root().currentIndex, 0);
    EXPECT_TRUE(root().eof);
  }
}

TEST_F(StoreTest, CurrentKeyBeforeFirstKeyOfEmptyLevelIsEmptyAndSetsEof) {
  root().MoveFirst();
  root().MoveLast();
  EXPECT_EQ(root().currentIndex, -1);
  EXPECT_FALSE(root().eof);
  EXPECT_EQ(root().CurrentKey(), "");
  EXPECT_TRUE(root().eof);
  EXPECT_EQ(root().currentIndex, 0);
}

TEST_F(StoreTest, CursorIsNotAdjustedByRemoval) {
  root().SetString("a", "");
  root().SetString("b", "");
  root().MoveFirst();
  root().MoveNext();
  root().Remove(fw::Variant(fw::String("b")));
  EXPECT_EQ(root().currentIndex, 1);
  EXPECT_EQ(root().CurrentKey(), "");  // past the end now
  EXPECT_TRUE(root().eof);
}

// ---- The walk -----------------------------------------------------------------------

TEST_F(StoreTest, WalkOfEmptyLevelVisitsNothing) { EXPECT_TRUE(Walk(root()).empty()); }

TEST_F(StoreTest, WalkOfArrayFollowsIndexOrderBeforeAndAfterRemoval) {
  plistDict& a = MakeArray("a", {"e0", "e1", "e2", "e3", "e4"});
  EXPECT_EQ(Walk(a), (Strings{"0", "1", "2", "3", "4"}));
  EXPECT_EQ(a.currentIndex, 0);
  EXPECT_TRUE(a.eof);
  a.Remove(fw::Variant(1));
  EXPECT_EQ(Walk(a), (Strings{"0", "1", "2", "3"}));
  Strings held;
  for (const auto& k : Walk(a)) held.push_back(a.GetString(k));
  EXPECT_EQ(held, (Strings{"e0", "e2", "e3", "e4"}));
}

TEST_F(StoreTest, WalkOfDictFollowsFirstInsertionOrder) {
  root().SetString("z", "1");
  root().AddChild("m");
  root().SetInteger("a", 1);
  root().SetString("z", "2");  // replacing keeps the place
  EXPECT_EQ(Walk(root()), (Strings{"z", "m", "a"}));
  EXPECT_EQ(KeyOrder(root()), Walk(root()));
}

// ---- Error recording ------------------------------------------------------------------

TEST_F(StoreTest, SetErrorRecordsAndShowsOnlyWithDebug) {
  struct Case {
    bool debug;
    bool flag;
    bool shown;
  };
  const Case cases[] = {
      {false, true, false},
      {true, true, true},
      {false, false, false},
      {true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "debug " << c.debug << " flag " << c.flag);
    MsgBoxRecorder boxes;
    doc.debug = c.debug;
    doc.error = !c.flag;
    doc.errorMessage = "before";
    root().SetError(c.flag, "the message");
    EXPECT_EQ(doc.error, c.flag);
    EXPECT_EQ(doc.errorMessage, "the message");
    EXPECT_EQ(boxes.shown, c.shown ? Strings{"the message"} : Strings{});
  }
}

TEST_F(StoreTest, EachSetErrorReplacesTheOneBefore) {
  root().SetError(true, "first");
  root().SetError(true, "second");
  EXPECT_EQ(doc.errorMessage, "second");
}

TEST(NodeErrors, FreeStandingNodeDropsItsErrors) {
  MsgBoxRecorder boxes;
  plistDict node;
  node.SetError(true, "dropped");
  node.SetString("k", "v");
  node.SetInteger("k", 1);  // a mismatch, dropped too
  EXPECT_EQ(node.GetString("k"), "v");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StoreTest, ChildErrorsReachTheDocumentAndItsDebugBox) {
  MsgBoxRecorder boxes;
  doc.debug = true;
  plistDict* deep = root().child("a")->child("b");
  deep->SetString("n", "1");
  deep->SetInteger("n", 2);
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Type Mismatch: n is a string");
  EXPECT_EQ(boxes.shown, Strings{"Type Mismatch: n is a string"});
  deep->SetString("n", "3");  // a success clears and shows nothing
  EXPECT_FALSE(doc.error);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

// ---- Child lookup where a key repeats --------------------------------------------------

class RepeatedKeyTest : public ::testing::Test {
 protected:
  // Three children under "k", "other", "k" (as a read file may give).
  void SetUp() override {
    node.AttachTo(doc);
    first = Add("k");
    Add("other");
    second = Add("k");
    node.types.SetValue("k", "dict");
    node.types.SetValue("other", "dict");
  }
  plistDict* Add(const std::string& key) {
    return node.AppendChildNode(key, node.MakeChildNode(false, key));
  }
  plist doc;
  ProbeDict node;
  plistDict* first = nullptr;
  plistDict* second = nullptr;
};

TEST_F(RepeatedKeyTest, LowestPositionWinsAndRemovalTakesTheLast) {
  EXPECT_EQ(node.child("k"), first);
  EXPECT_EQ(node.ChildPosition("k"), 1);
  EXPECT_EQ(node.LastChildPosition("k"), 3);
  std::vector<std::int32_t> positions;
  node.ChildPositions("k", positions);
  EXPECT_EQ(positions, (std::vector<std::int32_t>{1, 3}));
  node.ChildPositions("none", positions);
  EXPECT_TRUE(positions.empty());
  node.Remove(fw::Variant(fw::String("k")));
  EXPECT_FALSE(node.Exists("k"));
  EXPECT_EQ(node.children.size(), 3u);  // placeholder, "k" (first), "other"
  EXPECT_EQ(node.child("k"), first);    // still listed; child finds it
  EXPECT_EQ(node.childrenNames[2], "other");
}

TEST_F(RepeatedKeyTest, RenamingKeepsPositionOrder) {
  node.RenameChildAt(1, "z");  // the first "k" becomes "z"
  EXPECT_EQ(node.child("k"), second);
  EXPECT_EQ(node.ChildPosition("z"), 1);
  node.RenameChildAt(3, "z");  // now "z" at 1 and 3: the lowest still wins
  EXPECT_EQ(node.ChildPosition("z"), 1);
  EXPECT_EQ(node.LastChildPosition("z"), 3);
  EXPECT_EQ(node.ChildPosition("k"), 0);
  std::unique_ptr<plistDict> taken = node.TakeChildAt(1);
  EXPECT_EQ(taken.get(), first);
  EXPECT_EQ(node.ChildPosition("z"), 2);  // the gap closed
  EXPECT_EQ(node.children[2].get(), second);
}

TEST_F(RepeatedKeyTest, TakeChildAtRefusesPlaceholderAndOutOfRange) {
  EXPECT_EQ(node.TakeChildAt(0), nullptr);
  EXPECT_EQ(node.TakeChildAt(4), nullptr);
  EXPECT_EQ(node.TakeChildAt(-1), nullptr);
  EXPECT_EQ(node.children.size(), 4u);
}

// ---- Release and lifetime ---------------------------------------------------------------

TEST(NodeRelease, VeryDeepTreeIsReleasedWithoutExhaustingTheStack) {
  auto doc = std::make_unique<plist>();
  plistDict* level = doc->root.get();
  for (int depth = 0; depth < 100000; ++depth) level = level->child("x");
  level->SetString("leaf", "bottom");
  doc.reset();  // a recursive release would overflow the stack here
  SUCCEED();
}

TEST(NodeRelease, VeryDeepSubtreeIsReleasedByRemoval) {
  plist doc;
  doc.root->SetString("keep", "k");
  doc.root->AddArray("a");
  plistDict* level = doc.root->child("a");
  for (int depth = 0; depth < 100000; ++depth) {
    level->AppendArray();
    level = level->index(0);
  }
  doc.root->Remove(fw::Variant(fw::String("a")));
  EXPECT_FALSE(doc.root->Exists("a"));
  EXPECT_EQ(doc.root->count(), 1);
  EXPECT_EQ(doc.root->GetString("keep"), "k");
}

TEST_F(StoreTest, TreeStaysSoundAfterSubtreesAreRemoved) {
  // Nodes below removed entries are released; the tree keeps no link to them
  // (the sanitizer build checks that nothing below reads freed memory).
  plistDict* a = root().child("a");
  a->child("b")->child("c")->SetString("v", "1");
  plistDict& arr = MakeArray("arr");
  arr.AppendDict();
  arr.AppendArray();
  arr.index(1)->AppendDict();
  arr.AppendString("s");
  root().Remove(fw::Variant(fw::String("a")));
  arr.Remove(fw::Variant(0));  // releases the dict element, shifts the others
  arr.Remove(fw::Variant(0));  // releases the array element with its dict
  EXPECT_EQ(Walk(arr), Strings{"0"});
  EXPECT_EQ(arr.GetString("0"), "s");
  EXPECT_EQ(arr.index(0), nullptr);
  EXPECT_EQ(Walk(root()), Strings{"arr"});
  plistDict* again = root().child("a");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->count(), 0);
  EXPECT_EQ(again->parent, &root());
}
