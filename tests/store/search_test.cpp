// The document's value search: hits one at a time, depth-first in key order,
// with marks in the levels.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/core/Date.h"
#include "framework/core/Variant.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "tests/store/support/XmlTree.h"

// Reaches the document's private one-pass search, to test its key mode.
struct plistTestPeer {
  static bool ReadStructure(plist& doc, plistDict* dict, const fw::String& text,
                            const fw::String& mode) {
    return doc.ReadStructure(dict, text, mode);
  }
};

namespace {

class Search : public ::testing::Test {
 protected:
  plist doc;
  plistDict& root = *doc.root;

  void ExpectFound(plistDict* level, const fw::String& key, const fw::String& value,
                   const fw::String& type) {
    EXPECT_EQ(doc.foundDict, level);
    EXPECT_EQ(doc.foundKey, key);
    EXPECT_EQ(doc.foundValue, value);
    EXPECT_EQ(doc.foundType, type);
  }

  // Every hit of a text, in order: Find, then FindNext until false.
  std::vector<std::pair<plistDict*, fw::String>> AllHits(const fw::String& text) {
    std::vector<std::pair<plistDict*, fw::String>> hits;
    for (bool found = doc.Find(text); found; found = doc.FindNext(text)) {
      hits.emplace_back(doc.foundDict, doc.foundKey);
      if (hits.size() > 100) break;  // a search that never ends fails below
    }
    return hits;
  }
};

TEST_F(Search, EmptyRootFindsNothingAndLeavesTheFoundFieldsEmpty) {
  EXPECT_FALSE(doc.Find("x"));
  ExpectFound(nullptr, "", "", "");
  EXPECT_FALSE(doc.FindNext("x"));
}

TEST_F(Search, HitsComeDepthFirstInKeyOrder) {
  root.SetString("a", "x1");
  root.AddChild("empty dict");
  root.AddChild("B");
  plistDict* b = root.child("B");
  b->SetString("c", "x2");
  b->AddArray("list");
  plistDict* list = b->child("list");
  list->AppendString("x3");
  list->AppendArray();
  list->AppendString("x4");
  root.AddArray("empty array");
  root.SetString("d", "x5");
  root.SetString("other", "y");
  const std::vector<std::pair<plistDict*, fw::String>> expected{
      {&root, "a"}, {b, "c"}, {list, "0"}, {list, "2"}, {&root, "d"}};
  EXPECT_EQ(AllHits("x"), expected);
  ExpectFound(&root, "d", "x5", "string");  // the last hit stays
  EXPECT_FALSE(doc.FindNext("x"));
  ExpectFound(&root, "d", "x5", "string");
  EXPECT_TRUE(root.searched.Value("a"));
  EXPECT_TRUE(list->searched.Value("2"));
  EXPECT_FALSE(root.searched.Value("other"));  // never matched, never marked
}

TEST_F(Search, SameValueTwiceFirstThenSecondThenNoMore) {
  root.AddChild("first");
  root.child("first")->SetString("k", "same");
  root.SetString("second", "same");
  ASSERT_TRUE(doc.Find("same"));
  ExpectFound(root.child("first"), "k", "same", "string");
  ASSERT_TRUE(doc.FindNext("same"));
  ExpectFound(&root, "second", "same", "string");
  EXPECT_FALSE(doc.FindNext("same"));
  ExpectFound(&root, "second", "same", "string");
  EXPECT_FALSE(doc.FindNext("same"));
  ASSERT_TRUE(doc.Find("same"));  // starts over
  ExpectFound(root.child("first"), "k", "same", "string");
}

TEST_F(Search, RewrittenLeafIsFoundAgain) {
  root.SetString("a", "hit");
  root.SetString("b", "hit");
  ASSERT_TRUE(doc.Find("hit"));
  ASSERT_TRUE(doc.FindNext("hit"));
  EXPECT_FALSE(doc.FindNext("hit"));
  root.SetString("a", "hit again");
  ASSERT_TRUE(doc.FindNext("hit"));
  ExpectFound(&root, "a", "hit again", "string");
}

TEST_F(Search, ElementAppendedUnderAMarkedKeyWaitsForTheMarksToClear) {
  root.AddArray("arr");
  plistDict* arr = root.child("arr");
  arr->AppendString("hit");
  ASSERT_TRUE(doc.Find("hit"));
  arr->Remove(fw::Variant(0));
  arr->AppendString("hit");  // key "0" again, still marked
  EXPECT_FALSE(doc.FindNext("hit"));
  ASSERT_TRUE(doc.Find("hit"));
  ExpectFound(arr, "0", "hit", "string");
}

TEST_F(Search, FindNextWithAnotherTextClearsTheMarksEveryTime) {
  root.SetString("a", "one");
  root.SetString("b", "two");
  root.SetString("c", "two");
  ASSERT_TRUE(doc.Find("one"));
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(doc.FindNext("two"));
    ExpectFound(&root, "b", "two", "string");
  }
  EXPECT_FALSE(root.searched.Value("a"));
}

TEST_F(Search, ValuesAreComparedAsStored) {
  root.SetBoolean("yes", true);
  root.SetBoolean("no", false);
  root.SetInteger("n", 3128);
  root.SetDate("when", fw::Date(2010, 3, 5, 9, 7, 30));
  root.SetData("blob", "QUJD");
  struct Case {
    const char* text;
    const char* key;
    const char* value;
    const char* type;
  };
  const Case cases[] = {
      {"true", "yes", "true", "boolean"}, {"fal", "no", "false", "boolean"},
      {"12", "n", "3128", "integer"},     {"03-05T09", "when", "2010-03-05T09:07:30Z", "date"},
      {"UJ", "blob", "QUJD", "data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_TRUE(doc.Find(c.text));
    ExpectFound(&root, c.key, c.value, c.type);
    EXPECT_FALSE(doc.FindNext(c.text));
  }
}

TEST_F(Search, ComparisonIsCaseSensitive) {
  root.SetString("k", "Value");
  EXPECT_FALSE(doc.Find("value"));
  EXPECT_TRUE(doc.Find("Val"));
}

TEST_F(Search, TextInKeysOnlyIsNotFound) {
  root.SetString("needle", "hay");
  root.AddChild("needle dict");
  root.child("needle dict")->SetString("x", "hay");
  root.AddArray("needle array");
  EXPECT_FALSE(doc.Find("needle"));
  ExpectFound(nullptr, "", "", "");
}

TEST_F(Search, EmptyTextFindsEveryNonEmptyValue) {
  root.SetString("a", "");
  root.SetString("b", "x");
  ASSERT_TRUE(doc.Find(""));
  ExpectFound(&root, "b", "x", "string");
  EXPECT_FALSE(doc.FindNext(""));
}

TEST_F(Search, ErrorStateDescribesTheLastValueRead) {
  root.types.SetValue("open", "string");  // a leaf whose value was never read in
  root.SetString("last", "v");
  root.SetError(true, "earlier");
  EXPECT_FALSE(doc.Find("zzz"));
  EXPECT_FALSE(doc.error);  // "last" was read last, and read fine

  root.types.Remove("last");
  root.values.Remove("last");
  EXPECT_FALSE(doc.Find("zzz"));
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Key open does not exist");
}

TEST_F(Search, CompleteWalkLeavesEachCursorOnItsFirstKeyPastTheEnd) {
  root.SetString("a", "1");
  root.AddChild("b");
  root.child("b")->SetString("c", "2");
  EXPECT_FALSE(doc.Find("zzz"));
  EXPECT_EQ(root.currentIndex, 0);
  EXPECT_TRUE(root.eof);
  EXPECT_EQ(root.child("b")->currentIndex, 0);
  EXPECT_TRUE(root.child("b")->eof);
}

TEST_F(Search, ClearSearchClearsOnlyTheLeavesAtAndBelowItsLevel) {
  root.SetString("top", "hit");
  root.AddChild("sub");
  plistDict* sub = root.child("sub");
  sub->SetString("x", "hit");
  ASSERT_EQ(AllHits("hit").size(), 2u);
  root.searched.SetValue("sub", true);  // a level's own mark is left alone
  doc.ClearSearch(sub);
  EXPECT_FALSE(sub->searched.Value("x"));
  EXPECT_TRUE(root.searched.Value("top"));
  EXPECT_TRUE(root.searched.Value("sub"));
  ASSERT_TRUE(doc.FindNext("hit"));
  ExpectFound(sub, "x", "hit", "string");
  doc.ClearSearch(nullptr);  // nothing to clear
}

TEST_F(Search, KeyModeMatchesLeafKeys) {
  root.SetString("alpha", "1");
  root.AddChild("alphabet");  // a level: never compared itself
  root.child("alphabet")->SetString("alpha2", "2");
  ASSERT_TRUE(plistTestPeer::ReadStructure(doc, &root, "alpha", "keySearch"));
  ExpectFound(&root, "alpha", "1", "string");
  ASSERT_TRUE(plistTestPeer::ReadStructure(doc, &root, "alpha", "keySearch"));
  ExpectFound(root.child("alphabet"), "alpha2", "2", "string");
  EXPECT_FALSE(plistTestPeer::ReadStructure(doc, &root, "alpha", "keySearch"));
  EXPECT_FALSE(plistTestPeer::ReadStructure(doc, &root, "1", "keySearch"));
  EXPECT_FALSE(plistTestPeer::ReadStructure(doc, &root, "alpha", "otherMode"));
}

TEST_F(Search, DeepTreeIsSearchedWithoutExhaustingTheStack) {
  plistDict* level = &root;
  for (int i = 0; i < 20000; ++i) level = level->child("d");
  level->SetString("leaf", "deep hit");
  bool first = false, second = true;
  xmltest::RunWithSmallStack([&] {
    first = doc.Find("deep");
    second = doc.FindNext("deep");
  });
  EXPECT_TRUE(first);
  EXPECT_EQ(doc.foundDict, level);
  EXPECT_FALSE(second);
  xmltest::RunWithSmallStack([&] { doc.ClearSearch(&root); });
  EXPECT_FALSE(level->searched.Value("leaf"));
}

}  // namespace
