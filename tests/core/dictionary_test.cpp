#include "framework/core/Dictionary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using fw::Dictionary;
using fw::String;

// The order of keys as Key(0) .. Key(Count() - 1) gives it.
std::vector<String> KeysOf(const Dictionary<int>& d) {
  std::vector<String> keys;
  for (std::int32_t i = 0; i < d.Count(); ++i) keys.push_back(d.Key(i));
  return keys;
}

// A plain, obviously correct ordered map to compare against.
struct Reference {
  std::vector<std::pair<String, int>> entries;
  void Set(const String& k, int v) {
    for (auto& e : entries)
      if (e.first == k) {
        e.second = v;
        return;
      }
    entries.emplace_back(k, v);
  }
  void Remove(const String& k) {
    std::erase_if(entries, [&](const auto& e) { return e.first == k; });
  }
};

struct Op {
  char kind;  // 's' set, 'r' remove
  const char* key;
  int value;
};

struct OrderCase {
  const char* name;
  std::vector<Op> ops;
  std::vector<String> keys;
  std::vector<int> values;
};

TEST(DictionaryTest, OrderAfterSequencesOfSetAndRemove) {
  const OrderCase cases[] = {
      {"empty", {}, {}, {}},
      {"insertion order",
       {{'s', "b", 1}, {'s', "a", 2}, {'s', "c", 3}},
       {"b", "a", "c"},
       {1, 2, 3}},
      {"replace keeps place", {{'s', "b", 1}, {'s', "a", 2}, {'s', "b", 9}}, {"b", "a"}, {9, 2}},
      {"case sensitive keys", {{'s', "k", 1}, {'s', "K", 2}}, {"k", "K"}, {1, 2}},
      {"empty key is a key", {{'s', "", 1}, {'s', "x", 2}}, {"", "x"}, {1, 2}},
      {"remove middle keeps others",
       {{'s', "a", 1}, {'s', "b", 2}, {'s', "c", 3}, {'r', "b", 0}},
       {"a", "c"},
       {1, 3}},
      {"remove first", {{'s', "a", 1}, {'s', "b", 2}, {'r', "a", 0}}, {"b"}, {2}},
      {"remove last", {{'s', "a", 1}, {'s', "b", 2}, {'r', "b", 0}}, {"a"}, {1}},
      {"remove missing changes nothing", {{'s', "a", 1}, {'r', "z", 0}}, {"a"}, {1}},
      {"re-added key goes to the end",
       {{'s', "a", 1}, {'s', "b", 2}, {'r', "a", 0}, {'s', "a", 3}},
       {"b", "a"},
       {2, 3}},
      {"remove middle then last",
       {{'s', "a", 1}, {'s', "b", 2}, {'s', "c", 3}, {'r', "b", 0}, {'r', "c", 0}},
       {"a"},
       {1}},
      {"remove all", {{'s', "a", 1}, {'s', "b", 2}, {'r', "a", 0}, {'r', "b", 0}}, {}, {}},
      {"bytes not normalised",
       {{'s', "caf\xC3\xA9", 1}, {'s', "cafe\xCC\x81", 2}},
       {"caf\xC3\xA9", "cafe\xCC\x81"},
       {1, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dictionary<int> d;
    for (const auto& op : c.ops) {
      if (op.kind == 's')
        d.SetValue(op.key, op.value);
      else
        d.Remove(op.key);
    }
    EXPECT_EQ(KeysOf(d), c.keys);
    ASSERT_EQ(d.Count(), static_cast<std::int32_t>(c.keys.size()));
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
      EXPECT_TRUE(d.HasKey(c.keys[i]));
      EXPECT_EQ(d.Value(c.keys[i]), c.values[i]);
    }
  }
}

TEST(DictionaryTest, MissingKeyAndBadPosition) {
  Dictionary<String> d;
  d.SetValue("a", "1");
  EXPECT_FALSE(d.HasKey("b"));
  EXPECT_THROW((void)d.Value("b"), fw::KeyNotFoundException);
  EXPECT_EQ(d.Lookup("b", "dflt"), "dflt");
  EXPECT_EQ(d.Lookup("a", "dflt"), "1");
  EXPECT_EQ(d.Find("b"), nullptr);
  ASSERT_NE(d.Find("a"), nullptr);
  EXPECT_EQ(*d.Find("a"), "1");
  for (std::int32_t bad : {-1, 1, 2, -2147483647 - 1, 2147483647}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW((void)d.Key(bad), fw::OutOfBoundsException);
  }
  d.Remove("a");
  EXPECT_THROW((void)d.Key(0), fw::OutOfBoundsException);
}

TEST(DictionaryTest, FindGivesWritableValue) {
  Dictionary<String> d;
  d.SetValue("a", "1");
  *d.Find("a") = "2";
  EXPECT_EQ(d.Value("a"), "2");
}

TEST(DictionaryTest, CopiesAreIndependent) {
  Dictionary<int> d;
  d.SetValue("a", 1);
  d.SetValue("b", 2);
  d.SetValue("c", 3);
  d.Remove("a");  // leaves a hole inside d
  Dictionary<int> copy = d;
  copy.SetValue("d", 4);
  copy.Remove("b");
  EXPECT_EQ(KeysOf(d), (std::vector<String>{"b", "c"}));
  EXPECT_EQ(KeysOf(copy), (std::vector<String>{"c", "d"}));
  d.Clear();
  EXPECT_EQ(d.Count(), 0);
  EXPECT_FALSE(d.HasKey("b"));
  EXPECT_EQ(copy.Value("c"), 3);
}

// The way an array level removes element n: each later key is written over in
// place, then only the last key is removed.
TEST(DictionaryTest, ShiftDownThenRemoveLastKeepsIndexOrder) {
  Dictionary<int> d;
  const int n = 10;
  for (int i = 0; i < n; ++i) d.SetValue(std::to_string(i), i * 10);
  for (int removeAt : {3, 0, 7}) {
    const int last = d.Count() - 1;
    for (int i = removeAt + 1; i <= last; ++i)
      d.SetValue(std::to_string(i - 1), d.Value(std::to_string(i)));
    d.Remove(std::to_string(last));
  }
  std::vector<String> expectKeys;
  for (int i = 0; i < n - 3; ++i) expectKeys.push_back(std::to_string(i));
  EXPECT_EQ(KeysOf(d), expectKeys);
  // 30 goes first, then 0, then 90 (the last at that point).
  std::vector<int> expectValues = {10, 20, 40, 50, 60, 70, 80};
  for (std::size_t i = 0; i < expectValues.size(); ++i)
    EXPECT_EQ(d.Value(std::to_string(i)), expectValues[i]);
}

// Random mixes of set, remove and positional reads against the reference.
TEST(DictionaryTest, RandomOperationsMatchReference) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 24; ++round) {
    Dictionary<int> d;
    Reference ref;
    // Small key spaces keep the table crowded; the last rounds make it grow.
    const int keySpace = round < 20 ? 5 + round * 3 : 500 * (round - 19);
    const int steps = round < 20 ? 600 : 6000;
    for (int step = 0; step < steps; ++step) {
      const String key = "k" + std::to_string(rng() % keySpace);
      switch (rng() % 4) {
        case 0:
        case 1:
          d.SetValue(key, step);
          ref.Set(key, step);
          break;
        case 2:
          d.Remove(key);
          ref.Remove(key);
          break;
        default:
          if (!ref.entries.empty()) {
            const auto pos = rng() % ref.entries.size();
            ASSERT_EQ(d.Key(static_cast<std::int32_t>(pos)), ref.entries[pos].first);
          }
      }
      ASSERT_EQ(d.Count(), static_cast<std::int32_t>(ref.entries.size()));
    }
    for (std::size_t i = 0; i < ref.entries.size(); ++i) {
      ASSERT_EQ(d.Key(static_cast<std::int32_t>(i)), ref.entries[i].first);
      ASSERT_EQ(d.Value(ref.entries[i].first), ref.entries[i].second);
    }
  }
}

// A lookup first tries the key found last and the one after it. These
// sequences put a removed key, the empty key or a renumbered slot there.
struct NearCase {
  const char* name;
  std::vector<Op> ops;  // 'f' looks the key up (value ignored)
  const char* key;
  bool present;
  int value;
};

TEST(DictionaryTest, LookupsNearTheLastOneFound) {
  const NearCase cases[] = {
      {"next key in order", {{'s', "a", 1}, {'s', "b", 2}, {'f', "a", 0}}, "b", true, 2},
      {"same key again", {{'s', "a", 1}, {'s', "b", 2}, {'f', "a", 0}}, "a", true, 1},
      {"removed key after its neighbour",
       {{'s', "a", 1}, {'s', "b", 2}, {'s', "c", 3}, {'f', "a", 0}, {'r', "b", 0}},
       "b",
       false,
       0},
      // A removed slot holds an empty key until compaction.
      {"empty key beside a removed one",
       {{'s', "a", 1}, {'s', "b", 2}, {'f', "a", 0}, {'r', "a", 0}},
       "",
       false,
       0},
      {"empty key present beside a removed one",
       {{'s', "a", 1}, {'s', "", 7}, {'s', "b", 2}, {'f', "a", 0}, {'r', "a", 0}},
       "",
       true,
       7},
      {"last key removed then set again",
       {{'s', "a", 1}, {'s', "b", 2}, {'r', "b", 0}, {'s', "b", 5}},
       "b",
       true,
       5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dictionary<int> d;
    for (const Op& op : c.ops) {
      if (op.kind == 's') d.SetValue(op.key, op.value);
      if (op.kind == 'r') d.Remove(op.key);
      if (op.kind == 'f') d.Find(op.key);
    }
    const int* found = d.Find(c.key);
    ASSERT_EQ(found != nullptr, c.present);
    if (found != nullptr) {
      EXPECT_EQ(*found, c.value);
    }
    EXPECT_EQ(d.HasKey(c.key), c.present);
  }
}

// Walks in key order, the pattern lookups near the last one serve, after
// removals and the compaction that Key(i) does.
TEST(DictionaryTest, OrderedWalksAfterRemovals) {
  Dictionary<int> d;
  for (int i = 0; i < 1000; ++i) d.SetValue("k" + std::to_string(i), i);
  for (int i = 0; i < 1000; i += 3) d.Remove("k" + std::to_string(i));
  for (int pass = 0; pass < 2; ++pass) {  // the first walk compacts
    for (int i = 0; i < 1000; ++i) {
      const String key = "k" + std::to_string(i);
      const int* v = d.Find(key);
      ASSERT_EQ(v != nullptr, i % 3 != 0) << key;
      if (v != nullptr) {
        ASSERT_EQ(*v, i);
      }
    }
    for (std::int32_t i = 0; i < d.Count(); ++i) ASSERT_EQ(d.Value(d.Key(i)), d.ValueAt(i));
  }
}

// Keys of every length around the hash's 8-byte blocks, with any byte value.
TEST(DictionaryTest, KeysOfAnyLengthAndBytes) {
  Dictionary<int> d;
  std::vector<String> keys;
  for (int len = 0; len <= 40; ++len)
    for (int fill : {0, 1, 0x7F, 0x80, 0xFF}) keys.push_back(String(len, static_cast<char>(fill)));
  keys.push_back(String("a\0b", 3));
  keys.push_back(String("a\0c", 3));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (d.HasKey(keys[i])) continue;  // length 0 repeats for every fill
    d.SetValue(keys[i], static_cast<int>(i));
  }
  EXPECT_EQ(d.Count(), static_cast<std::int32_t>(keys.size()) - 4);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    ASSERT_TRUE(d.HasKey(keys[i])) << i;
    if (!keys[i].empty()) {
      EXPECT_EQ(d.Value(keys[i]), static_cast<int>(i));
    }
  }
  EXPECT_FALSE(d.HasKey(String(41, 'x')));
  EXPECT_FALSE(d.HasKey(String("a\0", 2)));
}

TEST(DictionaryTest, ManyKeys) {
  Dictionary<int> d;
  const int n = 100000;
  for (int i = 0; i < n; ++i) d.SetValue(std::to_string(i), i);
  ASSERT_EQ(d.Count(), n);
  // Remove every even key; the odd ones keep their order.
  for (int i = 0; i < n; i += 2) d.Remove(std::to_string(i));
  ASSERT_EQ(d.Count(), n / 2);
  for (int i = 0; i < n / 2; ++i) ASSERT_EQ(d.Key(i), std::to_string(2 * i + 1));
  for (int i = 0; i < n; ++i) ASSERT_EQ(d.HasKey(std::to_string(i)), i % 2 == 1);
}

}  // namespace
