#include "framework/ui/SocketWatch.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/core/SocketWatch.h"
#include "framework/core/TCPSocket.h"

namespace fw {
namespace {

class QtSocketWatch : public SocketWatch {
 public:
  ~QtSocketWatch() override { delete timer_; }

  void Add(TCPSocket& socket) override {
    sockets_.push_back(&socket);
    if (!timer_) {
      // Parented to the application, so it never outlives the event loop.
      timer_ = new QTimer(QCoreApplication::instance());
      timer_->setInterval(kSocketWatchIntervalMs);
      QObject::connect(timer_, &QTimer::timeout, [this] { PollAll(); });
    }
    if (!timer_->isActive()) timer_->start();
  }

  void Remove(TCPSocket& socket) override {
    sockets_.erase(std::remove(sockets_.begin(), sockets_.end(), &socket), sockets_.end());
    if (sockets_.empty() && timer_) timer_->stop();
  }

 private:
  bool Watching(TCPSocket* socket) const {
    return std::find(sockets_.begin(), sockets_.end(), socket) != sockets_.end();
  }

  // A socket's Poll may close it, or others (its Error handler runs inside),
  // so each one is checked again just before it is polled.
  void PollAll() {
    const std::vector<TCPSocket*> snapshot = sockets_;
    for (TCPSocket* socket : snapshot) {
      if (Watching(socket)) socket->Poll();
    }
  }

  std::vector<TCPSocket*> sockets_;
  QPointer<QTimer> timer_;
};

std::shared_ptr<QtSocketWatch>& Installed() {
  static std::shared_ptr<QtSocketWatch> watch;
  return watch;
}

}  // namespace

void InstallSocketWatch() {
  if (Installed() && CurrentSocketWatch() == Installed()) return;
  Installed() = std::make_shared<QtSocketWatch>();
  SetSocketWatch(Installed());
}

void RemoveSocketWatch() {
  if (Installed() && CurrentSocketWatch() == Installed()) SetSocketWatch(nullptr);
}

}  // namespace fw
