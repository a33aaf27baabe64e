// A timer clock that moves only when the test says so. Advance(ms) moves the
// time forward and fires, in time order, every alarm that has come due.
// FireAllEarly() fires every pending alarm now, before its time, as a
// sloppy platform timer might.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "framework/ui/Timer.h"

namespace testsupport {

class FakeTimerClock final : public fw::TimerClock,
                             public std::enable_shared_from_this<FakeTimerClock> {
 public:
  std::int64_t NowMicroseconds() override { return now_; }
  std::unique_ptr<Alarm> Schedule(std::int64_t delayMicroseconds,
                                  std::function<void()> fire) override;

  void AdvanceMicroseconds(std::int64_t us);
  void Advance(std::int64_t ms) { AdvanceMicroseconds(ms * 1000); }
  void FireAllEarly();
  std::size_t Pending() const { return alarms_.size(); }

 private:
  struct Entry {
    std::int64_t due;
    std::function<void()> fire;
  };
  class FakeAlarm;
  std::int64_t now_ = 1'000'000;
  std::uint64_t next_ = 0;
  std::map<std::uint64_t, Entry> alarms_;
};

}  // namespace testsupport
