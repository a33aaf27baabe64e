#include "client/App.h"

#include "client/Prefs.h"
#include "client/wAbout.h"

std::shared_ptr<class App> App() {
  return std::dynamic_pointer_cast<class App>(fw::_GetAppObject());
}

void App::Event_Open() { Prefs::Init(); }

void App::Event_Close() { Prefs::Save(); }

bool App::_AboutItem_Action() {
  std::shared_ptr<class wAbout::wAbout> box = wAbout::wAbout();
  box->ShowModal();
  return true;
}
