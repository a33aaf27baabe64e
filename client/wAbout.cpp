#include "client/wAbout.h"

#include "client/Pictures.h"

namespace wAbout {
namespace {

constexpr const char* kClassName = "wAbout.wAbout";

}  // namespace

fw::String CreditText() {
  const fw::String cr(1, '\r');
  return "Linux port by Aoi Nakamura" + cr + "Tobrik Client v2.1, designed by Hiroshi Takeda" + cr +
         "(c) 2026 Tobrik Systems";
}

wAbout::wAbout() : fw::Window(kClassName) {
  _InstallInstanceEventHandler("Layout", fw::EventHandler([this] { Layout(); }));
  _InstallInstanceEventHandler("CreateControls", fw::EventHandler([this] { CreateControls(); }));
  _InstallInstanceEventHandler("Open", fw::EventHandler([this] { Event_Open(); }));
  _InstallInstanceEventHandler(
      "KeyDown", fw::KeyEventHandler([this](const fw::String& key) { return Event_KeyDown(key); }));
  _InstallInstanceEventHandler(
      "MouseDown", fw::MouseEventHandler(
                       [this](std::int32_t x, std::int32_t y) { return Event_MouseDown(x, y); }));
}

void wAbout::Layout() {
  fw::WindowProperties p;
  p.Width = 423;
  p.Height = 73;
  p.MinWidth = 64;
  p.MinHeight = 64;
  p.MaxWidth = 32000;
  p.MaxHeight = 32000;
  p.Resizeable = false;
  p.Frame = 1;
  p.CloseButton = true;
  p.MinimizeButton = true;
  p.MaximizeButton = false;
  p.Title = "About トブリク Client";
  p.Visible = true;
  p.Placement = 0;
  p.HasBackColor = false;
  p.BackColor = fw::RGB(255, 255, 255);
  p.Composite = false;
  p.LiveResize = true;
  p.FullScreen = false;
  p.MenuBarVisible = true;
  p.MacProcID = 0;
  _SetProperties(p);
}

void wAbout::CreateControls() { _CreateControls0(); }

void wAbout::_CreateControls0() {
  Canvas1 = __New<fw::Canvas>();
  Canvas1->Constructor();
  _AddControl("Canvas1", Canvas1);
  Canvas1->SetBackdrop(tobrik_icon());
  fw::Canvas::Properties canvas;
  canvas.Left = 20;
  canvas.Top = 14;
  canvas.Width = 48;
  canvas.Height = 48;
  canvas.TabIndex = 0;
  Canvas1->_SetProperties(canvas);

  StaticText1 = __New<fw::StaticText>();
  StaticText1->Constructor();
  _AddControl("StaticText1", StaticText1);
  fw::StaticText::Properties text;
  text.Left = 78;
  text.Top = 14;
  text.Width = 329;
  text.Height = 48;
  text.TabIndex = 1;
  text.Text = CreditText();
  text.TextAlign = 0;
  text.Multiline = true;
  StaticText1->_SetProperties(text);

  Timer1 = std::make_shared<class Timer1>();
  Timer1->Constructor();
  _AddControl("Timer1", std::static_pointer_cast<fw::PaneChild>(Timer1));
  fw::Timer::Properties timer;
  timer.Mode = 0;
  timer.Period = 0;
  Timer1->_SetProperties(timer);
  Timer1->_InstallInstanceEventHandler("Action", fw::EventHandler([this] { Timer1_Action(); }));
}

void wAbout::Timer1_Action() { Close(); }

bool wAbout::Event_MouseDown(std::int32_t, std::int32_t) {
  Close();
  return false;
}

bool wAbout::Event_KeyDown(const fw::String&) {
  Close();
  return false;
}

void wAbout::Event_Open() {
  Timer1->SetPeriod(2500);
  Timer1->SetEnabled(true);
  Timer1->SetMode(1);
}

std::shared_ptr<class wAbout> wAbout() {
  if (auto open = std::dynamic_pointer_cast<class wAbout>(fw::_GetImplicitWindow(kClassName)))
    return open;
  auto box = std::make_shared<class wAbout>();
  box->Constructor();
  return box;
}

}  // namespace wAbout
