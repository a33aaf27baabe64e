// Tree editing: get-or-create children, named children, appends, the array
// check and removal by key and by index, with key order and error state.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "framework/core/Date.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "support/StoreFixture.h"

using storetest::Cleared;
using storetest::Kept;
using storetest::KeyOrder;
using storetest::Set;
using storetest::StoreTest;
using storetest::Walk;

using Strings = std::vector<std::string>;

// ---- child ----------------------------------------------------------------------------

TEST_F(StoreTest, ChildOfMissingKeyMakesAnEmptyDict) {
  SeedError();
  plistDict* c = root().child("prefs");
  ASSERT_NE(c, nullptr);
  ExpectOutcome(Cleared());
  EXPECT_EQ(root().count(), 1);
  EXPECT_EQ(root().GetType("prefs"), "dict");
  EXPECT_EQ(c->name, "prefs");
  EXPECT_EQ(c->parent, &root());
  EXPECT_FALSE(c->isArray);
  EXPECT_EQ(c->count(), 0);
  EXPECT_FALSE(root().searched.Value("prefs"));
  c->SetError(true, "from the child");  // the child reports to this document
  EXPECT_EQ(doc.errorMessage, "from the child");
}

TEST_F(StoreTest, ChildOfExistingLevelReturnsItAndLeavesTheError) {
  plistDict* first = root().child("d");
  root().AddArray("a");
  SeedError();
  EXPECT_EQ(root().child("d"), first);
  plistDict* a = root().child("a");
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->isArray);
  EXPECT_EQ(root().count(), 2);
  ExpectOutcome(Kept());
}

TEST_F(StoreTest, ChildOfEmptyKeyMakesAnEntryUnderTheEmptyKey) {
  plistDict* c = root().child("");
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(root().Exists(""));
  EXPECT_EQ(root().GetType(""), "dict");
  EXPECT_EQ(root().child(""), c);
}

TEST_F(StoreTest, ChildOfLeafRecordsAndReturnsNothing) {
  root().SetString("s", "text");
  EXPECT_EQ(root().child("s"), nullptr);
  ExpectOutcome(Set("Child exists: s already exists"));
  EXPECT_EQ(root().count(), 1);
  EXPECT_EQ(root().GetType("s"), "string");
  EXPECT_EQ(root().GetString("s"), "text");
}

TEST_F(StoreTest, ChildKeysAreCaseSensitive) {
  plistDict* lower = root().child("key");
  plistDict* upper = root().child("Key");
  EXPECT_NE(lower, upper);
  EXPECT_EQ(root().count(), 2);
}

// ---- AddChild / AddArray ------------------------------------------------------------------

TEST_F(StoreTest, AddChildAndAddArrayMakeNamedLevels) {
  struct Case {
    const char* name;
    bool array;
  };
  for (const Case& c : {Case{"AddChild", false}, Case{"AddArray", true}}) {
    SCOPED_TRACE(c.name);
    plist fresh;
    plistDict& level = *fresh.root;
    fresh.error = true;
    level.indexOf = 6;
    if (c.array) {
      EXPECT_TRUE(level.AddArray("k"));
    } else {
      level.AddChild("k");
    }
    EXPECT_FALSE(fresh.error);
    EXPECT_EQ(level.count(), 1);
    EXPECT_EQ(level.GetType("k"), c.array ? "array" : "dict");
    EXPECT_FALSE(level.values.HasKey("k"));
    EXPECT_FALSE(level.searched.Value("k"));
    EXPECT_EQ(level.indexOf, 6);
    plistDict* node = level.child("k");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->name, "k");
    EXPECT_EQ(node->isArray, c.array);
    EXPECT_EQ(node->parent, &level);
  }
}

TEST_F(StoreTest, AddChildAndAddArrayRefuseAnExistingKey) {
  for (const char* kind : {"string", "dict", "array"}) {
    SCOPED_TRACE(kind);
    plist fresh;
    plistDict& level = *fresh.root;
    if (std::string(kind) == "string") level.SetString("k", "v");
    if (std::string(kind) == "dict") level.AddChild("k");
    if (std::string(kind) == "array") level.AddArray("k");
    level.AddChild("k");
    EXPECT_EQ(fresh.errorMessage, "Child exists: k already exists");
    EXPECT_TRUE(fresh.error);
    EXPECT_FALSE(level.AddArray("k"));
    EXPECT_EQ(fresh.errorMessage, "Array exists: k already exists");
    EXPECT_EQ(level.count(), 1);
    EXPECT_EQ(level.GetType("k"), kind);
  }
}

TEST_F(StoreTest, AddChildOnArrayLevelUsesTheGivenKey) {
  plistDict& a = MakeArray("a", {"x"});
  a.AddChild("named");
  EXPECT_EQ(KeyOrder(a), (Strings{"0", "named"}));
  EXPECT_EQ(a.indexOf, 0);
}

// ---- CheckArray and the Append operations ---------------------------------------------------

TEST_F(StoreTest, AppendsStoreTypeAndTextUnderTheNextIndex) {
  struct Case {
    const char* name;
    std::function<void(plistDict&)> append;
    const char* type;
    const char* text;
  };
  const Case cases[] = {
      {"AppendInteger", [](plistDict& a) { a.AppendInteger(-5); }, "integer", "-5"},
      {"AppendInteger max", [](plistDict& a) { a.AppendInteger(2147483647); }, "integer",
       "2147483647"},
      {"AppendDouble", [](plistDict& a) { a.AppendDouble(0.5); }, "double", "0.5"},
      {"AppendString", [](plistDict& a) { a.AppendString("a&b"); }, "string", "a&b"},
      {"AppendData", [](plistDict& a) { a.AppendData("AAEC"); }, "data", "AAEC"},
      {"AppendBoolean true", [](plistDict& a) { a.AppendBoolean(true); }, "boolean", "true"},
      {"AppendBoolean false", [](plistDict& a) { a.AppendBoolean(false); }, "boolean", "false"},
      {"AppendDate", [](plistDict& a) { a.AppendDate(fw::Date(2010, 3, 5, 9, 7, 30)); }, "date",
       "2010-03-05T09:07:30Z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plist fresh;
    fresh.root->AddArray("a");
    plistDict& a = *fresh.root->child("a");
    a.AppendString("first");
    fresh.error = true;
    c.append(a);
    EXPECT_FALSE(fresh.error);
    EXPECT_EQ(a.indexOf, 1);
    EXPECT_EQ(a.count(), 2);
    EXPECT_EQ(a.GetType("1"), c.type);
    EXPECT_EQ(a.values.Value("1"), c.text);
    EXPECT_FALSE(a.searched.HasKey("1"));  // appends leave the marks alone
    EXPECT_EQ(a.index(1), nullptr);
  }
}

TEST_F(StoreTest, ThreeAppendsGiveZeroOneTwo) {
  plistDict& a = MakeArray("a", {"x", "y", "z"});
  EXPECT_EQ(Walk(a), (Strings{"0", "1", "2"}));
  EXPECT_EQ(a.indexOf, 2);
  EXPECT_EQ(a.GetString("2"), "z");
}

TEST_F(StoreTest, AppendDictAndAppendArrayMakeElementNodes) {
  plistDict& a = MakeArray("a", {"x", "y"});
  a.AppendDict();
  EXPECT_EQ(a.indexOf, 2);
  EXPECT_EQ(a.GetType("2"), "dict");
  EXPECT_FALSE(a.values.HasKey("2"));
  plistDict* d = a.index(2);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->name, "");
  EXPECT_FALSE(d->isArray);
  EXPECT_EQ(d->parent, &a);
  EXPECT_FALSE(d->CheckArray());
  ExpectOutcome(Set(" is not an array"));
  a.AppendArray();
  plistDict* inner = a.index(3);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->name, "3");
  EXPECT_TRUE(inner->isArray);
  EXPECT_TRUE(inner->CheckArray());
  ExpectOutcome(Cleared());
  inner->AppendInteger(1);
  EXPECT_EQ(inner->GetInteger("0"), 1);
}

TEST_F(StoreTest, AppendsOnDictLevelRecordTheLevelName) {
  const std::function<void(plistDict&)> appends[] = {
      [](plistDict& d) { d.AppendInteger(1); },
      [](plistDict& d) { d.AppendDict(); },
      [](plistDict& d) { d.AppendArray(); },
      [](plistDict& d) { d.AppendBoolean(false); },
      [](plistDict& d) { d.AppendDouble(1); },
      [](plistDict& d) { d.AppendString("s"); },
      [](plistDict& d) { d.AppendData("s"); },
      [](plistDict& d) { d.AppendDate(fw::Date(2000, 1, 1)); },
  };
  plistDict* named = root().child("prefs");
  for (const auto& append : appends) {
    root().indexOf = 9;
    append(root());
    ExpectOutcome(Set("root is not an array"));
    EXPECT_EQ(root().indexOf, 9);
    EXPECT_EQ(root().count(), 1);
    append(*named);
    ExpectOutcome(Set("prefs is not an array"));
    EXPECT_EQ(named->count(), 0);
  }
}

TEST_F(StoreTest, AppendDateWithoutDateChangesNothing) {
  plistDict& a = MakeArray("a", {"x"});
  SeedError();
  a.AppendDate(std::nullopt);
  EXPECT_EQ(a.count(), 1);
  EXPECT_EQ(a.indexOf, 0);
  ExpectOutcome(Kept());
}

TEST_F(StoreTest, AppendBooleanKeepsItsIndexUnlikeSetBoolean) {
  plistDict& a = MakeArray("a", {"x"});
  a.AppendBoolean(false);
  EXPECT_EQ(a.indexOf, 1);
  EXPECT_EQ(a.values.Value("1"), "false");
  EXPECT_FALSE(a.GetBoolean("1"));
}

TEST_F(StoreTest, AppendedDoubleIsNotRealForTheSetters) {
  plistDict& a = MakeArray("a");
  a.AppendDouble(1.25);
  a.SetDouble("0", 2);
  ExpectOutcome(Set("Type Mismatch: 0 is a double"));
  EXPECT_EQ(a.GetDouble("0"), 1.25);
}

TEST_F(StoreTest, CheckArrayLeavesIndexOfAlone) {
  plistDict& a = MakeArray("a", {"x"});
  SeedError();
  EXPECT_TRUE(a.CheckArray());
  ExpectOutcome(Cleared());
  EXPECT_EQ(a.indexOf, 0);
}

// ---- Removal by index ---------------------------------------------------------------------

TEST_F(StoreTest, RemovingAMiddleElementMovesTheLaterOnesDown) {
  plistDict& a = MakeArray("a", {"a", "b", "c"});
  SeedError();
  a.Remove(1);
  ExpectOutcome(Cleared());
  EXPECT_EQ(a.count(), 2);
  EXPECT_EQ(KeyOrder(a), (Strings{"0", "1"}));
  EXPECT_EQ(a.GetString("0"), "a");
  EXPECT_EQ(a.GetString("1"), "c");
  EXPECT_FALSE(a.Exists("2"));
  EXPECT_FALSE(a.values.HasKey("2"));
}

TEST_F(StoreTest, RemovingADictElementReleasesItsNode) {
  plistDict& a = MakeArray("a");
  a.AppendDict();
  a.index(0)->SetString("inner", "v");
  a.AppendString("s");
  a.Remove(0);
  EXPECT_EQ(a.count(), 1);
  EXPECT_EQ(a.GetType("0"), "string");
  EXPECT_EQ(a.GetString("0"), "s");
  EXPECT_EQ(a.index(0), nullptr);
}

TEST_F(StoreTest, LevelElementMovedDownIsRelistedAndRenamed) {
  plistDict& a = MakeArray("a", {"s"});
  a.AppendArray();  // "1", named "1"
  plistDict* arrayNode = a.index(1);
  a.Remove(0);
  EXPECT_EQ(a.GetType("0"), "array");
  EXPECT_FALSE(a.values.HasKey("0"));
  EXPECT_EQ(a.index(0), arrayNode);
  EXPECT_EQ(arrayNode->name, "0");
  EXPECT_EQ(a.index(1), nullptr);
  EXPECT_EQ(a.GetValue("0"), "");
  ExpectOutcome(Set("Key 0 does not exist"));
}

TEST_F(StoreTest, MovedDictElementKeepsItsEmptyName) {
  plistDict& a = MakeArray("a", {"s"});
  a.AppendDict();
  a.AppendArray();
  plistDict* dictNode = a.index(1);
  plistDict* arrayNode = a.index(2);
  a.Remove(0);
  EXPECT_EQ(a.index(0), dictNode);
  EXPECT_EQ(dictNode->name, "");
  EXPECT_EQ(a.index(1), arrayNode);
  EXPECT_EQ(arrayNode->name, "1");
}

TEST_F(StoreTest, LeafMovedOntoFormerLevelKeyDropsNoText) {
  plistDict& a = MakeArray("a");
  a.AppendArray();
  a.AppendString("x");
  a.AppendDict();
  a.Remove(0);
  EXPECT_EQ(a.GetType("0"), "string");
  EXPECT_EQ(a.values.Value("0"), "x");
  EXPECT_EQ(a.GetType("1"), "dict");
  EXPECT_FALSE(a.values.HasKey("1"));  // the text that "x" left under "1" went
  EXPECT_NE(a.index(1), nullptr);
  EXPECT_EQ(a.index(0), nullptr);
}

TEST_F(StoreTest, RemovalOutOfRangeRecordsAndRemovesNothing) {
  plistDict& a = MakeArray("a", {"a", "b"});
  for (fw::Variant bad :
       {fw::Variant(2), fw::Variant(-1), fw::Variant(1000000), fw::Variant(fw::String("7"))}) {
    SeedError();
    a.Remove(bad);
    ExpectOutcome(Set("Subscript out of range"));
    EXPECT_EQ(a.count(), 2);
  }
  plistDict& empty = MakeArray("e");
  empty.Remove(0);
  ExpectOutcome(Set("Subscript out of range"));
}

TEST_F(StoreTest, RemovingTheLastElementMovesNothing) {
  plistDict& a = MakeArray("a", {"a", "b", "c"});
  a.Remove(2);
  EXPECT_EQ(KeyOrder(a), (Strings{"0", "1"}));
  EXPECT_EQ(a.GetString("0"), "a");
  EXPECT_EQ(a.GetString("1"), "b");
}

TEST_F(StoreTest, NumericTextAndNonWholeNumbersRemoveByIndex) {
  struct Case {
    const char* name;
    fw::Variant item;
    Strings left;
  };
  const Case cases[] = {
      {"text 1", fw::Variant(fw::String("1")), {"a", "c", "d"}},
      {"number 1", fw::Variant(1), {"a", "c", "d"}},
      {"1.7 truncates", fw::Variant(1.7), {"a", "c", "d"}},
      {"text 2.9", fw::Variant(fw::String("2.9")), {"a", "b", "d"}},
      {"blanks around", fw::Variant(fw::String(" 0 ")), {"b", "c", "d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plist fresh;
    fresh.root->AddArray("a");
    plistDict& a = *fresh.root->child("a");
    for (const char* s : {"a", "b", "c", "d"}) a.AppendString(s);
    a.Remove(c.item);
    Strings left;
    for (const auto& k : Walk(a)) left.push_back(a.GetString(k));
    EXPECT_EQ(left, c.left);
  }
}

TEST_F(StoreTest, NumericTextOnDictLevelIsRefused) {
  root().SetString("2010", "year");
  SeedError();
  root().Remove("2010");
  ExpectOutcome(Set("root is not an array"));
  EXPECT_EQ(root().GetString("2010"), "year");
}

TEST_F(StoreTest, RemovalByIndexLeavesMarksIndexOfAndCursor) {
  plistDict& a = MakeArray("a", {"a", "b", "c"});
  a.searched.SetValue("2", true);
  a.MoveLast();
  a.Remove(0);
  EXPECT_EQ(a.indexOf, 2);
  EXPECT_EQ(a.currentIndex, 2);
  EXPECT_TRUE(a.searched.Value("2"));
}

TEST_F(StoreTest, AppendsAndRemovalsKeepIndexOrder) {
  // A model list beside the level; after each step the walk and the values
  // must match it, "0" first, with the key order written in place.
  std::mt19937 random(20240229);
  plistDict& a = MakeArray("a");
  std::vector<std::string> model;
  int next = 0;
  for (int step = 0; step < 400; ++step) {
    if (model.empty() || random() % 3 != 0) {
      const std::string text = "v" + std::to_string(next++);
      a.AppendString(text);
      model.push_back(text);
      EXPECT_EQ(a.indexOf, static_cast<int>(model.size()) - 1);
    } else {
      const auto n = static_cast<std::int32_t>(random() % model.size());
      a.Remove(n);
      model.erase(model.begin() + n);
    }
    Strings expectedKeys;
    for (std::size_t i = 0; i < model.size(); ++i) expectedKeys.push_back(std::to_string(i));
    ASSERT_EQ(Walk(a), expectedKeys) << "step " << step;
    ASSERT_EQ(KeyOrder(a), expectedKeys);
    for (std::size_t i = 0; i < model.size(); ++i) {
      ASSERT_EQ(a.values.Value(std::to_string(i)), model[i]) << "step " << step;
    }
  }
}

TEST_F(StoreTest, MixedElementsSurviveRemovalsWithTheirNodes) {
  plistDict& a = MakeArray("a");
  std::vector<plistDict*> nodes;  // nullptr for a leaf
  for (int i = 0; i < 12; ++i) {
    if (i % 3 == 0) {
      a.AppendDict();
      nodes.push_back(a.index(i));
      nodes.back()->SetInteger("id", i);
    } else if (i % 3 == 1) {
      a.AppendArray();
      nodes.push_back(a.index(i));
      nodes.back()->AppendInteger(i);
    } else {
      a.AppendInteger(i);
      nodes.push_back(nullptr);
    }
  }
  for (std::int32_t n : {4, 0, 7, 3, 3}) {
    a.Remove(n);
    nodes.erase(nodes.begin() + n);
  }
  ASSERT_EQ(a.count(), static_cast<std::int32_t>(nodes.size()));
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    EXPECT_EQ(a.index(static_cast<std::int32_t>(i)), nodes[i]) << i;
    if (nodes[i] != nullptr && nodes[i]->isArray) {
      EXPECT_EQ(nodes[i]->name, std::to_string(i));
    }
  }
}

// ---- Removal by key ----------------------------------------------------------------------

TEST_F(StoreTest, RemovingADictChildByKeyReleasesTheSubtree) {
  root().child("d")->child("deeper")->SetString("v", "1");
  root().SetString("s", "x");
  SeedError();
  root().Remove("d");
  ExpectOutcome(Kept());
  EXPECT_FALSE(root().Exists("d"));
  EXPECT_EQ(root().count(), 1);
  plistDict* fresh = root().child("d");
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->count(), 0);
}

TEST_F(StoreTest, RemovingALeafByKeyKeepsTheOtherKeysInOrder) {
  for (const char* k : {"a", "b", "c", "d"}) root().SetString(k, k);
  root().Remove("b");
  EXPECT_EQ(KeyOrder(root()), (Strings{"a", "c", "d"}));
  EXPECT_FALSE(root().values.HasKey("b"));
  root().SetString("b", "again");  // a new key joins the end
  EXPECT_EQ(KeyOrder(root()), (Strings{"a", "c", "d", "b"}));
}

TEST_F(StoreTest, RemovingAMissingKeyChangesNothing) {
  root().SetString("a", "1");
  SeedError();
  root().Remove("missing");
  ExpectOutcome(Kept());
  EXPECT_EQ(root().count(), 1);
}

TEST_F(StoreTest, RemovalByKeyLeavesMarksIndexOfAndCursor) {
  plistDict& a = MakeArray("a", {"x"});
  a.SetString("name", "n");
  a.searched.SetValue("name", true);
  a.MoveLast();
  a.Remove("name");
  EXPECT_EQ(a.indexOf, 0);
  EXPECT_EQ(a.currentIndex, 1);
  EXPECT_TRUE(a.searched.Value("name"));
}
