// A host-name resolver for tests that answers only when the test opens its
// gate: until then it keeps the socket's resolver thread waiting, as a name
// server that never answers does. The gate opens at the latest when the
// object ends, so no thread is left waiting.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/core/ScopedHook.h"
#include "framework/core/TCPSocket.h"

namespace testsupport {

class ResolverGate {
 public:
  // The addresses the resolver answers once the gate is open.
  explicit ResolverGate(std::vector<std::string> answer)
      : state_(std::make_shared<State>()),
        guard_([state = state_, answer = std::move(answer)](const std::string&) {
          std::unique_lock<std::mutex> lock(state->mutex);
          ++state->asked;
          state->changed.notify_all();
          state->changed.wait(lock, [&] { return state->open; });
          return answer;
        }) {}
  ~ResolverGate() { Open(); }
  ResolverGate(const ResolverGate&) = delete;
  ResolverGate& operator=(const ResolverGate&) = delete;

  void Open() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->open = true;
    state_->changed.notify_all();
  }

  // How many lookups have started so far.
  int Asked() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->asked;
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int asked = 0;
  };
  std::shared_ptr<State> state_;
  fw::ScopedHook<fw::SetHostResolver> guard_;
};

}  // namespace testsupport
