// The store's control binding over the real Qt window and controls.
#include <gtest/gtest.h>

#include <memory>

#include "framework/ui/CheckBox.h"
#include "framework/ui/EditField.h"
#include "framework/ui/Listbox.h"
#include "framework/ui/PopupMenu.h"
#include "framework/ui/RadioButton.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/Window.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "tests/support/GuiEnvironment.h"

namespace {

// One window holding one control of each kind the store binds.
struct Form {
  std::shared_ptr<fw::Window> window = std::make_shared<fw::Window>("wForm");
  std::shared_ptr<fw::Listbox> list = Add<fw::Listbox>("lstItems");
  std::shared_ptr<fw::PopupMenu> popup = Add<fw::PopupMenu>("popKind");
  std::shared_ptr<fw::CheckBox> check = Add<fw::CheckBox>("chkOn");
  std::shared_ptr<fw::RadioButton> radioA = Add<fw::RadioButton>("optA");
  std::shared_ptr<fw::RadioButton> radioB = Add<fw::RadioButton>("optB");
  std::shared_ptr<fw::EditField> field = Add<fw::EditField>("txtName");
  std::shared_ptr<fw::StaticText> label = Add<fw::StaticText>("lblNote");

  template <class C>
  std::shared_ptr<C> Add(const fw::String& name) {
    auto control = window->__New<C>();
    control->SetName(name);
    window->_AddControl(name, control);
    control->Constructor();
    return control;
  }
};

class StoreBindingUi : public testsupport::GuiTest {
 protected:
  plist doc;
  plistDict& root = *doc.root;
};

TEST_F(StoreBindingUi, QtControlsRoundTripThroughATree) {
  Form saved;
  saved.window->SetTitle("Saved form");
  saved.window->SetLeft(40);
  saved.window->SetTop(50);
  saved.window->SetWidth(320);
  saved.window->SetHeight(240);
  saved.list->SetColumnCount(2);
  saved.list->AddRow("a");
  saved.list->SetCell(0, 1, "alpha");
  saved.list->AddRow("b");
  saved.list->SetCell(1, 1, "beta");
  saved.list->SetListIndex(1);
  saved.popup->AddRow("one");
  saved.popup->AddRow("two");
  saved.popup->AddRow("three");
  saved.popup->SetListIndex(2);
  saved.check->SetValue(true);
  saved.radioB->SetValue(true);
  saved.field->SetText("Hanako");
  saved.label->SetCaption("note");

  root.SetWindow("form", *saved.window);
  root.SetListbox(*saved.list);
  root.SetPopup(*saved.popup);
  root.SetCheckbox(*saved.check);
  root.SetRadio(*saved.radioA);
  root.SetRadio(*saved.radioB);
  root.SetEditField(*saved.field);
  root.SetStaticText(*saved.label);
  ASSERT_FALSE(doc.error) << doc.errorMessage;
  EXPECT_EQ(root.child("lstItems." + std::to_string(saved.list->Index()))->GetString("default"),
            "b");
  EXPECT_EQ(root.child("popKind." + std::to_string(saved.popup->Index()))->GetString("default"),
            "three");

  Form restored;
  restored.list->SetColumnCount(2);
  restored.radioA->SetValue(true);
  root.GetWindow("form", *restored.window);
  root.GetListbox(*restored.list, true);
  root.GetPopup(*restored.popup, true);
  root.GetCheckbox(*restored.check);
  root.GetRadio(*restored.radioA);
  root.GetRadio(*restored.radioB);
  root.GetEditField(*restored.field);
  root.GetStaticText(*restored.label);
  ASSERT_FALSE(doc.error) << doc.errorMessage;

  EXPECT_EQ(restored.window->Title(), "Saved form");
  EXPECT_EQ(restored.window->Left(), 40);
  EXPECT_EQ(restored.window->Top(), 50);
  EXPECT_EQ(restored.window->Width(), 320);
  EXPECT_EQ(restored.window->Height(), 240);
  ASSERT_EQ(restored.list->ListCount(), 2);
  EXPECT_EQ(restored.list->Cell(0, 0), "a");
  EXPECT_EQ(restored.list->Cell(1, 1), "beta");
  EXPECT_EQ(restored.list->ListIndex(), 1);
  EXPECT_EQ(restored.list->Text(), "b");
  ASSERT_EQ(restored.popup->ListCount(), 3);
  EXPECT_EQ(restored.popup->List(0), "one");
  EXPECT_EQ(restored.popup->ListIndex(), 2);
  EXPECT_EQ(restored.popup->Text(), "three");
  EXPECT_TRUE(restored.check->Value());
  EXPECT_FALSE(restored.radioA->Value());
  EXPECT_TRUE(restored.radioB->Value());
  EXPECT_EQ(restored.field->Text(), "Hanako");
  EXPECT_EQ(restored.label->Caption(), "note");
}

TEST_F(StoreBindingUi, PopupAddsRowsWithoutSelectingAndListboxSelectsNothingAtFirst) {
  Form form;
  form.popup->AddRow("x");
  form.popup->AddRow("y");
  EXPECT_EQ(form.popup->ListIndex(), -1);
  EXPECT_EQ(form.popup->Text(), "");
  form.popup->SetListIndex(5);  // no such row: ignored
  EXPECT_EQ(form.popup->ListIndex(), -1);
  form.list->AddRow("r");
  EXPECT_EQ(form.list->ListIndex(), -1);
  EXPECT_EQ(form.list->Text(), "");
  EXPECT_EQ(form.list->Cell(3, 0), "");
  form.list->SetCell(3, 0, "ignored");
  EXPECT_EQ(form.list->ListCount(), 1);
  form.radioA->SetValue(true);
  form.radioA->SetValue(false);
  EXPECT_FALSE(form.radioA->Value());
}

}  // namespace
