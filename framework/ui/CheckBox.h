// A check box, over a Qt check box. Value is whether it is checked.
#pragma once

#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/Control.h"

namespace fw {

class CheckBox : public RectControl, public ICheckBox {
 public:
  CheckBox();

  bool Value() const override;
  void SetValue(bool value) override;
};

}  // namespace fw
