// The event loop's watch over open sockets.
//
// A TCPSocket registers itself with the installed watch when Connect opens
// it and unregisters itself when it closes or is destroyed. The desktop
// layer installs a watch that calls Poll on every registered socket from its
// event loop, so that a peer that goes away while the program is idle is
// noticed (the socket's Error handler runs) within about a second. Without a
// watch (the default) sockets are serviced only by their callers' Poll.
// Tests install their own with ScopedHook<SetSocketWatch> (ScopedHook.h).
//
// The watch is called on the sockets' thread. Remove may be called from
// inside the watch's own Poll calls; a watch must tolerate that.
#pragma once

#include <memory>

namespace fw {

class TCPSocket;

class SocketWatch {
 public:
  virtual ~SocketWatch() = default;
  virtual void Add(TCPSocket& socket) = 0;
  virtual void Remove(TCPSocket& socket) = 0;
};

// Installs watch and returns the one it replaced; nullptr removes it.
// Sockets already registered stay with the watch they registered with.
std::shared_ptr<SocketWatch> SetSocketWatch(std::shared_ptr<SocketWatch> watch);
std::shared_ptr<SocketWatch> CurrentSocketWatch();

}  // namespace fw
