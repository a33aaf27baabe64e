// A push button that shows a picture.
//
// Icon() returns the very picture handle last given to SetIcon (null for
// none), so the program can tell which picture a button shows by identity.
// The picture is drawn scaled into the button, keeping its proportions; a
// button without a picture shows its Caption. A pressed button is drawn
// darker and a disabled one faded. "Action" is raised when the user clicks
// it (never while it is disabled). AcceptFocus: whether a click or Tab gives
// the button the keyboard focus.
#pragma once

#include <cstdint>

#include "framework/core/String.h"
#include "framework/ui/Control.h"
#include "framework/ui/Picture.h"

namespace fw {

class BevelButton : public RectControl {
 public:
  struct Properties : RectProperties {
    String Caption;
    std::int32_t CaptionAlign = 3, CaptionPlacement = 1, CaptionDelta = 0;
    std::int32_t IconAlign = 0, IconDX = 0, IconDY = 0;
    std::int32_t Bevel = 3, HasMenu = 0, MenuValue = 0, ButtonType = 0;
    bool Value = false;
    bool TabStop = true;
    bool AcceptFocus = false;
  };

  BevelButton();
  PicturePtr Icon() const { return icon_; }
  void SetIcon(PicturePtr picture);
  String Caption() const;
  void SetCaption(const String& caption);
  bool AcceptFocus() const;
  void SetAcceptFocus(bool on);
  void _SetProperties(const Properties& p);

 private:
  PicturePtr icon_;
};

}  // namespace fw
