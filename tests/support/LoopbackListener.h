// A listening TCP socket on 127.0.0.1 for tests and benchmarks: it accepts
// one connection and records the bytes that arrive on it.
//
// Everything runs on the caller's thread: the system completes a connection
// into the accept queue without the listener's help, so a test can let the
// code under test connect and write first and read what arrived afterwards.
// Every wait is bounded; a wait that runs out returns what it has.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class LoopbackListener {
 public:
  // backlog is passed to listen(); see FillAcceptQueue.
  explicit LoopbackListener(int backlog = 16) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = LoopbackAddress(0);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener_, backlog);
    socklen_t len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~LoopbackListener() {
    CloseConnection();
    for (int fd : fillers_) close(fd);
    if (listener_ >= 0) close(listener_);
  }
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int Port() const { return port_; }

  // Accepts the next connection, waiting up to timeout, and starts a new
  // record of received bytes. True when one came.
  bool Accept(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    if (!WaitReadable(listener_, timeout)) return false;
    CloseConnection();
    received_.clear();
    peerClosed_ = false;
    peerReset_ = false;
    connection_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return connection_ >= 0;
  }

  bool HasConnection() const { return connection_ >= 0; }

  // Reads until at least count bytes have arrived in all, the peer closes
  // or timeout passes. Returns everything received so far.
  const std::string& ReadAtLeast(std::size_t count,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (connection_ >= 0 && !peerClosed_ && received_.size() < count) {
      if (!ReadOnce(deadline)) break;
    }
    return received_;
  }

  // Reads until the peer ends the connection or timeout passes. True when
  // the end was seen.
  bool WaitForPeerClose(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (connection_ >= 0 && !peerClosed_) {
      if (!ReadOnce(deadline)) break;
    }
    return peerClosed_;
  }

  // Reads what has already arrived, without waiting.
  const std::string& ReadAvailable() {
    while (connection_ >= 0 && !peerClosed_ && ReadOnce(std::chrono::steady_clock::now())) {
    }
    return received_;
  }

  const std::string& Received() const { return received_; }
  bool PeerClosed() const { return peerClosed_; }
  // The peer's end came as a reset rather than an orderly close.
  bool PeerReset() const { return peerReset_; }
  void ClearReceived() { received_.clear(); }

  // Sends bytes to the connected peer.
  void Send(const std::string& bytes) {
    if (connection_ >= 0) send(connection_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }

  // Ends the accepted connection; with reset, the peer sees a reset instead
  // of an orderly close.
  void CloseConnection(bool reset = false) {
    if (connection_ < 0) return;
    if (reset) {
      linger l{1, 0};
      setsockopt(connection_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    close(connection_);
    connection_ = -1;
  }

  // Stops listening; connections the system has not completed yet are
  // refused from now on.
  void StopListening() {
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
  }

  // Fills the accept queue with connections of its own until the system
  // completes no more, so that a further connect never completes (the
  // listener never accepts). Use with a backlog of 0. True when full.
  bool FillAcceptQueue() {
    for (int i = 0; i < 16; ++i) {
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      sockaddr_in a = LoopbackAddress(port_);
      connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
      fillers_.push_back(fd);
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 300) == 0) return true;  // this one is left waiting
    }
    return false;
  }

  // A port on 127.0.0.1 where nothing listens: bound by this object (so no
  // one else takes it) but never listening, so connecting is refused.
  class ClosedPort {
   public:
    ClosedPort() {
      fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in a = LoopbackAddress(0);
      bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
      socklen_t len = sizeof a;
      getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
      port_ = ntohs(a.sin_port);
    }
    ~ClosedPort() { close(fd_); }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    int Port() const { return port_; }

   private:
    int fd_ = -1;
    int port_ = 0;
  };

 private:
  static sockaddr_in LoopbackAddress(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    return a;
  }

  static bool WaitReadable(int fd, std::chrono::milliseconds timeout) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, static_cast<int>(timeout.count())) > 0;
  }

  // One read, waiting until deadline for something to arrive. False when
  // nothing came in time.
  bool ReadOnce(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!WaitReadable(connection_, std::max(left, std::chrono::milliseconds(0)))) return false;
    char buffer[4096];
    const ssize_t n = recv(connection_, buffer, sizeof buffer, 0);
    if (n > 0) {
      received_.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      peerClosed_ = true;
      peerReset_ = n < 0 && errno == ECONNRESET;
    }
    return true;
  }

  int listener_ = -1;
  int connection_ = -1;
  int port_ = 0;
  bool peerClosed_ = false;
  bool peerReset_ = false;
  std::string received_;
  std::vector<int> fillers_;
};

}  // namespace testsupport
