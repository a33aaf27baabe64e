// A popup menu of text rows, over a Qt combo box.
//
// Rows count from 0. ListIndex is the selected row, -1 when none is (also
// after rows have been added: adding never selects one). Text is the selected
// row's text, "" when none is. List of a row that does not exist gives "";
// selecting a row that does not exist is ignored.
#pragma once

#include <cstdint>

#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/Control.h"

namespace fw {

class PopupMenu : public RectControl, public IPopupMenu {
 public:
  PopupMenu();

  String Text() const override;
  std::int32_t ListCount() const override;
  String List(std::int32_t row) const override;
  void AddRow(const String& text) override;
  std::int32_t ListIndex() const override;
  void SetListIndex(std::int32_t row) override;
};

}  // namespace fw
