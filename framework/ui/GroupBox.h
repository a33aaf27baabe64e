// A framed group box with a caption. Controls placed "in" it keep their
// window-relative positions; the box is their container for the tab order.
#pragma once

#include "framework/core/String.h"
#include "framework/ui/Control.h"

namespace fw {

class GroupBox : public RectControl {
 public:
  struct Properties : RectProperties {
    String Caption;
  };

  GroupBox();
  String Caption() const;
  void SetCaption(const String& caption);
  void _SetProperties(const Properties& p);
};

}  // namespace fw
