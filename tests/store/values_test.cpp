// Typed reads and writes: what each setter stores, what each getter returns
// and stores, every message, and the error state each leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "framework/core/Date.h"
#include "framework/core/Text.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "support/StoreFixture.h"

using storetest::Cleared;
using storetest::ErrorOutcome;
using storetest::Kept;
using storetest::KeyOrder;
using storetest::MsgBoxRecorder;
using storetest::ProbeDict;
using storetest::Set;
using storetest::StoreTest;

using Strings = std::vector<std::string>;

// Puts an entry of the named kind under "k" (and, for levels, a child node).
void Seed(plistDict& level, const std::string& kind) {
  if (kind == "string") level.SetString("k", "text");
  if (kind == "integer") level.SetInteger("k", 7);
  if (kind == "real") level.SetReal("k", 1.5);
  if (kind == "boolean") level.SetBoolean("k", true);
  if (kind == "date") level.SetDate("k", fw::Date(2010, 3, 5, 9, 7, 30));
  if (kind == "data") level.SetData("k", "bytes");
  if (kind == "dict") level.AddChild("k");
  if (kind == "array") level.AddArray("k");
  if (kind == "double") {  // only an array append makes "double"; mimic one
    level.types.SetValue("k", "double");
    level.values.SetValue("k", "2.5");
  }
}

// ---- Setters --------------------------------------------------------------------

struct StoreCase {
  const char* name;
  std::function<void(plistDict&)> set;
  const char* type;
  const char* text;
};

TEST_F(StoreTest, SettersStoreTypeTextAndClearSearchMark) {
  const StoreCase cases[] = {
      {"SetString", [](plistDict& d) { d.SetString("k", "a <b> &amp;"); }, "string", "a <b> &amp;"},
      {"SetData", [](plistDict& d) { d.SetData("k", "AAEC"); }, "data", "AAEC"},
      {"SetInteger", [](plistDict& d) { d.SetInteger("k", 3128); }, "integer", "3128"},
      {"SetInteger negative", [](plistDict& d) { d.SetInteger("k", -42); }, "integer", "-42"},
      {"SetInteger rounds half away", [](plistDict& d) { d.SetInteger("k", 2.5); }, "integer", "3"},
      {"SetInteger rounds negative half away", [](plistDict& d) { d.SetInteger("k", -2.5); },
       "integer", "-3"},
      {"SetInteger beyond Int32", [](plistDict& d) { d.SetInteger("k", 1e10); }, "integer",
       "10000000000"},
      {"SetDouble", [](plistDict& d) { d.SetDouble("k", 1.5); }, "real", "1.5"},
      {"SetReal", [](plistDict& d) { d.SetReal("k", -0.25); }, "real", "-0.25"},
      {"SetBoolean true", [](plistDict& d) { d.SetBoolean("k", true); }, "boolean", "true"},
      {"SetBoolean false", [](plistDict& d) { d.SetBoolean("k", false); }, "boolean", "false"},
      {"SetDate", [](plistDict& d) { d.SetDate("k", fw::Date(2010, 3, 5, 9, 7, 30)); }, "date",
       "2010-03-05T09:07:30Z"},
      {"SetDate year unpadded",
       [](plistDict& d) { d.SetDate("k", fw::Date(987, 12, 31, 23, 59, 1)); }, "date",
       "987-12-31T23:59:01Z"},
  };
  for (const StoreCase& c : cases) {
    SCOPED_TRACE(c.name);
    plist fresh;
    plistDict& level = *fresh.root;
    level.searched.SetValue("k", true);
    c.set(level);
    EXPECT_EQ(level.GetType("k"), c.type);
    ASSERT_TRUE(level.values.HasKey("k"));
    EXPECT_EQ(level.values.Value("k"), c.text);
    EXPECT_FALSE(level.searched.Value("k"));
    EXPECT_EQ(level.count(), 1);
  }
}

TEST_F(StoreTest, SettersOnArrayLevelAddUnderAnyKeyWithoutTouchingIndexOf) {
  plistDict& a = MakeArray("a", {"x"});
  EXPECT_EQ(a.indexOf, 0);
  a.SetString("5", "out of sequence");
  a.SetInteger("1", 1);
  EXPECT_EQ(a.indexOf, 0);
  EXPECT_EQ(KeyOrder(a), (Strings{"0", "5", "1"}));
  a.SetBoolean("2", true);
  EXPECT_EQ(a.indexOf, -1);
}

TEST_F(StoreTest, ReplacingKeepsPlaceAndCount) {
  root().SetString("a", "1");
  root().SetInteger("b", 2);
  root().SetReal("c", 3);
  root().SetString("a", "one");
  root().SetInteger("b", 20);
  root().SetDouble("c", 30);  // SetDouble and SetReal share "real"
  root().SetReal("c", 31);
  EXPECT_EQ(KeyOrder(root()), (Strings{"a", "b", "c"}));
  EXPECT_EQ(root().count(), 3);
  EXPECT_EQ(root().GetString("a"), "one");
  EXPECT_EQ(root().GetInteger("b"), 20);
  EXPECT_EQ(root().GetType("c"), "real");
  EXPECT_EQ(root().GetReal("c"), 31.0);
}

struct MismatchCase {
  const char* existing;
  const char* setter;
  std::function<void(plistDict&)> set;
};

TEST_F(StoreTest, TypedSetterRefusesEntryOfAnotherType) {
  const MismatchCase cases[] = {
      {"integer", "SetString", [](plistDict& d) { d.SetString("k", "x"); }},
      {"string", "SetInteger", [](plistDict& d) { d.SetInteger("k", 1); }},
      {"double", "SetDouble", [](plistDict& d) { d.SetDouble("k", 1); }},
      {"double", "SetReal", [](plistDict& d) { d.SetReal("k", 1); }},
      {"integer", "SetBoolean", [](plistDict& d) { d.SetBoolean("k", false); }},
      {"string", "SetDate", [](plistDict& d) { d.SetDate("k", fw::Date(2000, 1, 1)); }},
      {"data", "SetString", [](plistDict& d) { d.SetString("k", "x"); }},
      {"dict", "SetString", [](plistDict& d) { d.SetString("k", "x"); }},
      {"array", "SetInteger", [](plistDict& d) { d.SetInteger("k", 1); }},
      {"boolean", "SetReal", [](plistDict& d) { d.SetReal("k", 1); }},
  };
  for (const MismatchCase& c : cases) {
    SCOPED_TRACE(std::string(c.setter) + " on " + c.existing);
    plist fresh;
    plistDict& level = *fresh.root;
    Seed(level, c.existing);
    const std::string textBefore = level.values.Lookup("k", "<none>");
    level.indexOf = 4;
    c.set(level);
    EXPECT_TRUE(fresh.error);
    EXPECT_EQ(fresh.errorMessage, std::string("Type Mismatch: k is a ") + c.existing);
    EXPECT_EQ(level.GetType("k"), c.existing);
    EXPECT_EQ(level.values.Lookup("k", "<none>"), textBefore);
    EXPECT_EQ(level.indexOf, std::string(c.setter) == "SetBoolean" ? -1 : 4);
  }
}

TEST_F(StoreTest, SetterOnLevelEntryKeepsTheChildNode) {
  root().child("k")->SetString("inner", "v");
  root().SetString("k", "x");
  EXPECT_EQ(root().GetType("k"), "dict");
  EXPECT_EQ(root().child("k")->GetString("inner"), "v");
}

TEST_F(StoreTest, SetterSuccessClearsAnEarlierError) {
  SeedError();
  root().SetString("k", "v");
  ExpectOutcome(Cleared());
}

TEST_F(StoreTest, SetDataOverwritesAnyTypeAndLeavesTheError) {
  for (const char* kind : {"integer", "string", "dict", "date"}) {
    SCOPED_TRACE(kind);
    plist fresh;
    plistDict& level = *fresh.root;
    Seed(level, kind);
    fresh.error = true;
    fresh.errorMessage = "earlier";
    level.SetData("k", "new");
    EXPECT_EQ(level.GetType("k"), "data");
    EXPECT_EQ(level.values.Value("k"), "new");
    EXPECT_TRUE(fresh.error);
    EXPECT_EQ(fresh.errorMessage, "earlier");
  }
}

TEST_F(StoreTest, SetDataOverDictLeavesChildListed) {
  root().child("k")->SetString("inner", "v");
  root().SetData("k", "new");
  ASSERT_NE(root().child("k"), nullptr);
  EXPECT_EQ(root().child("k")->GetString("inner"), "v");
  EXPECT_EQ(root().count(), 1);
}

TEST_F(StoreTest, SetDateWithoutDateChangesNothing) {
  root().SetString("s", "x");
  SeedError();
  root().SetDate("k", std::nullopt);
  root().SetDate("s", std::nullopt);
  EXPECT_FALSE(root().Exists("k"));
  EXPECT_EQ(root().GetType("s"), "string");
  ExpectOutcome(Kept());
}

// ---- Getters on missing keys ---------------------------------------------------------

struct MissingCase {
  const char* name;
  std::function<std::string(plistDict&)> get;  // result as text
  const char* result;
  const char* type;
  const char* text;
};

TEST_F(StoreTest, GetterOfMissingKeyStoresDefaultFirst) {
  const MissingCase cases[] = {
      {"GetInteger 3128", [](plistDict& d) { return std::to_string(d.GetInteger("k", 3128)); },
       "3128", "integer", "3128"},
      {"GetInteger", [](plistDict& d) { return std::to_string(d.GetInteger("k")); }, "0", "integer",
       "0"},
      {"GetString", [](plistDict& d) { return d.GetString("k", "dflt"); }, "dflt", "string",
       "dflt"},
      {"GetString one argument", [](plistDict& d) { return d.GetString("k"); }, "", "string", ""},
      {"GetValue", [](plistDict& d) { return d.GetValue("k", "v"); }, "v", "string", "v"},
      {"GetValue one argument", [](plistDict& d) { return d.GetValue("k"); }, "", "string", ""},
      {"GetData stores a string", [](plistDict& d) { return d.GetData("k", "AAEC"); }, "AAEC",
       "string", "AAEC"},
      {"GetData one argument", [](plistDict& d) { return d.GetData("k"); }, "", "string", ""},
      {"GetDouble", [](plistDict& d) { return fw::Str(d.GetDouble("k", 2.5)); }, "2.5", "real",
       "2.5"},
      {"GetDouble one argument", [](plistDict& d) { return fw::Str(d.GetDouble("k")); }, "0",
       "real", "0"},
      {"GetReal", [](plistDict& d) { return fw::Str(d.GetReal("k", -1.25)); }, "-1.25", "real",
       "-1.25"},
      {"GetReal one argument", [](plistDict& d) { return fw::Str(d.GetReal("k")); }, "0", "real",
       "0"},
      {"GetBoolean false", [](plistDict& d) { return d.GetBoolean("k", false) ? "T" : "F"; }, "F",
       "boolean", "false"},
      {"GetBoolean one argument", [](plistDict& d) { return d.GetBoolean("k") ? "T" : "F"; }, "T",
       "boolean", "true"},
      {"GetDate",
       [](plistDict& d) {
         auto v = d.GetDate("k", fw::Date(2010, 3, 5, 9, 7, 30));
         return v ? std::to_string(v->Year()) + "/" + std::to_string(v->Second()) : "nil";
       },
       "2010/30", "date", "2010-03-05T09:07:30Z"},
  };
  for (const MissingCase& c : cases) {
    SCOPED_TRACE(c.name);
    plist fresh;
    plistDict& level = *fresh.root;
    level.SetString("before", "x");
    fresh.error = true;
    fresh.errorMessage = "earlier";
    level.indexOf = 3;
    EXPECT_EQ(c.get(level), c.result);
    EXPECT_EQ(level.GetType("k"), c.type);
    EXPECT_EQ(level.values.Lookup("k", "<none>"), c.text);
    EXPECT_FALSE(level.searched.Value("k"));
    EXPECT_EQ(level.count(), 2);
    EXPECT_EQ(level.types.Key(1), "k");  // joins the end of the key order
    EXPECT_FALSE(fresh.error);
    EXPECT_EQ(fresh.errorMessage, "");
    const bool boolean = std::string(c.type) == "boolean";
    EXPECT_EQ(level.indexOf, boolean ? -1 : 3);
  }
}

TEST_F(StoreTest, GetDateOfMissingKeyWithoutDefaultStoresToday) {
  const fw::Date before;
  std::optional<fw::Date> got = root().GetDate("k");
  const fw::Date after;
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(root().GetType("k"), "date");
  EXPECT_TRUE(before.Year() <= got->Year() && got->Year() <= after.Year());
  EXPECT_FALSE(doc.error);
}

// ---- Getters on existing entries ------------------------------------------------------

struct ReadCase {
  const char* kind;  // entry seeded with Seed()
  const char* getter;
  std::function<std::string(plistDict&)> get;
  const char* result;
  ErrorOutcome outcome;
};

std::string DateFields(const std::optional<fw::Date>& d) {
  if (!d) return "nil";
  return std::to_string(d->Year()) + "-" + std::to_string(d->Month()) + "-" +
         std::to_string(d->Day()) + " " + std::to_string(d->Hour()) + ":" +
         std::to_string(d->Minute()) + ":" + std::to_string(d->Second());
}

TEST_F(StoreTest, GettersOfExistingEntries) {
  auto integer = [](plistDict& d) { return std::to_string(d.GetInteger("k", 99)); };
  auto dbl = [](plistDict& d) { return fw::Str(d.GetDouble("k", 99)); };
  auto real = [](plistDict& d) { return fw::Str(d.GetReal("k", 99)); };
  auto value = [](plistDict& d) { return d.GetValue("k", "dflt"); };
  auto string = [](plistDict& d) { return d.GetString("k"); };
  auto data = [](plistDict& d) { return d.GetData("k", "dflt"); };
  auto boolean = [](plistDict& d) { return std::string(d.GetBoolean("k", false) ? "T" : "F"); };
  auto date = [](plistDict& d) { return DateFields(d.GetDate("k", fw::Date(1999, 1, 1))); };
  const ReadCase cases[] = {
      {"integer", "GetInteger", integer, "7", Cleared()},
      {"integer", "GetDouble", dbl, "7", Cleared()},
      {"real", "GetReal", real, "1.5", Cleared()},
      {"real", "GetInteger", integer, "1", Cleared()},
      {"double", "GetDouble", dbl, "2.5", Cleared()},
      {"string", "GetString", string, "text", Cleared()},
      {"string", "GetInteger", integer, "0", Cleared()},
      {"data", "GetData", data, "bytes", Cleared()},
      {"date", "GetValue", value, "2010-03-05T09:07:30Z", Cleared()},
      {"boolean", "GetValue", value, "true", Cleared()},
      {"boolean", "GetInteger", integer, "0", Cleared()},
      {"dict", "GetValue", value, "", Set("Key k does not exist")},
      {"dict", "GetString", string, "", Set("Key k does not exist")},
      {"array", "GetData", data, "", Set("Key k does not exist")},
      {"array", "GetInteger", integer, "0", Set("Illegal Type: k is a array")},
      {"dict", "GetDouble", dbl, "0", Set("Illegal Type: k is a dict")},
      {"array", "GetReal", real, "0", Set("Illegal Type: k is a array")},
      {"array", "GetDate", date, "nil", Set("Illegal Type: k is a array")},
      {"date", "GetInteger", integer, "-1", Set("Type Mismatch: k is a date")},
      {"date", "GetDouble", dbl, "-1", Set("Type Mismatch: k is a date")},
      {"date", "GetReal", real, "-1", Set("Type Mismatch: k is a date")},
      {"date", "GetDate", date, "2010-3-5 9:7:30", Cleared()},
      {"boolean", "GetBoolean", boolean, "T", storetest::Kept()},
      {"string", "GetBoolean", boolean, "F", Set("Type Mismatch: k is a string")},
      {"integer", "GetBoolean", boolean, "F", Set("Type Mismatch: k is a integer")},
      {"dict", "GetBoolean", boolean, "F", Set("Type Mismatch: k is a dict")},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(std::string(c.getter) + " of " + c.kind);
    plist fresh;
    plistDict& level = *fresh.root;
    Seed(level, c.kind);
    fresh.error = true;
    fresh.errorMessage = storetest::kEarlier;
    EXPECT_EQ(c.get(level), c.result);
    EXPECT_EQ(level.count(), 1);
    EXPECT_EQ(level.GetType("k"), c.kind);
    switch (c.outcome.kind) {
      case ErrorOutcome::kCleared:
        EXPECT_FALSE(fresh.error);
        EXPECT_EQ(fresh.errorMessage, "");
        break;
      case ErrorOutcome::kKept:
        EXPECT_TRUE(fresh.error);
        EXPECT_EQ(fresh.errorMessage, storetest::kEarlier);
        break;
      case ErrorOutcome::kSet:
        EXPECT_TRUE(fresh.error);
        EXPECT_EQ(fresh.errorMessage, c.outcome.message);
        break;
    }
  }
}

TEST_F(StoreTest, GetBooleanReadsOnlyTheExactTextTrue) {
  root().types.SetValue("k", "boolean");
  for (const char* text : {"True", "TRUE", "1", "yes", ""}) {
    root().values.SetValue("k", text);
    EXPECT_FALSE(root().GetBoolean("k")) << text;
  }
  root().values.SetValue("k", "true");
  EXPECT_TRUE(root().GetBoolean("k", false));
}

TEST_F(StoreTest, IntegerReadUsesTheOneConversionRule) {
  struct Case {
    const char* text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"42", 42},
      {"2.9", 2},
      {"-2.9", -2},
      {"1e12", std::numeric_limits<std::int32_t>::max()},
      {"-1e12", std::numeric_limits<std::int32_t>::min()},
      {"nan", 0},
      {"abc", 0},
  };
  for (const Case& c : cases) {
    root().types.SetValue("k", "string");
    root().values.SetValue("k", c.text);
    EXPECT_EQ(root().GetInteger("k"), c.expected) << c.text;
  }
}

TEST_F(StoreTest, NumbersWrittenReadBackExactly) {
  const double reals[] = {0.1, -2.5e-10, 1e300, 123456.789, -0.0, 3.0};
  for (double v : reals) {
    root().SetReal("r", v);
    EXPECT_EQ(root().GetReal("r"), v) << root().GetString("r");
    root().SetDouble("d", v);
    EXPECT_EQ(root().GetDouble("d"), v);
  }
  const std::int32_t ints[] = {0, 1, -1, 2147483647, -2147483647 - 1, 3128};
  for (std::int32_t v : ints) {
    root().SetInteger("i", v);
    EXPECT_EQ(root().GetInteger("i"), v);
  }
}

TEST_F(StoreTest, IllegalTypeOfDictWithValueText) {
  root().AddChild("k");
  root().values.SetValue("k", "stray");  // a level can carry a text only from a file
  EXPECT_EQ(root().GetValue("k"), "");
  EXPECT_EQ(doc.errorMessage, "Illegal Type: k is a dict");
}

TEST_F(StoreTest, LeafWithoutValueTextDoesNotExistForGetValue) {
  root().types.SetValue("k", "string");  // a value a file never closed
  EXPECT_EQ(root().GetValue("k"), "");
  EXPECT_EQ(doc.errorMessage, "Key k does not exist");
}

// ---- Dates ---------------------------------------------------------------------------

TEST_F(StoreTest, GetDateReadsDateAndTimeParts) {
  struct Case {
    const char* text;
    const char* fields;  // "" when the time is ParseDate's own
  };
  const Case cases[] = {
      {"2010-03-05T09:07:30Z", "2010-3-5 9:7:30"},
      {"2010-03-05T09:07:30", "2010-3-5 9:7:30"},  // no Z
      {"0987-12-31T23:59:59Z", "987-12-31 23:59:59"},
      {"2010-03-05", "2010-3-5 0:0:0"},  // no T: ParseDate's midnight
      {"2010-03-05T10", "2010-3-5 10:0:0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    root().types.SetValue("k", "date");
    root().values.SetValue("k", c.text);
    SeedError();
    EXPECT_EQ(DateFields(root().GetDate("k")), c.fields);
    ExpectOutcome(Cleared());
  }
}

TEST_F(StoreTest, GetDateOfStringHoldingDateReadsIt) {
  root().SetString("k", "2001-02-03T04:05:06Z");
  EXPECT_EQ(DateFields(root().GetDate("k")), "2001-2-3 4:5:6");
}

TEST_F(StoreTest, GetDateOfUnreadableTextRecordsItAndReturnsToday) {
  root().SetString("k", "abc");
  const fw::Date before;
  std::optional<fw::Date> got = root().GetDate("k");
  const fw::Date after;
  ExpectOutcome(Set("Could not create date object from k(abc)"));
  ASSERT_TRUE(got.has_value());  // the date ParseDate left untouched: now
  EXPECT_TRUE(before.Year() <= got->Year() && got->Year() <= after.Year());
  root().SetString("m", "2010-13-05T01:02:03Z");
  root().GetDate("m");
  ExpectOutcome(Set("Could not create date object from m(2010-13-05T01:02:03Z)"));
}

TEST_F(StoreTest, DateTextRoundTrips) {
  const fw::Date dates[] = {fw::Date(2010, 3, 5, 9, 7, 30), fw::Date(987, 1, 1, 0, 0, 0),
                            fw::Date(2024, 2, 29, 23, 59, 59)};
  for (const fw::Date& d : dates) {
    root().SetDate("k", d);
    std::optional<fw::Date> back = root().GetDate("k");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, d) << root().GetString("k");
  }
}

TEST(TypedHelpers, MakeTwoPadsBelowTen) {
  ProbeDict node;
  struct Case {
    std::int32_t n;
    const char* text;
  };
  const Case cases[] = {{0, "00"}, {9, "09"}, {10, "10"}, {59, "59"}, {123, "123"}, {-1, "0-1"}};
  for (const Case& c : cases) EXPECT_EQ(node.MakeTwo(c.n), c.text) << c.n;
}

TEST(TypedHelpers, CheckTypeAndTypeOK) {
  plist doc;
  ProbeDict node;
  node.AttachTo(doc);
  node.SetString("s", "x");
  node.AddChild("d");
  node.AddArray("a");
  doc.error = true;
  EXPECT_EQ(node.CheckType("new", "string"), 2);
  EXPECT_FALSE(doc.error);
  EXPECT_EQ(node.CheckType("s", "string"), 1);
  EXPECT_EQ(node.CheckType("s", "String"), 0);  // type names are case-sensitive
  EXPECT_EQ(doc.errorMessage, "Type Mismatch: s is a string");
  doc.error = false;
  doc.errorMessage = "";
  EXPECT_TRUE(node.TypeOK("s"));
  EXPECT_FALSE(doc.error);  // TypeOK neither clears nor records on success
  EXPECT_FALSE(node.TypeOK("d"));
  EXPECT_EQ(doc.errorMessage, "Illegal Type: d is a dict");
  EXPECT_FALSE(node.TypeOK("a"));
  EXPECT_EQ(doc.errorMessage, "Illegal Type: a is a array");
}

TEST_F(StoreTest, DebugShowsEachRecordedMessage) {
  MsgBoxRecorder boxes;
  doc.debug = true;
  root().SetInteger("n", 1);
  root().SetString("n", "x");
  root().GetBoolean("n");
  root().AddChild("d");
  root().GetValue("d");
  EXPECT_EQ(boxes.shown, (Strings{"Type Mismatch: n is a integer", "Type Mismatch: n is a integer",
                                  "Key d does not exist"}));
}

TEST(TypedFreeStanding, SameResultsWithoutADocument) {
  MsgBoxRecorder boxes;
  plistDict node;
  EXPECT_EQ(node.GetInteger("port", 3128), 3128);
  node.AddArray("a");
  EXPECT_EQ(node.GetInteger("a"), 0);
  node.SetDate("d", fw::Date(2010, 3, 5));
  EXPECT_EQ(node.GetInteger("d"), -1);
  EXPECT_EQ(node.GetValue("a"), "");
  EXPECT_TRUE(boxes.shown.empty());
}
