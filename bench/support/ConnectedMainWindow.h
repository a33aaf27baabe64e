// The main window (offscreen) of a benchmark, connected as "abc" to a
// listener on 127.0.0.1, with a settings folder of its own (never the
// user's). Ends the window and the framework's state, and removes the
// folder, when it ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "client/Prefs.h"
#include "client/wMain.h"
#include "framework/ui/Application.h"
#include "tests/support/LoopbackListener.h"

namespace bench {

class ConnectedMainWindow {
 public:
  ConnectedMainWindow() {
    if (mkdtemp(folder_) == nullptr) {
      error_ = "no temporary folder";
      return;
    }
    setenv("XDG_CONFIG_HOME", folder_, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::InitializeFramework();
    window_ = wMain::wMain();
    window_->txtServer->SetText("127.0.0.1");
    window_->txtPort->SetText(std::to_string(listener_.Port()));
    window_->txtName->SetText("abc");
    window_->cmdConnect->RaiseEvent("Action");
    const std::string join = "abc^J\x0C";
    if (!listener_.Accept() || listener_.ReadAtLeast(join.size()) != join)
      error_ = "could not connect to the listener";
    listener_.ClearReceived();
  }
  ~ConnectedMainWindow() {
    if (!window_) return;
    window_.reset();
    Prefs::ResetForTests();
    fw::RuntimeReset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ConnectedMainWindow(const ConnectedMainWindow&) = delete;
  ConnectedMainWindow& operator=(const ConnectedMainWindow&) = delete;

  // Null when connected; else why not.
  const char* Error() const { return error_; }
  const std::shared_ptr<class wMain::wMain>& Window() const { return window_; }
  testsupport::LoopbackListener& Listener() { return listener_; }

 private:
  char folder_[25] = "/tmp/tobrik-bench-XXXXXX";
  testsupport::LoopbackListener listener_;
  std::shared_ptr<class wMain::wMain> window_;
  const char* error_ = nullptr;
};

}  // namespace bench
