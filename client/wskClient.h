// The main window's socket control.
//
// For now a bare non-visual control of the window; the connection code makes
// it the window's TCP socket.
#pragma once

#include <cstdint>

#include "framework/ui/Control.h"

namespace wMain {

class wskClient : public fw::PaneChild {
 public:
  void Constructor() {}

  void _SetWindow(fw::Window* window) override { ownerWindow = window; }
  fw::Window* Window() const override { return ownerWindow; }
  std::int32_t _Index() const override { return Index; }
  void _SetIndex(std::int32_t index) override { Index = index; }

  std::int32_t Index = fw::kNoControlIndex;

 private:
  fw::Window* ownerWindow = nullptr;
};

}  // namespace wMain
