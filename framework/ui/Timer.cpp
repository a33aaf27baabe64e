#include "framework/ui/Timer.h"

#include <algorithm>
#include <chrono>

#include <QTimer>

namespace fw {
namespace {

class SteadyClock final : public TimerClock {
 public:
  // The Qt timer is released with deleteLater: an alarm may be cancelled
  // from within its own timeout.
  class QtAlarm final : public Alarm {
   public:
    QtAlarm(std::int64_t delayMicroseconds, std::function<void()> fire) : timer_(new QTimer) {
      timer_->setSingleShot(true);
      timer_->setTimerType(Qt::PreciseTimer);
      QObject::connect(timer_, &QTimer::timeout, std::move(fire));
      // Round up: an alarm may come late, not early.
      timer_->start(static_cast<int>((delayMicroseconds + 999) / 1000));
    }
    ~QtAlarm() override {
      timer_->stop();
      timer_->disconnect();
      timer_->deleteLater();
    }

   private:
    QTimer* timer_;
  };

  std::int64_t NowMicroseconds() override {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
  }
  std::unique_ptr<Alarm> Schedule(std::int64_t delayMicroseconds,
                                  std::function<void()> fire) override {
    return std::make_unique<QtAlarm>(delayMicroseconds, std::move(fire));
  }
};

std::shared_ptr<TimerClock>& CurrentClock() {
  static std::shared_ptr<TimerClock> clock = std::make_shared<SteadyClock>();
  return clock;
}

}  // namespace

std::shared_ptr<TimerClock> SetTimerClock(std::shared_ptr<TimerClock> clock) {
  auto previous = std::move(CurrentClock());
  CurrentClock() = clock ? std::move(clock) : std::make_shared<SteadyClock>();
  return previous;
}

void Timer::SetPeriod(std::int32_t ms) {
  period_ = ms < 0 ? 0 : ms;
  Restart();
}

void Timer::SetMode(std::int32_t mode) {
  mode_ = (mode == 1 || mode == 2) ? mode : 0;
  Restart();
}

void Timer::SetEnabled(bool on) {
  enabled_ = on;
  Restart();
}

void Timer::Reset() { Restart(); }

void Timer::_SetProperties(const Properties& p) {
  period_ = p.Period < 0 ? 0 : p.Period;
  mode_ = (p.Mode == 1 || p.Mode == 2) ? p.Mode : 0;
  enabled_ = p.Enabled;
  Restart();
}

void Timer::Restart() {
  alarm_.reset();
  if (!enabled_ || mode_ == 0) return;
  clock_ = CurrentClock();
  start_ = clock_->NowMicroseconds();
  Arm(std::int64_t{period_} * 1000);
}

void Timer::Arm(std::int64_t delayMicroseconds) {
  alarm_ = clock_->Schedule(delayMicroseconds, [this] { Due(); });
}

void Timer::Due() {
  std::int64_t elapsed = clock_->NowMicroseconds() - start_;
  std::int64_t period = std::int64_t{period_} * 1000;
  if (elapsed < period) {  // woken early: wait out the rest
    Arm(period - elapsed);
    return;
  }
  if (mode_ == 1) {
    mode_ = 0;
    alarm_.reset();
  } else {
    start_ += period > 0 ? period * (elapsed / period) : elapsed;
    Arm(start_ + period - clock_->NowMicroseconds());
  }
  _CallAction();
}

void Timer::addActionNotificationReceiver(ActionNotificationReceiver* receiver) {
  if (receiver && std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
    receivers_.push_back(receiver);
}

void Timer::removeActionNotificationReceiver(ActionNotificationReceiver* receiver) {
  receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver), receivers_.end());
}

void Timer::_CallAction() {
  RaiseEvent("Action");
  // A receiver may remove itself (or another) while being told.
  std::vector<ActionNotificationReceiver*> receivers = receivers_;
  for (ActionNotificationReceiver* r : receivers)
    if (std::find(receivers_.begin(), receivers_.end(), r) != receivers_.end())
      DispatchSafely([r] { r->PerformAction(); });
}

}  // namespace fw
