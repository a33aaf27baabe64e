#include "client/Startup.h"

#include <signal.h>

#include "client/App.h"
#include "client/MenuBar1.h"
#include "client/wMain.h"
#include "framework/ui/Application.h"

void _Main() {
  fw::_RunFrameworkInitialization(_Startup);
  fw::_RuntimeRun();
}

std::int32_t _Startup() {
  // A file-size limit makes a write fail (the settings save is then refused
  // and leaves the file as it was) instead of ending the program.
  signal(SIGXFSZ, SIG_IGN);
  fw::_RuntimeInitExternalClasses();
  fw::_InitPluginEntrypoints();
  _InitFileTypes();
  _NewAppInstance();
  _ApplicationAddMenuHandlers();
  _MakeDefaultView();
  return 0;
}

void _InitFileTypes() {}

void _NewAppInstance() {
  auto app = std::make_shared<class App>();
  fw::SetApplicationName(kApplicationName);
  app->SetMenuBar(MenuBar1::MenuBar1());
  fw::_RuntimeRegisterAppObject(app);
}

void _ApplicationAddMenuHandlers() {
  std::shared_ptr<class App> app = App();
  if (!app) return;
  std::weak_ptr<class App> weak = app;
  app->_AddMenuHandler("AboutItem", [weak] {
    auto target = weak.lock();
    return target ? target->_AboutItem_Action() : false;
  });
}

void _MakeDefaultView() { wMain::wMain(); }
