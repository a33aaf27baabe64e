// A radio button, over a Qt radio button. Value is whether it is chosen.
//
// Choosing one radio button of a window releases the others that share its
// container; SetValue(false) releases this one, leaving none of them chosen.
#pragma once

#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/Control.h"

namespace fw {

class RadioButton : public RectControl, public IRadioButton {
 public:
  RadioButton();

  bool Value() const override;
  void SetValue(bool value) override;
};

}  // namespace fw
