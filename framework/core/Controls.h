// The state of windows and controls, as the property-list store copies it.
//
// These are the small interfaces that the store reads and writes when it
// saves a window or a control into a tree and restores it. The desktop layer's
// real windows and controls implement them over Qt; tests implement them with
// plain in-memory objects. Nothing here depends on a GUI.
//
// Accessors follow the platform layer's convention: Name() reads a property,
// SetName(v) assigns it. Rows, columns and indexes count from 0.
#pragma once

#include <cstdint>

#include "framework/core/String.h"

namespace fw {

// Anything placed in a window: known by its name and, in a control array,
// its index (-2147483648 for a control outside a control array).
class IControl {
 public:
  virtual ~IControl() = default;
  virtual String Name() const = 0;
  virtual std::int32_t Index() const = 0;
};

// A window's title and bounds, in pixels.
class IWindow {
 public:
  virtual ~IWindow() = default;
  virtual String Title() const = 0;
  virtual void SetTitle(const String& title) = 0;
  virtual std::int32_t Left() const = 0;
  virtual void SetLeft(std::int32_t left) = 0;
  virtual std::int32_t Top() const = 0;
  virtual void SetTop(std::int32_t top) = 0;
  virtual std::int32_t Width() const = 0;
  virtual void SetWidth(std::int32_t width) = 0;
  virtual std::int32_t Height() const = 0;
  virtual void SetHeight(std::int32_t height) = 0;
};

// A popup menu: a list of rows, one of which may be selected.
class IPopupMenu : public virtual IControl {
 public:
  // The text of the selected row; empty when none is selected.
  virtual String Text() const = 0;
  virtual std::int32_t ListCount() const = 0;
  // The text of row `row`; empty for a row that does not exist.
  virtual String List(std::int32_t row) const = 0;
  virtual void AddRow(const String& text) = 0;
  virtual std::int32_t ListIndex() const = 0;
  // Selects row `row`; -1 selects nothing. Out-of-range rows are ignored.
  virtual void SetListIndex(std::int32_t row) = 0;
};

// A list box: rows of one or more columns.
class IListbox : public virtual IControl {
 public:
  virtual String Text() const = 0;
  virtual std::int32_t ListCount() const = 0;
  virtual std::int32_t ColumnCount() const = 0;
  // The text of column 0 of row `row`.
  virtual String List(std::int32_t row) const = 0;
  virtual String Cell(std::int32_t row, std::int32_t column) const = 0;
  // Out-of-range cells are ignored.
  virtual void SetCell(std::int32_t row, std::int32_t column, const String& text) = 0;
  // Adds a row whose column 0 holds text and whose other columns are empty.
  virtual void AddRow(const String& text) = 0;
  virtual std::int32_t ListIndex() const = 0;
  virtual void SetListIndex(std::int32_t row) = 0;
};

class IEditField : public virtual IControl {
 public:
  virtual String Text() const = 0;
  virtual void SetText(const String& text) = 0;
};

class IStaticText : public virtual IControl {
 public:
  virtual String Caption() const = 0;
  virtual void SetCaption(const String& caption) = 0;
};

class ICheckBox : public virtual IControl {
 public:
  virtual bool Value() const = 0;
  virtual void SetValue(bool value) = 0;
};

class IRadioButton : public virtual IControl {
 public:
  virtual bool Value() const = 0;
  virtual void SetValue(bool value) = 0;
};

}  // namespace fw
