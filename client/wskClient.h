// The main window's socket control.
//
// The framework's TCP socket as a non-visual control of the window: the
// window keeps it among its controls (PaneChild) and binds its "Error" event
// like any control's event. The event is raised from inside the socket's
// Poll (see TCPSocket.h), with LastErrorCode telling the cause; no exception
// leaves it. The socket's other events are not raised: the client only
// sends.
#pragma once

#include <cstdint>

#include "framework/core/TCPSocket.h"
#include "framework/ui/Control.h"
#include "framework/ui/EventSource.h"

namespace wMain {

class wskClient : public fw::TCPSocket, public fw::PaneChild, public fw::EventSource {
 public:
  wskClient() {
    SetErrorHandler([this] { RaiseEvent("Error"); });
  }
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
