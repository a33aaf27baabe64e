// A level's `types`, `values` and `searched` share one table but behave as
// three dictionaries: checked against three separate fw::Dictionary objects
// under random mixes of every changing call, and the child lookup against
// changes of `types` made directly.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/core/Dictionary.h"
#include "plist/plistDict.h"

namespace {

using fw::Dictionary;
using fw::String;

struct Model {
  Dictionary<String> types;
  Dictionary<String> values;
  Dictionary<bool> searched;
};

// `types` must match exactly, order included. `values` and `searched` must
// hold the same keys and values; they enumerate the keys that have a type
// first, in the order of `types`.
template <typename View, typename V>
void ExpectSameAttached(const View& view, const Dictionary<V>& model, const plistDict& node,
                        const std::vector<String>& keySpace) {
  ASSERT_EQ(view.Count(), model.Count());
  for (const String& k : keySpace) {
    ASSERT_EQ(view.HasKey(k), model.HasKey(k)) << k;
    if (model.HasKey(k)) {
      ASSERT_EQ(view.Value(k), model.Value(k)) << k;
    } else {
      ASSERT_THROW(view.Value(k), fw::KeyNotFoundException) << k;
    }
  }
  std::map<String, V> listed;
  std::vector<String> typedInOrder;
  bool pastTyped = false;
  for (std::int32_t i = 0; i < view.Count(); ++i) {
    const String& k = view.Key(i);
    listed[k] = view.ValueAt(i);
    if (node.types.HasKey(k)) {
      ASSERT_FALSE(pastTyped) << "typed key " << k << " after an untyped one";
      typedInOrder.push_back(k);
    } else {
      pastTyped = true;
    }
  }
  ASSERT_EQ(listed.size(), static_cast<std::size_t>(model.Count()));
  for (const auto& [k, v] : listed) ASSERT_EQ(v, model.Value(k)) << k;
  std::vector<String> expectedOrder;
  for (std::int32_t i = 0; i < node.types.Count(); ++i) {
    if (model.HasKey(node.types.Key(i))) expectedOrder.push_back(node.types.Key(i));
  }
  ASSERT_EQ(typedInOrder, expectedOrder);
  ASSERT_THROW(view.Key(view.Count()), fw::OutOfBoundsException);
  ASSERT_THROW(view.Key(-1), fw::OutOfBoundsException);
}

void ExpectSame(const plistDict& node, const Model& m, const std::vector<String>& keySpace) {
  ASSERT_EQ(node.types.Count(), m.types.Count());
  for (std::int32_t i = 0; i < m.types.Count(); ++i) {
    ASSERT_EQ(node.types.Key(i), m.types.Key(i)) << i;
    ASSERT_EQ(node.types.ValueAt(i), m.types.ValueAt(i)) << i;
  }
  for (const String& k : keySpace) {
    ASSERT_EQ(node.types.Lookup(k, "-"), m.types.Lookup(k, "-")) << k;
  }
  ExpectSameAttached(node.values, m.values, node, keySpace);
  ExpectSameAttached(node.searched, m.searched, node, keySpace);
}

TEST(EntryViews, RandomChangesMatchThreeDictionaries) {
  const std::vector<String> typeNames = {"string", "integer", "dict",   "array",
                                         "data",   "custom",  "x-other"};
  std::mt19937 rng(2026);
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    plistDict node;
    Model m;
    const int keySpaceSize = 3 + round % 10;
    std::vector<String> keySpace;
    for (int i = 0; i < keySpaceSize; ++i) keySpace.push_back("k" + std::to_string(i));
    keySpace.push_back("");  // the empty key is a key like any other
    for (int step = 0; step < 400; ++step) {
      const String& k = keySpace[rng() % keySpace.size()];
      const String value = "v" + std::to_string(step);
      switch (rng() % 10) {
        case 0:
        case 1: {
          const String& t = typeNames[rng() % typeNames.size()];
          node.types.SetValue(k, t);
          m.types.SetValue(k, t);
          break;
        }
        case 2:
          node.types.Remove(k);
          m.types.Remove(k);
          break;
        case 3:
        case 4:
          node.values.SetValue(k, value);
          m.values.SetValue(k, value);
          break;
        case 5:
          node.values.Remove(k);
          m.values.Remove(k);
          break;
        case 6: {
          const bool mark = rng() % 2 == 0;
          node.searched.SetValue(k, mark);
          m.searched.SetValue(k, mark);
          break;
        }
        case 7:
          node.searched.Remove(k);
          m.searched.Remove(k);
          break;
        case 8:
          if (String* v = node.values.Find(k)) {  // writable in place
            *v += "!";
            *m.values.Find(k) += "!";
          }
          break;
        default:
          switch (rng() % 6) {
            case 0:
              node.types.Clear();
              m.types.Clear();
              break;
            case 1:
              node.values.Clear();
              m.values.Clear();
              break;
            case 2:
              node.searched.Clear();
              m.searched.Clear();
              break;
            default:
              break;  // a read-only step: the comparison below walks the views
          }
      }
      ASSERT_NO_FATAL_FAILURE(ExpectSame(node, m, keySpace)) << "after step " << step;
    }
  }
}

// A wide level whose values lack keys of `types` (its child levels): the
// values still enumerate in the key order, by stepping through them.
TEST(EntryViews, ValuesOfAWideLevelWithChildLevels) {
  plistDict node;
  for (int i = 0; i < 3000; ++i) {
    const String k = "k" + std::to_string(i);
    if (i % 4 == 0) {
      node.AddChild(k);
    } else {
      node.SetString(k, "v" + std::to_string(i));
    }
  }
  ASSERT_EQ(node.values.Count(), 2250);
  ASSERT_EQ(node.searched.Count(), 3000);
  std::int32_t expected = 0;
  for (int i = 0; i < 3000; ++i) {
    if (i % 4 == 0) continue;
    ASSERT_EQ(node.values.Key(expected), "k" + std::to_string(i));
    ASSERT_EQ(node.values.ValueAt(expected), "v" + std::to_string(i));
    ++expected;
  }
  // Backwards, and after a change, the answers stay the same.
  node.values.Remove("k1");
  EXPECT_EQ(node.values.Key(0), "k2");
  EXPECT_EQ(node.values.Key(2248), "k2999");
  EXPECT_EQ(node.values.Key(1), "k3");
}

// The child list does not depend on `types`: a level stays reachable by its
// key while `types` loses and regains the key, or is cleared.
TEST(EntryViews, ChildLookupOutlivesChangesOfTypes) {
  plistDict node;
  plistDict* x = node.child("x");
  plistDict* y = node.child("y");
  ASSERT_NE(x, nullptr);
  node.types.Remove("x");
  EXPECT_FALSE(node.Exists("x"));
  EXPECT_EQ(node.child("x"), x);
  node.types.SetValue("x", "dict");
  EXPECT_EQ(node.child("x"), x);
  node.types.Clear();
  EXPECT_EQ(node.count(), 0);
  EXPECT_EQ(node.child("x"), x);
  EXPECT_EQ(node.child("y"), y);
  node.types.SetValue("y", "array");
  EXPECT_EQ(node.child("y"), y);
  EXPECT_EQ(node.GetType("y"), "array");
}

}  // namespace
