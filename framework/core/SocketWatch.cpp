#include "framework/core/SocketWatch.h"

namespace fw {
namespace {

std::shared_ptr<SocketWatch>& Installed() {
  static std::shared_ptr<SocketWatch> watch;
  return watch;
}

}  // namespace

std::shared_ptr<SocketWatch> SetSocketWatch(std::shared_ptr<SocketWatch> watch) {
  std::shared_ptr<SocketWatch> previous = std::move(Installed());
  Installed() = std::move(watch);
  return previous;
}

std::shared_ptr<SocketWatch> CurrentSocketWatch() { return Installed(); }

}  // namespace fw
