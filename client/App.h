// The application object.
//
// App() returns the registered application object. Its "Open" event loads
// the settings and its "Close" event writes them; _AboutItem_Action shows the
// About box modally and reports the command as handled.
//
// kApplicationName is the application's name: the About item names it, and
// the start-up gives it to the framework as the title of message boxes.
#pragma once

#include <memory>

#include "framework/ui/Application.h"

inline constexpr const char* kApplicationName = "トブリククライアント";

class App : public fw::Application {
 public:
  void Event_Open() override;
  void Event_Close() override;
  bool _AboutItem_Action();
};

std::shared_ptr<class App> App();
