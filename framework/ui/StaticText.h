// A label. Its text (Caption, also as Text) may hold line breaks as Chr(13),
// Chr(10) or both; they break lines when Multiline is on. TextAlign: 0 left,
// 1 centre, 2 right. The text is shown as plain text (no markup).
#pragma once

#include <cstdint>

#include "framework/core/Color.h"
#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/Control.h"

namespace fw {

class StaticText : public RectControl, public IStaticText {
 public:
  struct Properties : RectProperties {
    String Text;
    std::int32_t TextAlign = 0;
    bool Multiline = false;
    Color TextColor = RGB(0, 0, 0);
  };

  StaticText();
  String Caption() const override { return text_; }
  void SetCaption(const String& caption) override;
  String Text() const { return text_; }
  void SetText(const String& text) { SetCaption(text); }
  std::int32_t TextAlign() const { return align_; }
  void SetTextAlign(std::int32_t align);
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool on);
  void SetTextColor(Color color);
  void _SetProperties(const Properties& p);

 private:
  void Show();
  String text_;
  std::int32_t align_ = 0;
  bool multiline_ = false;
};

}  // namespace fw
