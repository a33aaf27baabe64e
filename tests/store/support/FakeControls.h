// Plain in-memory windows and controls for the store's tests.
//
// Each one holds its state in ordinary members, so a test can set it up,
// hand it to the store and look at what the store did to it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "framework/core/Controls.h"

namespace fake {

struct Named : virtual fw::IControl {
  fw::String name;
  std::int32_t index = -1;
  fw::String Name() const override { return name; }
  std::int32_t Index() const override { return index; }
};

struct Window : fw::IWindow {
  fw::String title;
  std::int32_t left = 0, top = 0, width = 0, height = 0;

  Window() = default;
  Window(fw::String t, std::int32_t l, std::int32_t tp, std::int32_t w, std::int32_t h)
      : title(std::move(t)), left(l), top(tp), width(w), height(h) {}

  fw::String Title() const override { return title; }
  void SetTitle(const fw::String& t) override { title = t; }
  std::int32_t Left() const override { return left; }
  void SetLeft(std::int32_t v) override { left = v; }
  std::int32_t Top() const override { return top; }
  void SetTop(std::int32_t v) override { top = v; }
  std::int32_t Width() const override { return width; }
  void SetWidth(std::int32_t v) override { width = v; }
  std::int32_t Height() const override { return height; }
  void SetHeight(std::int32_t v) override { height = v; }
};

// Rows of cells; column 0 is the row's text.
struct Listbox : Named, fw::IListbox {
  std::int32_t columns = 1;
  std::vector<std::vector<fw::String>> rows;
  std::int32_t selected = -1;

  fw::String Text() const override { return selected >= 0 ? Cell(selected, 0) : fw::String(); }
  std::int32_t ListCount() const override { return static_cast<std::int32_t>(rows.size()); }
  std::int32_t ColumnCount() const override { return columns; }
  fw::String List(std::int32_t row) const override { return Cell(row, 0); }
  fw::String Cell(std::int32_t row, std::int32_t column) const override {
    if (!Has(row, column)) return {};
    return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  void SetCell(std::int32_t row, std::int32_t column, const fw::String& text) override {
    if (Has(row, column))
      rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  }
  void AddRow(const fw::String& text) override {
    rows.emplace_back(static_cast<std::size_t>(columns < 1 ? 1 : columns));
    rows.back()[0] = text;
  }
  std::int32_t ListIndex() const override { return selected; }
  void SetListIndex(std::int32_t row) override {
    if (row >= -1 && row < ListCount()) selected = row;
  }

 private:
  bool Has(std::int32_t row, std::int32_t column) const {
    return row >= 0 && row < ListCount() && column >= 0 &&
           column < static_cast<std::int32_t>(rows[static_cast<std::size_t>(row)].size());
  }
};

struct PopupMenu : Named, fw::IPopupMenu {
  std::vector<fw::String> rows;
  std::int32_t selected = -1;

  fw::String Text() const override { return List(selected); }
  std::int32_t ListCount() const override { return static_cast<std::int32_t>(rows.size()); }
  fw::String List(std::int32_t row) const override {
    return row >= 0 && row < ListCount() ? rows[static_cast<std::size_t>(row)] : fw::String();
  }
  void AddRow(const fw::String& text) override { rows.push_back(text); }
  std::int32_t ListIndex() const override { return selected; }
  void SetListIndex(std::int32_t row) override {
    if (row >= -1 && row < ListCount()) selected = row;
  }
};

struct EditField : Named, fw::IEditField {
  fw::String text;
  fw::String Text() const override { return text; }
  void SetText(const fw::String& t) override { text = t; }
};

struct StaticText : Named, fw::IStaticText {
  fw::String caption;
  fw::String Caption() const override { return caption; }
  void SetCaption(const fw::String& c) override { caption = c; }
};

struct CheckBox : Named, fw::ICheckBox {
  bool value = false;
  bool Value() const override { return value; }
  void SetValue(bool v) override { value = v; }
};

struct RadioButton : Named, fw::IRadioButton {
  bool value = false;
  bool Value() const override { return value; }
  void SetValue(bool v) override { value = v; }
};

}  // namespace fake
