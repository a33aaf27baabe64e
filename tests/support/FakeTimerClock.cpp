#include "tests/support/FakeTimerClock.h"

#include <vector>

namespace testsupport {

class FakeTimerClock::FakeAlarm final : public Alarm {
 public:
  FakeAlarm(std::weak_ptr<FakeTimerClock> clock, std::uint64_t id)
      : clock_(std::move(clock)), id_(id) {}
  ~FakeAlarm() override {
    if (auto c = clock_.lock()) c->alarms_.erase(id_);
  }

 private:
  std::weak_ptr<FakeTimerClock> clock_;
  std::uint64_t id_;
};

std::unique_ptr<fw::TimerClock::Alarm> FakeTimerClock::Schedule(std::int64_t delayMicroseconds,
                                                                std::function<void()> fire) {
  std::uint64_t id = next_++;
  alarms_[id] = Entry{now_ + (delayMicroseconds < 0 ? 0 : delayMicroseconds), std::move(fire)};
  return std::make_unique<FakeAlarm>(weak_from_this(), id);
}

void FakeTimerClock::AdvanceMicroseconds(std::int64_t us) {
  const std::int64_t target = now_ + us;
  for (;;) {
    auto earliest = alarms_.end();
    for (auto it = alarms_.begin(); it != alarms_.end(); ++it)
      if (it->second.due <= target &&
          (earliest == alarms_.end() || it->second.due < earliest->second.due))
        earliest = it;
    if (earliest == alarms_.end()) break;
    if (earliest->second.due > now_) now_ = earliest->second.due;
    std::function<void()> fire = std::move(earliest->second.fire);
    alarms_.erase(earliest);
    fire();
  }
  now_ = target;
}

void FakeTimerClock::FireAllEarly() {
  std::vector<std::function<void()>> due;
  for (auto& [id, p] : alarms_) due.push_back(std::move(p.fire));
  alarms_.clear();
  for (auto& f : due) f();
}

}  // namespace testsupport
