// A list of rows of one or more columns, over a Qt table.
//
// Rows and columns count from 0; column 0 holds a row's text (List). At most
// one row is selected: ListIndex is its number, -1 when none is; Text is the
// selected row's first cell, "" when none is selected. Reading a row or cell
// that does not exist gives ""; writing one, or selecting a row that does not
// exist, is ignored. The user can select rows but not edit cells.
#pragma once

#include <cstdint>

#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/Control.h"

namespace fw {

class Listbox : public RectControl, public IListbox {
 public:
  Listbox();

  String Text() const override;
  std::int32_t ListCount() const override;
  std::int32_t ColumnCount() const override;
  // Columns below 1 count as 1; cells of removed columns are dropped.
  void SetColumnCount(std::int32_t columns);
  String List(std::int32_t row) const override;
  String Cell(std::int32_t row, std::int32_t column) const override;
  void SetCell(std::int32_t row, std::int32_t column, const String& text) override;
  void AddRow(const String& text) override;
  std::int32_t ListIndex() const override;
  void SetListIndex(std::int32_t row) override;
};

}  // namespace fw
