// Copying window, control and colour states into a level and back.
//
// Layouts stored (see plistDict.h for the choices made where the layout
// leaves something open):
//   colour      "string", six hexadecimal digits RRGGBB, upper case
//   window      dict { "windowName": string, "WindowPos": dict { "left",
//               "top", "width", "height": integer } }
//   list box /  dict { "default": string, "elements": array of strings, or
//   popup menu  of arrays of strings for a list box of several columns },
//               stored under Name + "." + Index
//   string list array of strings
//   simple      one leaf under the control's Name: EditField.Text and
//   controls    StaticText.Caption as "string", CheckBox.Value and
//               RadioButton.Value as "boolean"
#include <string>

#include "framework/core/String.h"
#include "plist/plistDict.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

fw::String Decimal(std::int32_t n) { return std::to_string(n); }

void AppendHexByte(fw::String& out, std::uint8_t v) {
  out += kHexDigits[v >> 4];
  out += kHexDigits[v & 0x0F];
}

fw::String ColourText(fw::Color colour) {
  fw::String text;
  AppendHexByte(text, colour.red);
  AppendHexByte(text, colour.green);
  AppendHexByte(text, colour.blue);
  return text;
}

// Value of one hexadecimal digit of either case; -1 for any other character.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Six hexadecimal digits read as red, green, blue; anything else is black.
fw::Color ColourFromText(const fw::String& text) {
  if (text.size() != 6) return fw::RGB(0, 0, 0);
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    const int high = HexValue(text[static_cast<std::size_t>(2 * i)]);
    const int low = HexValue(text[static_cast<std::size_t>(2 * i + 1)]);
    if (high < 0 || low < 0) return fw::RGB(0, 0, 0);
    parts[i] = high * 16 + low;
  }
  return fw::RGB(parts[0], parts[1], parts[2]);
}

fw::String ListKey(const fw::IControl& control) {
  return control.Name() + "." + Decimal(control.Index());
}

struct Range {
  std::int32_t first;
  std::int32_t last;  // below first for an empty range
};

// The range of items a string-list operation copies: from first (0 when first
// lies past the last item, or is negative) to last (the last item when last
// lies past it).
Range ListRange(const std::vector<fw::String>& items, std::int32_t first, std::int32_t last) {
  const std::int32_t lastIndex = static_cast<std::int32_t>(items.size()) - 1;
  Range r{first, last};
  if (r.first > lastIndex || r.first < 0) r.first = 0;
  if (r.last > lastIndex) r.last = lastIndex;
  return r;
}

void AppendRange(plistDict& array, const std::vector<fw::String>& items, Range r) {
  for (std::int32_t i = r.first; i <= r.last; ++i) {
    array.AppendString(items[static_cast<std::size_t>(i)]);
  }
}

void StoreWindowPos(plistDict& pos, const fw::IWindow& window) {
  pos.SetInteger("left", window.Left());
  pos.SetInteger("top", window.Top());
  pos.SetInteger("width", window.Width());
  pos.SetInteger("height", window.Height());
}

}  // namespace

// ---- Colours -------------------------------------------------------------------

void plistDict::SetColor(const fw::String& key, fw::Color colour) {
  if (CheckType(key, "string") == 0) return;
  values.SetValue(key, ColourText(colour));
  types.SetValue(key, "string");
  searched.SetValue(key, false);
  indexOf = -1;
}

fw::Color plistDict::GetColor(const fw::String& key) { return GetColor(key, fw::RGB(0, 0, 0)); }

fw::Color plistDict::GetColor(const fw::String& key, fw::Color deflt) {
  if (!Exists(key)) SetColor(key, deflt);
  const fw::String type = GetType(key);
  if (!fw::TextEquals(type, "string")) {
    SetError(true, "Type Mismatch: " + key + " is a " + type);
    return fw::RGB(0, 0, 0);
  }
  return ColourFromText(GetValue(key));
}

void plistDict::AppendColor(fw::Color colour) {
  if (!CheckArray()) return;
  indexOf = count();
  const fw::String k = Decimal(indexOf);
  types.SetValue(k, "string");
  values.SetValue(k, ColourText(colour));
}

// ---- Windows -------------------------------------------------------------------

void plistDict::SetWindow(const fw::String& key, const fw::IWindow& window) {
  if (!Exists(key)) AddChild(key);
  searched.SetValue(key, false);
  plistDict* record = child(key);
  if (record == nullptr) return;  // key holds a leaf; child recorded why
  record->SetString("windowName", window.Title());
  if (!record->Exists("WindowPos")) record->AddChild("WindowPos");
  plistDict* pos = record->child("WindowPos");
  if (pos == nullptr) return;
  StoreWindowPos(*pos, window);
}

void plistDict::GetWindow(const fw::String& key, fw::IWindow& window) {
  if (!Exists(key)) SetWindow(key, window);
  plistDict* record = child(key);
  if (record == nullptr) return;
  window.SetTitle(record->GetString("windowName"));
  plistDict* pos = record->child("WindowPos");
  if (pos == nullptr) return;
  window.SetLeft(pos->GetInteger("left"));
  window.SetTop(pos->GetInteger("top"));
  window.SetWidth(pos->GetInteger("width"));
  window.SetHeight(pos->GetInteger("height"));
}

void plistDict::AppendWindow(const fw::IWindow& window) {
  if (!CheckArray()) return;
  AppendDict();
  plistDict* record = index(count() - 1);
  if (record == nullptr) return;
  record->SetString("windowName", window.Title());
  record->AddChild("WindowPos");
  plistDict* pos = record->child("WindowPos");
  if (pos == nullptr) return;
  StoreWindowPos(*pos, window);
}

// ---- List boxes and popup menus ---------------------------------------------------

namespace {

// Makes a fresh list record under key in level: an old record is replaced
// whole. Returns the record's "elements" array, or nullptr when it could not
// be made.
plistDict* NewListRecord(plistDict& level, const fw::String& key, const fw::String& text) {
  level.AddChild(key);
  level.searched.SetValue(key, false);
  plistDict* record = level.child(key);
  if (record == nullptr) return nullptr;
  record->SetString("default", text);
  if (!record->AddArray("elements")) return nullptr;
  return record->child("elements");
}

}  // namespace

void plistDict::SetListbox(const fw::IListbox& listbox) {
  const fw::String key = ListKey(listbox);
  if (Exists(key)) RemoveByKey(key);
  plistDict* elements = NewListRecord(*this, key, listbox.Text());
  if (elements == nullptr) return;
  const std::int32_t columns = listbox.ColumnCount();
  for (std::int32_t row = 0; row < listbox.ListCount(); ++row) {
    if (columns > 1) {
      elements->AppendArray();
      plistDict* cells = elements->index(row);
      if (cells == nullptr) continue;
      for (std::int32_t column = 0; column < columns; ++column) {
        cells->AppendString(listbox.Cell(row, column));
      }
    } else {
      elements->AppendString(listbox.List(row));
    }
  }
}

void plistDict::SetPopup(const fw::IPopupMenu& popup) {
  const fw::String key = ListKey(popup);
  if (Exists(key)) RemoveByKey(key);
  plistDict* elements = NewListRecord(*this, key, popup.Text());
  if (elements == nullptr) return;
  for (std::int32_t row = 0; row < popup.ListCount(); ++row) {
    elements->AppendString(popup.List(row));
  }
}

void plistDict::GetListbox(fw::IListbox& listbox, bool selectDefault) {
  const fw::String key = ListKey(listbox);
  if (!Exists(key)) SetListbox(listbox);
  plistDict* record = child(key);
  if (record == nullptr) return;
  const fw::String deflt = record->GetString("default");
  plistDict* elements = record->child("elements");
  if (elements == nullptr) return;
  const std::int32_t columns = listbox.ColumnCount();
  const std::int32_t n = elements->count();
  for (std::int32_t i = 0; i < n; ++i) {
    const fw::String element = Decimal(i);
    if (columns < 2) {
      const fw::String text = elements->GetString(element);
      listbox.AddRow(text);
      if (selectDefault && fw::TextEquals(text, deflt)) listbox.SetListIndex(i);
      continue;
    }
    listbox.AddRow("");
    plistDict* cells = elements->index(i);
    if (cells == nullptr) {
      // A one-column record: its text goes into the first column.
      listbox.SetCell(i, 0, elements->GetString(element));
    } else {
      const std::int32_t stored = cells->count();
      for (std::int32_t j = 0; j < stored && j < columns; ++j) {
        listbox.SetCell(i, j, cells->GetString(Decimal(j)));
      }
    }
    if (selectDefault && fw::TextEquals(listbox.Cell(i, 0), deflt)) listbox.SetListIndex(i);
  }
}

void plistDict::GetPopup(fw::IPopupMenu& popup, bool selectDefault) {
  const fw::String key = ListKey(popup);
  if (!Exists(key)) SetPopup(popup);
  plistDict* record = child(key);
  if (record == nullptr) return;
  const fw::String deflt = record->GetString("default");
  plistDict* elements = record->child("elements");
  if (elements == nullptr) return;
  const std::int32_t n = elements->count();
  for (std::int32_t i = 0; i < n; ++i) {
    const fw::String text = elements->GetString(Decimal(i));
    popup.AddRow(text);
    if (selectDefault && fw::TextEquals(text, deflt)) popup.SetListIndex(i);
  }
}

void plistDict::AppendListbox(const fw::IListbox& listbox) {
  if (CheckArray()) SetListbox(listbox);
}

void plistDict::AppendPopup(const fw::IPopupMenu& popup) {
  if (CheckArray()) SetPopup(popup);
}

// ---- String lists -------------------------------------------------------------------

void plistDict::SetList(const fw::String& key, const std::vector<fw::String>& items,
                        std::int32_t first, std::int32_t last) {
  if (Exists(key)) RemoveByKey(key);
  const Range range = ListRange(items, first, last);
  if (!AddArray(key)) return;
  searched.SetValue(key, false);
  plistDict* array = child(key);
  if (array == nullptr) return;
  AppendRange(*array, items, range);
}

void plistDict::GetList(const fw::String& key, std::vector<fw::String>& items, std::int32_t base) {
  std::vector<fw::String> list;
  if (base != 0) list.emplace_back();
  plistDict* array = child(key);
  if (array != nullptr) {
    const std::int32_t n = array->count();
    for (std::int32_t i = 0; i < n; ++i) list.push_back(array->GetString(Decimal(i)));
  }
  items = std::move(list);
}

void plistDict::AppendList(const std::vector<fw::String>& items, std::int32_t first,
                           std::int32_t last) {
  if (!CheckArray()) return;
  const Range range = ListRange(items, first, last);
  AppendArray();
  plistDict* array = index(count() - 1);
  if (array == nullptr) return;
  AppendRange(*array, items, range);
}

// ---- Simple controls --------------------------------------------------------------

void plistDict::SetEditField(const fw::IEditField& field) { SetString(field.Name(), field.Text()); }

void plistDict::GetEditField(fw::IEditField& field) {
  field.SetText(GetString(field.Name(), field.Text()));
}

void plistDict::GetCheckbox(fw::ICheckBox& checkBox) {
  checkBox.SetValue(GetBoolean(checkBox.Name(), checkBox.Value()));
}

void plistDict::SetCheckbox(const fw::ICheckBox& checkBox) {
  SetBoolean(checkBox.Name(), checkBox.Value());
}

void plistDict::SetStaticText(const fw::IStaticText& label) {
  SetString(label.Name(), label.Caption());
}

void plistDict::GetStaticText(fw::IStaticText& label) {
  label.SetCaption(GetString(label.Name(), label.Caption()));
}

void plistDict::SetRadio(const fw::IRadioButton& radio) { SetBoolean(radio.Name(), radio.Value()); }

void plistDict::GetRadio(fw::IRadioButton& radio) {
  radio.SetValue(GetBoolean(radio.Name(), radio.Value()));
}
