// Timers.
//
// A Timer raises "Action" Period milliseconds after it was started, and
// never earlier: the framework checks the elapsed time against a monotonic
// clock before raising the event and waits out any remainder. Mode: 0 off,
// 1 fire once (the mode then returns to 0), 2 fire repeatedly, every Period
// from the previous firing. The timer runs while Enabled is True and Mode is
// not 0; assigning Period, Mode or Enabled (or calling Reset) while it may
// run starts its countdown afresh from that moment. A Period below 0 counts
// as 0 (fire as soon as the event loop turns).
//
// Besides its "Action" event, a timer tells every ActionNotificationReceiver
// added with addActionNotificationReceiver, in the order they were added,
// each time it fires (after the event). The timer does not own receivers;
// remove one before it goes away.
//
// The clock and the alarms that wake the timer come from a replaceable
// TimerClock (ScopedHook<SetTimerClock>, ScopedHook.h), so tests can move
// time by hand. The default
// uses the steady clock and precise Qt timers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/ui/EventSource.h"

namespace fw {

class TimerClock {
 public:
  class Alarm {
   public:
    virtual ~Alarm() = default;  // destroying an alarm cancels it
  };
  virtual ~TimerClock() = default;
  virtual std::int64_t NowMicroseconds() = 0;
  // Calls fire once, about delayMicroseconds from now (possibly early or
  // late: the timer checks the clock itself).
  virtual std::unique_ptr<Alarm> Schedule(std::int64_t delayMicroseconds,
                                          std::function<void()> fire) = 0;
};

// Installs clock (null restores the default) and returns the previous one.
std::shared_ptr<TimerClock> SetTimerClock(std::shared_ptr<TimerClock> clock);

class ActionNotificationReceiver {
 public:
  virtual ~ActionNotificationReceiver() = default;
  virtual void PerformAction() = 0;
};

class Timer : public EventSource {
 public:
  Timer() = default;
  ~Timer() override = default;
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  std::int32_t Period() const { return period_; }
  void SetPeriod(std::int32_t ms);
  std::int32_t Mode() const { return mode_; }
  void SetMode(std::int32_t mode);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  void Reset();
  bool IsRunning() const { return alarm_ != nullptr; }

  struct Properties {
    std::int32_t Mode = 0;
    std::int32_t Period = 0;
    bool Enabled = true;
  };
  void _SetProperties(const Properties& p);

  // Adding a receiver twice has no further effect; removing an absent one
  // does nothing.
  void addActionNotificationReceiver(ActionNotificationReceiver* receiver);
  void removeActionNotificationReceiver(ActionNotificationReceiver* receiver);

  // Raises "Action" and tells the receivers (what the alarm does when the
  // time has come).
  void _CallAction();

 private:
  void Restart();
  void Arm(std::int64_t delayMicroseconds);
  void Due();

  std::int32_t period_ = 0;
  std::int32_t mode_ = 0;
  bool enabled_ = true;
  std::shared_ptr<TimerClock> clock_;
  std::int64_t start_ = 0;
  std::unique_ptr<TimerClock::Alarm> alarm_;
  std::vector<ActionNotificationReceiver*> receivers_;
};

}  // namespace fw
