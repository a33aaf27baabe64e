// A TCP client socket that never blocks its caller.
//
// Set Address and Port, call Connect, then call Poll from time to time (the
// desktop layer's event loop also polls every open socket while the program
// is idle, see SocketWatch.h). Callers may rely on:
// - Connect returns at once, also for a host name: the name is resolved on a
//   thread of the socket's own and the result is picked up by a later Poll.
//   A numeric address (127.0.0.1, ::1) is used as it is, without resolving.
//   Text that is not a host name (blanks, empty labels, non-ASCII letters,
//   an all-digit last label such as 256.1.1.1) and names under the reserved
//   top-level domain "invalid" are refused at once as not found, without
//   asking any resolver.
// - Poll never waits. It completes the connect, sends what Write queued,
//   reads and discards whatever the peer sends, and notices errors.
// - The Error handler runs only inside Poll, on the thread that called Poll,
//   as the last thing Poll does: by then the socket has closed itself and
//   LastErrorCode tells the cause. The handler may Close, Connect again,
//   Write or even destroy the socket. An error found by Connect itself (bad
//   port, a refused literal address) sets LastErrorCode at once and raises
//   the handler at the next Poll, unless Close, Disconnect or Connect comes
//   first.
// - LastErrorCode is 0 from Connect until an error, then one of the codes
//   below; it stays set through Close and Disconnect until the next Connect.
// - Write queues bytes while the socket is connecting or connected; they go
//   out, in order, at Poll. Bytes written to a closed socket are dropped and
//   raise nothing.
// - Writing to a peer that has gone never raises SIGPIPE; it ends in the
//   LostConnection error.
// - Disconnect hands what is queued to the system if it can without waiting
//   and then ends the connection in order; Close ends it at once and drops
//   what is queued. Neither raises the Error handler.
// - A socket is used from one thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "framework/core/String.h"

namespace fw {

class SocketWatch;

class TCPSocket {
 public:
  // LastErrorCode values, one per cause.
  enum ErrorCode : std::int32_t {
    kNoError = 0,
    // Nothing accepts connections at the address and port.
    kConnectionRefused = 1,
    // The address is empty, malformed or a name that does not resolve.
    kHostNotFound = 2,
    // The connection stood and then ended: closed or reset by the peer, or
    // given up by the system.
    kLostConnection = 3,
    // Port was not between 1 and 65535 at Connect.
    kInvalidPort = 4,
    // The system knows no route to the address.
    kNetworkUnreachable = 5,
    // The system gave up waiting for the peer to answer the connect.
    kConnectTimedOut = 6,
    // Any other failure of the system (no sockets left, and the like).
    kSystemError = 7,
  };

  using ErrorHandler = std::function<void()>;

  TCPSocket();
  virtual ~TCPSocket();
  TCPSocket(const TCPSocket&) = delete;
  TCPSocket& operator=(const TCPSocket&) = delete;

  const String& Address() const { return address_; }
  void SetAddress(const String& address) { address_ = address; }
  std::int32_t Port() const { return port_; }
  void SetPort(std::int32_t port) { port_ = port; }

  // Ends any connection of this socket (as Close) and starts a new one to
  // Address and Port.
  void Connect();
  void Poll();
  bool IsConnected() const;
  std::int32_t LastErrorCode() const { return lastError_; }
  void Write(std::string_view bytes);
  void Disconnect();
  void Close();

  // The "Error" event. An empty handler ignores errors (LastErrorCode still
  // tells them).
  void SetErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }

 private:
  struct Impl;
  void Fail(std::int32_t code);
  void Shutdown(bool flush);
  void RaisePendingError();

  String address_;
  std::int32_t port_ = 0;
  std::int32_t lastError_ = kNoError;
  bool errorPending_ = false;
  ErrorHandler errorHandler_;
  std::unique_ptr<Impl> impl_;
};

// The resolver of host names: the numeric addresses (as text, "127.0.0.1",
// "::1") of a name, empty when it has none. By default the system's
// resolver. It runs on the socket's own thread and may take as long as it
// likes; a socket takes the resolver installed when Connect is called.
// Tests install their own (one that never answers, say) with
// ScopedHook<SetHostResolver> (ScopedHook.h).
using HostResolver = std::function<std::vector<String>(const String& host)>;

// Installs resolver and returns the one it replaced; an empty one restores
// the system's.
HostResolver SetHostResolver(HostResolver resolver);

}  // namespace fw
