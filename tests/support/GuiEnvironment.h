// Shared set-up of the GUI tests: one Qt application for the whole test
// program (on the offscreen platform unless QT_QPA_PLATFORM says otherwise), a message-box hook
// that fails the test on any box the test did not expect, and a modal hook that fails on any
// ShowModal the test did not intercept (so that nothing ever blocks). GuiTest resets the
// framework's windows and application object after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/MsgBox.h"
#include "framework/core/ScopedHook.h"
#include "framework/ui/Window.h"

namespace testsupport {

class GuiTest : public ::testing::Test {
 protected:
  void TearDown() override;
};

// Records every message box instead of showing it.
class MsgBoxRecorder {
 public:
  MsgBoxRecorder() : guard_([this](const fw::String& text) { messages.push_back(text); }) {}
  std::vector<fw::String> messages;

 private:
  fw::ScopedHook<fw::SetMsgBoxHook> guard_;
};

// Lets the Qt event loop run for a moment (delivers posted events).
void ProcessEvents();

}  // namespace testsupport
