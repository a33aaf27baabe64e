// The ways the user leaves, for tests of what must not wait on the user
// then: each case runs inside while the user is leaving (fw::Leaving). Call
// fw::RuntimeReset() after each case.
#pragma once

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMainWindow>
#include <QWindow>

#include <functional>
#include <memory>
#include <vector>

#include "framework/ui/Application.h"
#include "framework/ui/EventSource.h"
#include "framework/ui/Window.h"

namespace testsupport {

struct LeavingCase {
  const char* name;
  std::function<void(const fw::EventHandler& inside)> leave;
};

inline const std::vector<LeavingCase>& LeavingCases() {
  static const std::vector<LeavingCase> cases = {
      {"a quit under way",
       [](const fw::EventHandler& inside) {
         fw::Quit(0);
         inside();
       }},
      {"a window closing",
       [](const fw::EventHandler& inside) {
         auto closing = std::make_shared<fw::Window>("Closing");
         closing->Constructor();
         closing->_InstallInstanceEventHandler("Close", inside);
         closing->Close();
       }},
      {"a close request waiting for the handler",
       [](const fw::EventHandler& inside) {
         auto main = std::make_shared<fw::Window>("Main");
         main->Constructor();
         fw::DispatchSafely([&] {
           QCoreApplication::postEvent(main->Widget()->windowHandle(), new QCloseEvent);
           fw::TakeCloseRequests();
           inside();
         });
       }},
  };
  return cases;
}

}  // namespace testsupport
