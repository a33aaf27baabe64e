// The application object.
//
// App() returns the registered application object. Its "Open" event loads
// the settings and its "Close" event writes them; _AboutItem_Action shows the
// About box modally and reports the command as handled.
#pragma once

#include <memory>

#include "framework/ui/Application.h"

class App : public fw::Application {
 public:
  void Event_Open() override;
  void Event_Close() override;
  bool _AboutItem_Action();
};

std::shared_ptr<class App> App();
