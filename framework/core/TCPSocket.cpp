#include "framework/core/TCPSocket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "framework/core/SocketWatch.h"

namespace fw {
namespace {

struct Endpoint {
  sockaddr_storage address{};
  socklen_t length = 0;
};

// What the resolver thread hands back; shared, so that a socket closed or
// destroyed while its thread still runs leaves the thread something to fill.
struct Resolution {
  std::mutex mutex;
  bool done = false;
  std::vector<Endpoint> endpoints;
};

std::vector<Endpoint> ToEndpoints(const addrinfo* list) {
  std::vector<Endpoint> endpoints;
  for (const addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
    if (ai->ai_addrlen > sizeof(sockaddr_storage)) continue;
    Endpoint e;
    std::memcpy(&e.address, ai->ai_addr, ai->ai_addrlen);
    e.length = ai->ai_addrlen;
    endpoints.push_back(e);
  }
  return endpoints;
}

// The endpoints of host and port; numericOnly restricts host to a literal
// address, which the system parses without asking any resolver.
std::vector<Endpoint> Lookup(const String& host, const String& port, bool numericOnly) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV | (numericOnly ? AI_NUMERICHOST : 0);
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) return {};
  std::vector<Endpoint> endpoints = ToEndpoints(list);
  freeaddrinfo(list);
  return endpoints;
}

HostResolver& InstalledResolver() {
  static HostResolver resolver;
  return resolver;
}

// The endpoints of host and port through resolver (the system's when empty).
std::vector<Endpoint> Resolve(const HostResolver& resolver, const String& host,
                              const String& port) {
  if (!resolver) return Lookup(host, port, false);
  std::vector<String> addresses;
  try {
    addresses = resolver(host);
  } catch (...) {
    return {};  // a failing resolver finds nothing; nothing leaves the thread
  }
  std::vector<Endpoint> endpoints;
  for (const String& address : addresses) {
    std::vector<Endpoint> found = Lookup(address, port, true);
    endpoints.insert(endpoints.end(), found.begin(), found.end());
  }
  return endpoints;
}

bool EndsWithLabel(std::string_view name, std::string_view label) {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (name.size() < label.size()) return false;
  const std::string_view tail = name.substr(name.size() - label.size());
  for (std::size_t i = 0; i < label.size(); ++i) {
    const char c = tail[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != label[i]) return false;
  }
  return name.size() == label.size() || name[name.size() - label.size() - 1] == '.';
}

// A name worth asking a resolver about: dot-separated labels of letters,
// digits, '-' and '_', each 1 to 63 characters, at most 253 in all, the last
// one not all digits (that is a malformed numeric address, not a name), and
// not under the reserved domain "invalid", which never resolves.
bool IsResolvableName(std::string_view name) {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (name.empty() || name.size() > 253) return false;
  std::size_t label = 0;
  bool labelAllDigits = true;
  for (const char c : name) {
    if (c == '.') {
      if (label == 0) return false;
      label = 0;
      labelAllDigits = true;
      continue;
    }
    const bool digit = c >= '0' && c <= '9';
    const bool ok =
        digit || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
    if (!ok || ++label > 63) return false;
    labelAllDigits = labelAllDigits && digit;
  }
  return label != 0 && !labelAllDigits && !EndsWithLabel(name, "invalid");
}

std::int32_t ConnectErrorCode(int err) {
  switch (err) {
    case ECONNREFUSED:
    case ECONNRESET:
      return TCPSocket::kConnectionRefused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case EADDRNOTAVAIL:
    case EAFNOSUPPORT:
    case ENETDOWN:
      return TCPSocket::kNetworkUnreachable;
    case ETIMEDOUT:
      return TCPSocket::kConnectTimedOut;
    default:
      return TCPSocket::kSystemError;
  }
}

void SetOption(int fd, int level, int name, int value) {
  setsockopt(fd, level, name, &value, sizeof value);
}

// Options of every connection: small messages go out at once, and a peer
// that vanishes without a word is given up after a bounded time.
void ConfigureSocket(int fd) {
  SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
  SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, 10);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, 3);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPCNT, 3);
}

// The bound on data the peer leaves unanswered. Set only once connected:
// before, it would also cut the connect short, ahead of the caller's own
// wait.
void BoundUnansweredData(int fd) { SetOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, 20000); }

}  // namespace

struct TCPSocket::Impl {
  enum class State { Closed, Resolving, Connecting, Connected };

  State state = State::Closed;
  int fd = -1;
  std::shared_ptr<Resolution> resolution;
  std::vector<Endpoint> endpoints;
  std::size_t nextEndpoint = 0;
  String queue;
  std::size_t queueSent = 0;
  std::shared_ptr<SocketWatch> watch;

  // Connects to the endpoints from nextEndpoint on until one is under way.
  // Returns 0, or the error code of the last endpoint tried (code when none
  // is left to try).
  std::int32_t StartConnect(std::int32_t code) {
    while (nextEndpoint < endpoints.size()) {
      const Endpoint& e = endpoints[nextEndpoint++];
      fd = socket(e.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
      if (fd < 0) {
        code = ConnectErrorCode(errno);
        continue;
      }
      ConfigureSocket(fd);
      int r;
      do {
        r = connect(fd, reinterpret_cast<const sockaddr*>(&e.address), e.length);
      } while (r != 0 && errno == EINTR);
      if (r == 0) {
        state = State::Connected;
        BoundUnansweredData(fd);
        return kNoError;
      }
      if (errno == EINPROGRESS) {
        state = State::Connecting;
        return kNoError;
      }
      code = ConnectErrorCode(errno);
      CloseDescriptor();
    }
    return code;
  }

  // Whether a connect under way has finished; on failure moves to the next
  // endpoint. Returns 0, or the error code when no endpoint is left.
  std::int32_t CheckConnect() {
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, 0) <= 0 || p.revents == 0) return kNoError;
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err == 0 && (p.revents & POLLOUT) != 0 && (p.revents & (POLLERR | POLLHUP)) == 0) {
      state = State::Connected;
      BoundUnansweredData(fd);
      return kNoError;
    }
    CloseDescriptor();
    return StartConnect(ConnectErrorCode(err != 0 ? err : ECONNREFUSED));
  }

  // Sends what the system takes without waiting. False when the connection
  // is gone.
  bool Flush() {
    while (queueSent < queue.size()) {
      const ssize_t n =
          send(fd, queue.data() + queueSent, queue.size() - queueSent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        queueSent += static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return true;
      } else {
        return false;
      }
    }
    queue.clear();
    queueSent = 0;
    return true;
  }

  // Reads and discards what the peer sent. False when the peer has closed
  // or the connection failed.
  bool Drain() {
    char buffer[16384];
    for (int round = 0; round < 64; ++round) {
      const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0) continue;
      if (n == 0) return false;
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return true;
  }

  void CloseDescriptor() {
    if (fd >= 0) close(fd);
    fd = -1;
  }
};

TCPSocket::TCPSocket() : impl_(std::make_unique<Impl>()) {}

TCPSocket::~TCPSocket() { Shutdown(false); }

bool TCPSocket::IsConnected() const { return impl_->state == Impl::State::Connected; }

void TCPSocket::Connect() {
  Shutdown(false);
  lastError_ = kNoError;
  errorPending_ = false;
  if (port_ < 1 || port_ > 65535) {
    lastError_ = kInvalidPort;
    errorPending_ = true;
    return;
  }
  Impl& s = *impl_;
  const String port = std::to_string(port_);
  s.endpoints = Lookup(address_, port, true);
  if (!s.endpoints.empty()) {
    const std::int32_t code = s.StartConnect(kHostNotFound);
    if (code != kNoError) {
      Shutdown(false);
      lastError_ = code;
      errorPending_ = true;
      return;
    }
  } else if (!IsResolvableName(address_)) {
    lastError_ = kHostNotFound;
    errorPending_ = true;
    return;
  } else {
    auto resolution = std::make_shared<Resolution>();
    try {
      std::thread([resolution, resolver = InstalledResolver(), host = address_, port] {
        std::vector<Endpoint> endpoints = Resolve(resolver, host, port);
        std::lock_guard<std::mutex> lock(resolution->mutex);
        resolution->endpoints = std::move(endpoints);
        resolution->done = true;
      }).detach();
    } catch (const std::system_error&) {
      lastError_ = kSystemError;
      errorPending_ = true;
      return;
    }
    s.resolution = std::move(resolution);
    s.state = Impl::State::Resolving;
  }
  s.watch = CurrentSocketWatch();
  if (s.watch) s.watch->Add(*this);
}

void TCPSocket::Poll() {
  if (errorPending_) {
    RaisePendingError();
    return;
  }
  Impl& s = *impl_;
  if (s.state == Impl::State::Resolving) {
    {
      std::lock_guard<std::mutex> lock(s.resolution->mutex);
      if (!s.resolution->done) return;
      s.endpoints = std::move(s.resolution->endpoints);
    }
    s.resolution.reset();
    s.nextEndpoint = 0;
    s.state = Impl::State::Closed;
    const std::int32_t code = s.StartConnect(kHostNotFound);
    if (code != kNoError) return Fail(code);
  }
  if (s.state == Impl::State::Connecting) {
    const std::int32_t code = s.CheckConnect();
    if (code != kNoError) return Fail(code);
  }
  if (s.state == Impl::State::Connected) {
    if (!s.Flush() || !s.Drain()) return Fail(kLostConnection);
  }
}

void TCPSocket::Write(std::string_view bytes) {
  if (impl_->state == Impl::State::Closed) return;
  impl_->queue.append(bytes);
}

void TCPSocket::Disconnect() {
  errorPending_ = false;
  Shutdown(true);
}

void TCPSocket::Close() {
  errorPending_ = false;
  Shutdown(false);
}

void TCPSocket::Shutdown(bool flush) {
  Impl& s = *impl_;
  if (s.fd >= 0 && s.state == Impl::State::Connected) {
    if (flush) s.Flush();
    // Unread data would make the system reset the connection instead of
    // closing it in order, losing what is still in flight.
    s.Drain();
    shutdown(s.fd, SHUT_WR);
  }
  s.CloseDescriptor();
  s.resolution.reset();
  s.endpoints.clear();
  s.nextEndpoint = 0;
  s.queue.clear();
  s.queueSent = 0;
  s.state = Impl::State::Closed;
  if (std::shared_ptr<SocketWatch> watch = std::move(s.watch)) watch->Remove(*this);
}

HostResolver SetHostResolver(HostResolver resolver) {
  HostResolver previous = std::move(InstalledResolver());
  InstalledResolver() = std::move(resolver);
  return previous;
}

void TCPSocket::Fail(std::int32_t code) {
  Shutdown(false);
  lastError_ = code;
  RaisePendingError();
}

void TCPSocket::RaisePendingError() {
  errorPending_ = false;
  // A copy: the handler may replace it or destroy the socket.
  ErrorHandler handler = errorHandler_;
  if (handler) handler();
}

}  // namespace fw
