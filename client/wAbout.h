// The About box: the product icon beside a three-line credit text, in a
// small movable modal window (423 x 73) that closes itself 2500 ms after it
// opens, or at once on a mouse press or a key press in it. A key press is
// what the window's KeyDown reports: a modifier key pressed alone (Shift,
// Ctrl, Alt ...) does not count, nor does a Ctrl combination (a menu
// shortcut); any other key does, with or without Shift or Alt. The box sets
// no position of its own: as a modal window it opens centred over the main
// window.
//
// wAbout::wAbout() returns the open About box or builds a new one; a closed
// box is released, so every showing gets a new box and a new timer.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/String.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/Control.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/Timer.h"
#include "framework/ui/Window.h"

namespace wAbout {

// The box's timer control: a Timer that its window keeps as a non-visual
// control.
class Timer1 : public fw::Timer, public fw::PaneChild {
 public:
  void _SetWindow(fw::Window* window) override { ownerWindow = window; }
  fw::Window* Window() const override { return ownerWindow; }
  std::int32_t _Index() const override { return Index; }
  void _SetIndex(std::int32_t index) override { Index = index; }
  void Constructor() {}

  std::int32_t Index = fw::kNoControlIndex;

 private:
  fw::Window* ownerWindow = nullptr;
};

class wAbout : public fw::Window {
 public:
  wAbout();

  std::shared_ptr<fw::Canvas> Canvas1;
  std::shared_ptr<fw::StaticText> StaticText1;
  std::shared_ptr<class Timer1> Timer1;

  void Layout();
  void CreateControls();
  void _CreateControls0();
  void Timer1_Action();
  bool Event_MouseDown(std::int32_t x, std::int32_t y);
  bool Event_KeyDown(const fw::String& key);
  void Event_Open();
};

// The credit text: three lines joined by Chr(13).
fw::String CreditText();

std::shared_ptr<class wAbout> wAbout();

}  // namespace wAbout
