// Timers: modes, enabling, restarting, and never firing early (on a clock
// the test moves by hand), plus one short run on the real clock.
#include <gtest/gtest.h>

#include <chrono>

#include <QEventLoop>
#include <QTimer>

#include "framework/core/ScopedHook.h"
#include "framework/ui/Timer.h"
#include "tests/support/FakeTimerClock.h"
#include "tests/support/GuiEnvironment.h"

namespace {

using testsupport::FakeTimerClock;

class TimerTest : public testsupport::GuiTest {
 protected:
  void SetUp() override {
    timer_.SetEnabled(false);
    timer_._InstallInstanceEventHandler("Action", fw::EventHandler([this] { ++fired_; }));
  }
  std::shared_ptr<FakeTimerClock> clock_ = std::make_shared<FakeTimerClock>();
  fw::ScopedHook<fw::SetTimerClock> guard_{clock_};
  fw::Timer timer_;
  int fired_ = 0;
};

TEST_F(TimerTest, ModesOverTime) {
  struct Case {
    const char* what;
    int mode;
    bool enabled;
    int period;
    int advanceMs;
    int expectedFirings;
    int modeAfter;
  };
  const Case cases[] = {
      {"once, just before", 1, true, 100, 99, 0, 1},
      {"once, on time", 1, true, 100, 100, 1, 0},
      {"once, long after", 1, true, 100, 1000, 1, 0},
      {"repeating", 2, true, 100, 350, 3, 2},
      {"off", 0, true, 100, 1000, 0, 0},
      {"disabled", 1, false, 100, 1000, 0, 1},
      {"period 0 fires at the next turn", 1, true, 0, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fired_ = 0;
    timer_.SetEnabled(false);
    timer_.SetPeriod(c.period);
    timer_.SetMode(c.mode);
    timer_.SetEnabled(c.enabled);
    clock_->Advance(c.advanceMs);
    EXPECT_EQ(fired_, c.expectedFirings);
    EXPECT_EQ(timer_.Mode(), c.modeAfter);
  }
}

TEST_F(TimerTest, AssigningAgainRestartsTheCountdown) {
  timer_.SetPeriod(100);
  timer_.SetMode(1);
  timer_.SetEnabled(true);
  clock_->Advance(80);
  timer_.Reset();
  clock_->Advance(80);
  EXPECT_EQ(fired_, 0);
  timer_.SetPeriod(100);
  clock_->Advance(99);
  EXPECT_EQ(fired_, 0);
  clock_->Advance(1);
  EXPECT_EQ(fired_, 1);
}

TEST_F(TimerTest, AnEarlyWakeUpWaitsOutTheRest) {
  timer_.SetPeriod(2500);
  timer_.SetMode(1);
  timer_.SetEnabled(true);
  clock_->Advance(2499);
  clock_->FireAllEarly();
  EXPECT_EQ(fired_, 0);
  EXPECT_TRUE(timer_.IsRunning());
  clock_->Advance(1);
  EXPECT_EQ(fired_, 1);
  EXPECT_FALSE(timer_.IsRunning());
}

TEST_F(TimerTest, DisablingStopsIt) {
  timer_.SetPeriod(10);
  timer_.SetMode(2);
  timer_.SetEnabled(true);
  clock_->Advance(25);
  timer_.SetEnabled(false);
  clock_->Advance(100);
  EXPECT_EQ(fired_, 2);
  EXPECT_FALSE(timer_.IsRunning());
}

TEST_F(TimerTest, ReceiversAreToldAfterTheEventInOrder) {
  struct Receiver : fw::ActionNotificationReceiver {
    std::vector<std::string>* log;
    std::string name;
    Receiver(std::vector<std::string>* l, std::string n) : log(l), name(std::move(n)) {}
    void PerformAction() override { log->push_back(name); }
  };
  std::vector<std::string> log;
  timer_._InstallInstanceEventHandler("Action", fw::EventHandler([&] { log.push_back("event"); }));
  Receiver one(&log, "one"), two(&log, "two");
  timer_.addActionNotificationReceiver(&one);
  timer_.addActionNotificationReceiver(&two);
  timer_.addActionNotificationReceiver(&one);
  timer_.SetPeriod(10);
  timer_.SetMode(2);
  timer_.SetEnabled(true);
  clock_->Advance(10);
  EXPECT_EQ(log, (std::vector<std::string>{"event", "one", "two"}));
  timer_.removeActionNotificationReceiver(&one);
  timer_.removeActionNotificationReceiver(&one);
  log.clear();
  clock_->Advance(10);
  EXPECT_EQ(log, (std::vector<std::string>{"event", "two"}));
}

TEST(TimerRealClockTest, FiresAfterItsPeriod) {
  fw::Timer timer;
  QEventLoop loop;
  auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration elapsed{};
  timer._InstallInstanceEventHandler("Action", fw::EventHandler([&] {
                                       elapsed = std::chrono::steady_clock::now() - start;
                                       loop.quit();
                                     }));
  QTimer::singleShot(2000, &loop, [&] { loop.quit(); });  // a safety net only
  timer.SetPeriod(40);
  timer.SetMode(1);
  loop.exec();
  EXPECT_GE(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count(), 40000);
  EXPECT_EQ(timer.Mode(), 0);
}

}  // namespace
