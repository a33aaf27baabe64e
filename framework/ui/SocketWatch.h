// The event loop's watch over open sockets (see framework/core/SocketWatch.h).
//
// InstallSocketWatch() makes the Qt event loop poll every open TCPSocket
// four times a second while at least one is open, so that a peer that closes
// or resets the connection raises the socket's Error handler within about a
// second even when the program does nothing else. Safe to call more than
// once; needs the Qt application to exist before the first socket opens.
// RemoveSocketWatch() takes it away again (sockets already watched stay
// watched until they close).
#pragma once

namespace fw {

void InstallSocketWatch();
void RemoveSocketWatch();

// The watch's period in milliseconds.
inline constexpr int kSocketWatchIntervalMs = 250;

}  // namespace fw
