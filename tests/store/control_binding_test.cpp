// Copying window, control and colour states into a level and back, over the
// in-memory controls of the test support.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "plist/plist.h"
#include "plist/plistDict.h"
#include "tests/store/support/FakeControls.h"
#include "tests/store/support/StoreFixture.h"

namespace {

class Binding : public ::testing::Test {
 protected:
  plist doc;
  plistDict& root = *doc.root;

  // An array level under the root.
  plistDict& Array(const fw::String& key = "arr") {
    root.AddArray(key);
    return *root.child(key);
  }

  void ExpectError(const fw::String& message) { storetest::ExpectError(doc, message); }
  void ExpectNoError() { storetest::ExpectNoError(doc); }
  void PlantError() { root.SetError(true, "earlier"); }

  static std::vector<fw::String> Keys(plistDict& level) {
    std::vector<fw::String> keys;
    for (std::int32_t i = 0; i < level.count(); ++i) keys.push_back(level.types.Key(i));
    return keys;
  }
};

// ---- Colours ------------------------------------------------------------------

TEST_F(Binding, ColourIsStoredAsSixUpperCaseHexDigitsRedFirstAndReadBack) {
  struct Case {
    fw::Color colour;
    const char* text;
  };
  const Case cases[] = {
      {fw::RGB(1, 2, 255), "0102FF"},     {fw::RGB(0, 0, 0), "000000"},
      {fw::RGB(255, 255, 255), "FFFFFF"}, {fw::RGB(16, 15, 171), "100FAB"},
      {fw::RGB(200, 0, 9), "C80009"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PlantError();
    root.SetColor("c", c.colour);
    ExpectNoError();
    EXPECT_EQ(root.GetType("c"), "string");
    EXPECT_EQ(root.values.Value("c"), c.text);
    EXPECT_FALSE(root.searched.Value("c"));
    EXPECT_EQ(root.GetColor("c"), c.colour);
    ExpectNoError();
  }
  EXPECT_EQ(root.count(), 1);
}

TEST_F(Binding, ColourTextIsReadInEitherCaseAndAnythingButSixHexDigitsReadsAsBlack) {
  struct Case {
    const char* text;
    fw::Color expected;
  };
  const Case cases[] = {
      {"0102ff", fw::RGB(1, 2, 255)},
      {"0102FF", fw::RGB(1, 2, 255)},
      {"aBcDeF", fw::RGB(171, 205, 239)},
      {"", fw::RGB(0, 0, 0)},
      {"0102F", fw::RGB(0, 0, 0)},
      {"0102FF0", fw::RGB(0, 0, 0)},
      {"GG0000", fw::RGB(0, 0, 0)},
      {"0x0102", fw::RGB(0, 0, 0)},
      {" 0102F", fw::RGB(0, 0, 0)},
      {"#0102F", fw::RGB(0, 0, 0)},
      {"\xE3\x81\x82\x30\x31\x32", fw::RGB(0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    root.SetString("c", c.text);
    PlantError();
    EXPECT_EQ(root.GetColor("c", fw::RGB(9, 9, 9)), c.expected);
    ExpectNoError();
    EXPECT_EQ(root.values.Value("c"), c.text);  // reading never rewrites it
  }
}

TEST_F(Binding, GetColorOfMissingKeyStoresTheDefaultOneArgumentFormBlack) {
  EXPECT_EQ(root.GetColor("c", fw::RGB(1, 2, 3)), fw::RGB(1, 2, 3));
  EXPECT_EQ(root.values.Value("c"), "010203");
  EXPECT_EQ(root.GetType("c"), "string");

  EXPECT_EQ(root.GetColor("k"), fw::RGB(0, 0, 0));
  EXPECT_EQ(root.values.Value("k"), "000000");
  ExpectNoError();
}

TEST_F(Binding, ColourOnEntryOfAnotherTypeIsRefused) {
  root.SetInteger("n", 5);
  root.AddChild("d");
  struct Case {
    const char* key;
    const char* message;
  };
  const Case cases[] = {{"n", "Type Mismatch: n is a integer"},
                        {"d", "Type Mismatch: d is a dict"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(root.GetColor(c.key, fw::RGB(1, 1, 1)), fw::RGB(0, 0, 0));
    ExpectError(c.message);
    root.SetColor(c.key, fw::RGB(1, 1, 1));
    ExpectError(c.message);
  }
  EXPECT_EQ(root.values.Value("n"), "5");
  EXPECT_FALSE(root.values.HasKey("d"));
  EXPECT_EQ(root.count(), 2);
}

TEST_F(Binding, SetColorSetsIndexOfBackOnlyWhenItStores) {
  plistDict& a = Array();
  a.AppendString("x");
  a.AppendInteger(4);
  ASSERT_EQ(a.indexOf, 1);
  a.SetColor("1", fw::RGB(1, 2, 3));  // an integer element: refused
  EXPECT_EQ(a.indexOf, 1);
  a.SetColor("0", fw::RGB(1, 2, 3));  // a string element: replaced
  EXPECT_EQ(a.indexOf, -1);
  EXPECT_EQ(a.values.Value("0"), "010203");
}

TEST_F(Binding, AppendColorAddsAnUnmarkedStringElement) {
  plistDict& a = Array();
  a.AppendColor(fw::RGB(1, 2, 255));
  a.AppendColor(fw::RGB(10, 11, 12));
  ExpectNoError();
  EXPECT_EQ(a.indexOf, 1);
  EXPECT_EQ(a.GetType("1"), "string");
  EXPECT_EQ(a.values.Value("0"), "0102FF");
  EXPECT_EQ(a.values.Value("1"), "0A0B0C");
  EXPECT_FALSE(a.searched.HasKey("0"));
  EXPECT_FALSE(a.searched.HasKey("1"));
}

// ---- Append operations on a dict level ------------------------------------------

TEST_F(Binding, EveryAppendOnADictLevelIsRefused) {
  fake::Window w("t", 1, 2, 3, 4);
  fake::Listbox lb;
  lb.name = "lb";
  lb.AddRow("r");
  fake::PopupMenu pm;
  pm.name = "pm";
  pm.AddRow("r");
  const std::vector<fw::String> items{"a", "b"};
  struct Case {
    const char* what;
    std::function<void(plistDict&)> call;
  };
  const Case cases[] = {
      {"colour", [](plistDict& d) { d.AppendColor(fw::RGB(1, 2, 3)); }},
      {"window", [&](plistDict& d) { d.AppendWindow(w); }},
      {"listbox", [&](plistDict& d) { d.AppendListbox(lb); }},
      {"popup", [&](plistDict& d) { d.AppendPopup(pm); }},
      {"list", [&](plistDict& d) { d.AppendList(items, 0, 1); }},
  };
  root.AddChild("sub");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.call(root);
    ExpectError("root is not an array");
    c.call(*root.child("sub"));
    ExpectError("sub is not an array");
    EXPECT_EQ(root.count(), 1);
    EXPECT_EQ(root.child("sub")->count(), 0);
  }
}

// ---- Windows ------------------------------------------------------------------------

TEST_F(Binding, SetWindowStoresTitleAndBoundsInTheirLayout) {
  fake::Window w("Main", 10, 20, 300, 400);
  PlantError();
  root.SetWindow("win", w);
  ExpectNoError();
  ASSERT_EQ(root.GetType("win"), "dict");
  EXPECT_FALSE(root.searched.Value("win"));
  plistDict& rec = *root.child("win");
  EXPECT_EQ(Keys(rec), (std::vector<fw::String>{"windowName", "WindowPos"}));
  EXPECT_EQ(rec.GetType("windowName"), "string");
  EXPECT_EQ(rec.values.Value("windowName"), "Main");
  ASSERT_EQ(rec.GetType("WindowPos"), "dict");
  plistDict& pos = *rec.child("WindowPos");
  EXPECT_EQ(Keys(pos), (std::vector<fw::String>{"left", "top", "width", "height"}));
  const char* texts[] = {"10", "20", "300", "400"};
  for (std::int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(pos.GetType(pos.types.Key(i)), "integer");
    EXPECT_EQ(pos.values.Value(pos.types.Key(i)), texts[i]);
  }
}

TEST_F(Binding, SetWindowTwiceUpdatesTheSameRecordInPlace) {
  fake::Window w("One", 1, 2, 3, 4);
  root.SetWindow("win", w);
  root.child("win")->SetString("extra", "kept");
  w = fake::Window("Two", -5, 6, 7, 8);
  root.SetWindow("win", w);
  plistDict& rec = *root.child("win");
  EXPECT_EQ(root.count(), 1);
  EXPECT_EQ(Keys(rec), (std::vector<fw::String>{"windowName", "WindowPos", "extra"}));
  EXPECT_EQ(rec.GetString("windowName"), "Two");
  EXPECT_EQ(rec.child("WindowPos")->GetInteger("left"), -5);
  EXPECT_EQ(rec.child("WindowPos")->count(), 4);
}

TEST_F(Binding, GetWindowOfMissingKeyStoresTheWindowAndLeavesItAsItWas) {
  fake::Window w("Main", 10, 20, 300, 400);
  root.GetWindow("win", w);
  ExpectNoError();
  EXPECT_EQ(w.title, "Main");
  EXPECT_EQ(w.left, 10);
  EXPECT_EQ(w.top, 20);
  EXPECT_EQ(w.width, 300);
  EXPECT_EQ(w.height, 400);
  EXPECT_EQ(root.child("win")->child("WindowPos")->GetInteger("height"), 400);
}

TEST_F(Binding, GetWindowRestoresTitleAndBounds) {
  fake::Window stored("Saved", 11, 22, 333, 444);
  root.SetWindow("win", stored);
  fake::Window w("Other", 0, 0, 1, 1);
  root.GetWindow("win", w);
  EXPECT_EQ(w.title, "Saved");
  EXPECT_EQ(w.left, 11);
  EXPECT_EQ(w.top, 22);
  EXPECT_EQ(w.width, 333);
  EXPECT_EQ(w.height, 444);
}

TEST_F(Binding, GetWindowOfIncompleteRecordAssignsAndStoresTheReadDefaults) {
  root.AddChild("win");
  root.child("win")->SetString("windowName", "Only a title");
  fake::Window w("x", 5, 5, 5, 5);
  root.GetWindow("win", w);
  EXPECT_EQ(w.title, "Only a title");
  EXPECT_EQ(w.left, 0);
  EXPECT_EQ(w.height, 0);
  plistDict& pos = *root.child("win")->child("WindowPos");
  EXPECT_EQ(Keys(pos), (std::vector<fw::String>{"left", "top", "width", "height"}));
  EXPECT_EQ(pos.values.Value("width"), "0");
}

TEST_F(Binding, WindowOnALeafKeyChangesNothing) {
  root.SetString("win", "text");
  fake::Window w("Main", 1, 2, 3, 4);
  root.SetWindow("win", w);
  ExpectError("Child exists: win already exists");
  root.GetWindow("win", w);
  ExpectError("Child exists: win already exists");
  EXPECT_EQ(w.title, "Main");
  EXPECT_EQ(w.left, 1);
  EXPECT_EQ(root.count(), 1);
  EXPECT_EQ(root.GetType("win"), "string");
  EXPECT_EQ(root.values.Value("win"), "text");
}

TEST_F(Binding, AppendWindowAddsNumberedRecords) {
  plistDict& a = Array();
  a.AppendWindow(fake::Window("A", 1, 2, 3, 4));
  a.AppendWindow(fake::Window("B", 5, 6, 7, 8));
  ExpectNoError();
  EXPECT_EQ(a.count(), 2);
  EXPECT_EQ(a.indexOf, 1);
  EXPECT_FALSE(a.searched.HasKey("0"));
  ASSERT_NE(a.index(1), nullptr);
  EXPECT_EQ(a.index(0)->GetString("windowName"), "A");
  EXPECT_EQ(a.index(1)->GetString("windowName"), "B");
  EXPECT_EQ(Keys(*a.index(1)->child("WindowPos")),
            (std::vector<fw::String>{"left", "top", "width", "height"}));
  EXPECT_EQ(a.index(1)->child("WindowPos")->GetInteger("height"), 8);
}

// ---- List boxes and popup menus ----------------------------------------------------

fake::Listbox Box(const fw::String& name, std::int32_t index, std::int32_t columns,
                  const std::vector<std::vector<fw::String>>& rows) {
  fake::Listbox lb;
  lb.name = name;
  lb.index = index;
  lb.columns = columns;
  lb.rows = rows;
  return lb;
}

fake::PopupMenu Popup(const fw::String& name, std::int32_t index,
                      const std::vector<fw::String>& rows) {
  fake::PopupMenu pm;
  pm.name = name;
  pm.index = index;
  pm.rows = rows;
  return pm;
}

std::vector<fw::String> Strings(plistDict& array) {
  std::vector<fw::String> out;
  for (std::int32_t i = 0; i < array.count(); ++i) {
    const fw::String k = std::to_string(i);
    EXPECT_EQ(array.GetType(k), "string") << k;
    out.push_back(array.values.Lookup(k, "?"));
  }
  return out;
}

TEST_F(Binding, ListRecordKeyIsNameDotIndex) {
  struct Case {
    const char* name;
    std::int32_t index;
    const char* key;
  };
  const Case cases[] = {
      {"lst", -1, "lst.-1"}, {"lst", 0, "lst.0"}, {"lst", 12, "lst.12"}, {"", 3, ".3"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    root.SetListbox(Box(c.name, c.index, 1, {{"r"}}));
    EXPECT_EQ(root.GetType(c.key), "dict");
    root.SetPopup(Popup(c.name, c.index, {"p"}));  // same key: replaces the record
    EXPECT_EQ(Strings(*root.child(c.key)->child("elements")), (std::vector<fw::String>{"p"}));
  }
  EXPECT_EQ(root.count(), 4);
}

TEST_F(Binding, ListBoxOfSeveralColumnsIsStoredAsArraysOfCells) {
  fake::Listbox lb = Box("lb", 0, 3, {{"a", "b", "c"}, {"d", "e", "f"}});
  lb.selected = 1;
  PlantError();
  root.SetListbox(lb);
  ExpectNoError();
  EXPECT_FALSE(root.searched.Value("lb.0"));
  plistDict& rec = *root.child("lb.0");
  EXPECT_EQ(Keys(rec), (std::vector<fw::String>{"default", "elements"}));
  EXPECT_EQ(rec.values.Value("default"), "d");
  plistDict& el = *rec.child("elements");
  ASSERT_TRUE(el.isArray);
  ASSERT_EQ(el.count(), 2);
  EXPECT_EQ(el.GetType("0"), "array");
  EXPECT_EQ(Strings(*el.index(0)), (std::vector<fw::String>{"a", "b", "c"}));
  EXPECT_EQ(Strings(*el.index(1)), (std::vector<fw::String>{"d", "e", "f"}));
}

TEST_F(Binding, ListBoxOfOneColumnAndPopupAreStoredAsStrings) {
  root.SetListbox(Box("lb", 1, 1, {{"x"}, {"y"}}));
  fake::PopupMenu pm = Popup("pm", -1, {"one", "two", "three", "four"});
  pm.selected = 2;
  root.SetPopup(pm);
  EXPECT_EQ(root.child("lb.1")->values.Value("default"), "");
  EXPECT_EQ(Strings(*root.child("lb.1")->child("elements")), (std::vector<fw::String>{"x", "y"}));
  EXPECT_EQ(root.child("pm.-1")->values.Value("default"), "three");
  EXPECT_EQ(Strings(*root.child("pm.-1")->child("elements")),
            (std::vector<fw::String>{"one", "two", "three", "four"}));
}

TEST_F(Binding, SetListboxReplacesAnOldRecordWhole) {
  root.SetListbox(Box("lb", 0, 1, {{"a"}, {"b"}, {"c"}}));
  root.child("lb.0")->SetString("extra", "gone");
  root.SetListbox(Box("lb", 0, 1, {{"z"}}));
  plistDict& rec = *root.child("lb.0");
  EXPECT_EQ(Keys(rec), (std::vector<fw::String>{"default", "elements"}));
  EXPECT_EQ(Strings(*rec.child("elements")), (std::vector<fw::String>{"z"}));
  root.SetString("pm.0", "a leaf");
  root.SetPopup(Popup("pm", 0, {"p"}));
  EXPECT_EQ(root.GetType("pm.0"), "dict");
}

TEST_F(Binding, GetPopupAddsStoredRowsAndSelectsTheDefaultOnlyWhenAsked) {
  fake::PopupMenu stored = Popup("pm", 2, {"a", "b", "c"});
  stored.selected = 1;
  root.SetPopup(stored);
  for (bool flag : {true, false}) {
    SCOPED_TRACE(flag);
    fake::PopupMenu pm = Popup("pm", 2, {});
    root.GetPopup(pm, flag);
    EXPECT_EQ(pm.rows, (std::vector<fw::String>{"a", "b", "c"}));
    EXPECT_EQ(pm.selected, flag ? 1 : -1);
  }
}

TEST_F(Binding, GetListboxOfOneColumnAddsRowsAndSelectsTheDefault) {
  fake::Listbox stored = Box("lb", 0, 1, {{"a"}, {"b"}, {"c"}});
  stored.selected = 2;
  root.SetListbox(stored);
  fake::Listbox lb = Box("lb", 0, 1, {});
  root.GetListbox(lb, true);
  EXPECT_EQ(lb.rows, (std::vector<std::vector<fw::String>>{{"a"}, {"b"}, {"c"}}));
  EXPECT_EQ(lb.selected, 2);
}

TEST_F(Binding, GetListboxOfSeveralColumnsFillsCellsUpToTheControlsColumns) {
  root.SetListbox(Box("lb", 0, 3, {{"a", "b", "c"}, {"d", "e", "f"}}));
  struct Case {
    std::int32_t columns;
    std::vector<std::vector<fw::String>> rows;
  };
  const Case cases[] = {
      {3, {{"a", "b", "c"}, {"d", "e", "f"}}},
      {2, {{"a", "b"}, {"d", "e"}}},                    // stored columns beyond are skipped
      {4, {{"a", "b", "c", ""}, {"d", "e", "f", ""}}},  // missing ones stay empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.columns);
    fake::Listbox lb = Box("lb", 0, c.columns, {});
    root.GetListbox(lb, false);
    EXPECT_EQ(lb.rows, c.rows);
    EXPECT_EQ(lb.selected, -1);
  }
}

TEST_F(Binding, GetListboxOfSeveralColumnsSelectsTheRowWhoseFirstCellIsTheDefault) {
  fake::Listbox stored = Box("lb", 0, 2, {{"a", "1"}, {"b", "2"}});
  stored.selected = 1;
  root.SetListbox(stored);
  fake::Listbox lb = Box("lb", 0, 2, {});
  root.GetListbox(lb, true);
  EXPECT_EQ(lb.selected, 1);
}

TEST_F(Binding, OneColumnRecordReadIntoSeveralColumnsFillsTheFirstColumn) {
  root.SetListbox(Box("lb", 0, 1, {{"a"}, {"b"}}));
  fake::Listbox lb = Box("lb", 0, 2, {});
  root.GetListbox(lb, false);
  EXPECT_EQ(lb.rows, (std::vector<std::vector<fw::String>>{{"a", ""}, {"b", ""}}));
}

TEST_F(Binding, FirstGetOfAControlWithRowsStoresThemAndAddsThemAgain) {
  fake::PopupMenu pm = Popup("pm", 0, {"x", "y"});
  pm.selected = 0;
  root.GetPopup(pm, true);
  EXPECT_EQ(Strings(*root.child("pm.0")->child("elements")), (std::vector<fw::String>{"x", "y"}));
  EXPECT_EQ(pm.rows, (std::vector<fw::String>{"x", "y", "x", "y"}));
  EXPECT_EQ(pm.selected, 0);
}

TEST_F(Binding, AppendListboxAndPopupStoreUnderTheControlKeyInAnArray) {
  plistDict& a = Array();
  a.AppendListbox(Box("lb", 4, 1, {{"r"}}));
  a.AppendPopup(Popup("pm", 5, {"p"}));
  ExpectNoError();
  EXPECT_EQ(Keys(a), (std::vector<fw::String>{"lb.4", "pm.5"}));
  EXPECT_EQ(Strings(*a.child("pm.5")->child("elements")), (std::vector<fw::String>{"p"}));
}

// ---- String lists --------------------------------------------------------------------

TEST_F(Binding, SetListStoresTheClampedRange) {
  const std::vector<fw::String> items{"i0", "i1", "i2", "i3", "i4"};
  struct Case {
    std::int32_t first, last;
    std::vector<fw::String> stored;
  };
  const Case cases[] = {
      {7, 9, {"i0", "i1", "i2", "i3", "i4"}},
      {1, 2, {"i1", "i2"}},
      {0, 0, {"i0"}},
      {3, 100, {"i3", "i4"}},
      {2, 1, {}},
      {-3, 1, {"i0", "i1"}},  // a negative first counts from the first item
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.first << ".." << c.last);
    PlantError();
    root.SetList("l", items, c.first, c.last);
    ExpectNoError();
    ASSERT_EQ(root.GetType("l"), "array");
    EXPECT_FALSE(root.searched.Value("l"));
    EXPECT_EQ(Strings(*root.child("l")), c.stored);
  }
  EXPECT_EQ(root.count(), 1);
}

TEST_F(Binding, SetListOfNoItemsStoresAnEmptyArrayAndReplacesALeaf) {
  root.SetInteger("l", 3);
  root.SetList("l", {}, 0, 5);
  ExpectNoError();
  EXPECT_EQ(root.GetType("l"), "array");
  EXPECT_EQ(root.child("l")->count(), 0);
}

TEST_F(Binding, GetListReplacesTheCallersArrayFromTheBase) {
  root.SetList("l", {"a", "b"}, 0, 1);
  struct Case {
    std::int32_t base;
    std::vector<fw::String> items;
  };
  const Case cases[] = {{0, {"a", "b"}}, {1, {"", "a", "b"}}};
  for (const Case& c : cases) {
    std::vector<fw::String> items{"old", "old", "old", "old"};
    root.GetList("l", items, c.base);
    EXPECT_EQ(items, c.items) << c.base;
  }
}

TEST_F(Binding, GetListOfMissingKeyGivesAnEmptyListAndLeavesAnEmptyDict) {
  std::vector<fw::String> items{"old"};
  root.GetList("l", items, 0);
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(root.GetType("l"), "dict");
  EXPECT_EQ(root.child("l")->count(), 0);
}

TEST_F(Binding, AppendListAddsOneNestedArray) {
  plistDict& a = Array();
  a.AppendString("first");
  a.AppendList({"x", "y", "z"}, 1, 5);
  ExpectNoError();
  EXPECT_EQ(a.count(), 2);
  EXPECT_EQ(a.indexOf, 1);
  ASSERT_EQ(a.GetType("1"), "array");
  EXPECT_EQ(Strings(*a.index(1)), (std::vector<fw::String>{"y", "z"}));
}

// ---- Simple controls --------------------------------------------------------------------

TEST_F(Binding, SimpleControlsStoreUnderTheirNameAndRestore) {
  fake::EditField ef;
  ef.name = "ef";
  ef.index = 3;  // the index is not part of the key
  fake::StaticText st;
  st.name = "st";
  fake::CheckBox cb;
  cb.name = "cb";
  fake::RadioButton rb;
  rb.name = "rb";

  ef.text = "typed";
  st.caption = "label";
  cb.value = true;
  rb.value = true;
  root.SetEditField(ef);
  root.SetStaticText(st);
  root.SetCheckbox(cb);
  root.SetRadio(rb);
  ExpectNoError();
  struct Stored {
    const char* key;
    const char* type;
    const char* text;
  };
  const Stored stored[] = {{"ef", "string", "typed"},
                           {"st", "string", "label"},
                           {"cb", "boolean", "true"},
                           {"rb", "boolean", "true"}};
  for (const Stored& s : stored) {
    EXPECT_EQ(root.GetType(s.key), s.type) << s.key;
    EXPECT_EQ(root.values.Value(s.key), s.text) << s.key;
    EXPECT_FALSE(root.searched.Value(s.key)) << s.key;
  }
  EXPECT_EQ(root.count(), 4);

  ef.text = "changed";
  st.caption = "changed";
  cb.value = false;
  rb.value = false;
  root.GetEditField(ef);
  root.GetStaticText(st);
  root.GetCheckbox(cb);
  root.GetRadio(rb);
  EXPECT_EQ(ef.text, "typed");
  EXPECT_EQ(st.caption, "label");
  EXPECT_TRUE(cb.value);
  EXPECT_TRUE(rb.value);
}

TEST_F(Binding, SimpleGetOnMissingKeyStoresTheCurrentValueAndLeavesTheControl) {
  fake::EditField ef;
  ef.name = "ef";
  ef.text = "now";
  fake::StaticText st;
  st.name = "st";
  st.caption = "cap";
  fake::CheckBox cb;
  cb.name = "cb";
  cb.value = false;
  fake::RadioButton rb;
  rb.name = "rb";
  rb.value = true;
  root.GetEditField(ef);
  root.GetStaticText(st);
  root.GetCheckbox(cb);
  root.GetRadio(rb);
  EXPECT_EQ(ef.text, "now");
  EXPECT_EQ(st.caption, "cap");
  EXPECT_FALSE(cb.value);
  EXPECT_TRUE(rb.value);
  EXPECT_EQ(root.values.Value("ef"), "now");
  EXPECT_EQ(root.values.Value("st"), "cap");
  EXPECT_EQ(root.values.Value("cb"), "false");
  EXPECT_EQ(root.values.Value("rb"), "true");
}

TEST_F(Binding, SimpleGetOnEntryOfAnotherTypeRecordsAndAssignsTheFailedRead) {
  root.AddChild("ef");
  root.AddArray("st");
  root.SetString("cb", "true");
  root.SetInteger("rb", 1);
  fake::EditField ef;
  ef.name = "ef";
  ef.text = "x";
  root.GetEditField(ef);
  ExpectError("Key ef does not exist");
  EXPECT_EQ(ef.text, "");
  fake::StaticText st;
  st.name = "st";
  st.caption = "x";
  root.GetStaticText(st);
  ExpectError("Key st does not exist");
  EXPECT_EQ(st.caption, "");
  fake::CheckBox cb;
  cb.name = "cb";
  cb.value = true;
  root.GetCheckbox(cb);
  ExpectError("Type Mismatch: cb is a string");
  EXPECT_FALSE(cb.value);
  fake::RadioButton rb;
  rb.name = "rb";
  rb.value = true;
  root.GetRadio(rb);
  ExpectError("Type Mismatch: rb is a integer");
  EXPECT_FALSE(rb.value);
}

TEST_F(Binding, SimpleSetOnEntryOfAnotherTypeIsRefused) {
  root.SetInteger("ef", 7);
  fake::EditField ef;
  ef.name = "ef";
  ef.text = "x";
  root.SetEditField(ef);
  ExpectError("Type Mismatch: ef is a integer");
  EXPECT_EQ(root.values.Value("ef"), "7");
  fake::CheckBox cb;
  cb.name = "ef";
  root.SetCheckbox(cb);
  ExpectError("Type Mismatch: ef is a integer");
}

TEST_F(Binding, FreeStandingLevelBindsTheSameAndDropsErrors) {
  plistDict level;
  fake::Window w("T", 1, 2, 3, 4);
  level.SetWindow("w", w);
  fake::Window back;
  level.GetWindow("w", back);
  EXPECT_EQ(back.title, "T");
  EXPECT_EQ(back.height, 4);
  level.AppendColor(fw::RGB(1, 2, 3));  // refused, the error goes nowhere
  EXPECT_EQ(level.count(), 1);
  ExpectNoError();
}

}  // namespace
