// A drawing area. Its Backdrop picture (null for none) is drawn at its
// top-left corner at the picture's own size; Backdrop() returns the very
// handle last assigned. The canvas takes no focus unless AcceptFocus is set.
#pragma once

#include "framework/ui/Control.h"
#include "framework/ui/Picture.h"

namespace fw {

class Canvas : public RectControl {
 public:
  struct Properties : RectProperties {
    bool TabStop = true, AcceptFocus = false, AcceptTabs = false, UseFocusRing = true;
    bool DoubleBuffer = false, EraseBackground = true;
  };

  Canvas();
  PicturePtr Backdrop() const { return backdrop_; }
  void SetBackdrop(PicturePtr picture);
  void _SetProperties(const Properties& p);

 private:
  PicturePtr backdrop_;
};

}  // namespace fw
