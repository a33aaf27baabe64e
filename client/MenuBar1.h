// The application's one menu bar: File (Quit) and Edit (Undo, Cut, Copy,
// Paste, Delete, Select All, and the About item).
//
// MenuBar1::MenuBar1() returns the single instance, building it on the first
// call; the instance lives in _implicitInstance until the end of the run.
// Item names are unique within the bar. Quit and the editing commands are
// carried out by the framework; the About item is bound at start-up.
#pragma once

#include <memory>

#include "framework/ui/Menu.h"

namespace MenuBar1 {

class MenuBar1 : public fw::MenuBar {
 public:
  // Builds the File menu, then the Edit menu.
  void Constructor();
  void Untitled0();
  void Untitled1();
};

extern std::shared_ptr<MenuBar1> _implicitInstance;

std::shared_ptr<class MenuBar1> MenuBar1();

}  // namespace MenuBar1
