// Building and placing the main window.
#include "client/wMain.h"

#include "client/MenuBar1.h"
#include "client/Pictures.h"
#include "client/wskClient.h"
#include "framework/core/Number.h"
#include "framework/ui/Screen.h"

namespace wMain {
namespace {

constexpr const char* kClassName = "wMain.wMain";

fw::RectProperties Rect(std::int32_t left, std::int32_t top, std::int32_t width,
                        std::int32_t height, fw::RectControl* in, std::int32_t tab,
                        bool enabled = true, bool visible = true) {
  fw::RectProperties p;
  p.Left = left;
  p.Top = top;
  p.Width = width;
  p.Height = height;
  p.InitialParent = in;
  p.TabIndex = tab;
  p.Enabled = enabled;
  p.Visible = visible;
  return p;
}

fw::GroupBox::Properties Box(const fw::RectProperties& r, const char* caption) {
  fw::GroupBox::Properties p;
  static_cast<fw::RectProperties&>(p) = r;
  p.Caption = caption;
  return p;
}

fw::StaticText::Properties Label(const fw::RectProperties& r, const char* text) {
  fw::StaticText::Properties p;
  static_cast<fw::RectProperties&>(p) = r;
  p.Text = text;
  p.TextAlign = 2;  // right-aligned, toward the field
  p.Multiline = false;
  return p;
}

fw::EditField::Properties Field(const fw::RectProperties& r, const char* text,
                                const char* mask = "", std::int32_t alignment = 0) {
  fw::EditField::Properties p;
  static_cast<fw::RectProperties&>(p) = r;
  p.Text = text;
  p.Mask = mask;
  p.Alignment = alignment;
  return p;
}

fw::BevelButton::Properties Button(const fw::RectProperties& r, std::int32_t iconAlign,
                                   bool acceptFocus = false) {
  fw::BevelButton::Properties p;
  static_cast<fw::RectProperties&>(p) = r;
  p.Caption = "";
  p.IconAlign = iconAlign;
  p.AcceptFocus = acceptFocus;
  return p;
}

}  // namespace

wMain::wMain() : fw::Window(kClassName) {
  _InstallInstanceEventHandler("Layout", fw::EventHandler([this] { Layout(); }));
  _InstallInstanceEventHandler("CreateControls", fw::EventHandler([this] { CreateControls(); }));
  _InstallInstanceEventHandler("Open", fw::EventHandler([this] { Event_Open(); }));
  _InstallInstanceEventHandler("Close", fw::EventHandler([this] { Event_Close(); }));
}

wMain::~wMain() = default;

void wMain::Layout() {
  SetMenuBar(::MenuBar1::MenuBar1());
  fw::WindowProperties p;
  p.Width = 550;
  p.Height = 261;
  p.MinWidth = 64;
  p.MinHeight = 64;
  p.MaxWidth = 32000;
  p.MaxHeight = 32000;
  p.Resizeable = false;
  p.Frame = 0;
  p.CloseButton = true;
  p.MinimizeButton = true;
  p.MaximizeButton = false;
  p.Title = "トブリク - Client (c) 2026 Aoi Nakamura";
  p.Visible = true;
  p.Placement = 0;
  p.HasBackColor = false;
  p.BackColor = fw::RGB(255, 255, 255);
  p.Composite = true;
  p.LiveResize = true;
  p.FullScreen = false;
  p.MenuBarVisible = true;
  p.MacProcID = 0;
  _SetProperties(p);
}

void wMain::CreateControls() { _CreateControls0(); }

namespace {

// Makes a control of class C through the window, runs its constructor and
// adds it under name.
template <class C>
std::shared_ptr<C> NewControl(fw::Window& window, const char* name) {
  auto control = window.__New<C>();
  control->Constructor();
  window._AddControl(name, control);
  return control;
}

}  // namespace

void wMain::_CreateControls0() {
  using fw::EventHandler;
  auto on = [this](fw::EventSource& source, const char* event, void (wMain::*handler)()) {
    source._InstallInstanceEventHandler(event,
                                        EventHandler([this, handler] { (this->*handler)(); }));
  };

  GroupBox1 = NewControl<fw::GroupBox>(*this, "GroupBox1");
  GroupBox1->_SetProperties(Box(Rect(10, 152, 527, 97, nullptr, 0), "サーバ"));

  StaticText1 = NewControl<fw::StaticText>(*this, "StaticText1");
  StaticText1->_SetProperties(Label(Rect(26, 182, 76, 20, GroupBox1.get(), 0), "サーバ IP:"));

  txtServer = NewControl<fw::EditField>(*this, "txtServer");
  txtServer->_SetProperties(Field(Rect(114, 181, 185, 26, GroupBox1.get(), 1), ""));
  on(*txtServer, "Open", &wMain::txtServer_Open);
  on(*txtServer, "Close", &wMain::txtServer_Close);
  on(*txtServer, "TextChange", &wMain::txtServer_TextChange);

  txtPort = NewControl<fw::EditField>(*this, "txtPort");
  txtPort->_SetProperties(Field(Rect(355, 181, 51, 26, GroupBox1.get(), 2), "3128", "#####", 3));
  on(*txtPort, "Open", &wMain::txtPort_Open);
  on(*txtPort, "Close", &wMain::txtPort_Close);
  on(*txtPort, "TextChange", &wMain::txtPort_TextChange);

  StaticText2 = NewControl<fw::StaticText>(*this, "StaticText2");
  StaticText2->_SetProperties(Label(Rect(303, 181, 46, 20, GroupBox1.get(), 3), "ポート:"));

  txtName = NewControl<fw::EditField>(*this, "txtName");
  txtName->_SetProperties(Field(Rect(114, 215, 185, 26, GroupBox1.get(), 4), ""));
  on(*txtName, "Open", &wMain::txtName_Open);
  on(*txtName, "TextChange", &wMain::txtName_TextChange);

  StaticText3 = NewControl<fw::StaticText>(*this, "StaticText3");
  StaticText3->_SetProperties(Label(Rect(24, 216, 78, 20, GroupBox1.get(), 5), "名前:"));

  cmdConnect = NewControl<fw::BevelButton>(*this, "cmdConnect");
  cmdConnect->SetIcon(button_connect_japan());
  cmdConnect->_SetProperties(Button(Rect(420, 195, 103, 31, GroupBox1.get(), 6), 1));
  on(*cmdConnect, "Action", &wMain::cmdConnect_Action);

  GroupBox2 = NewControl<fw::GroupBox>(*this, "GroupBox2");
  GroupBox2->_SetProperties(Box(Rect(10, 6, 89, 97, nullptr, 1), "挙手"));

  Image1 = NewControl<fw::BevelButton>(*this, "Image1");
  Image1->SetIcon(Handbutton53());
  Image1->_SetProperties(Button(Rect(24, 30, 60, 60, GroupBox2.get(), 0, false), 1));
  on(*Image1, "Action", &wMain::Image1_Action);

  GroupBox3 = NewControl<fw::GroupBox>(*this, "GroupBox3");
  GroupBox3->_SetProperties(Box(Rect(111, 6, 149, 97, nullptr, 2), "はい／いいえ"));

  Image2 = NewControl<fw::BevelButton>(*this, "Image2");
  Image2->SetIcon(YESicon54());
  Image2->_SetProperties(Button(Rect(117, 30, 60, 60, GroupBox3.get(), 0, false), 1));
  on(*Image2, "Action", &wMain::Image2_Action);

  Image3 = NewControl<fw::BevelButton>(*this, "Image3");
  Image3->SetIcon(NOicon54());
  Image3->_SetProperties(Button(Rect(189, 30, 60, 60, GroupBox3.get(), 1, false), 1));
  on(*Image3, "Action", &wMain::Image3_Action);

  GroupBox4 = NewControl<fw::GroupBox>(*this, "GroupBox4");
  GroupBox4->_SetProperties(Box(Rect(272, 6, 269, 97, nullptr, 3), "複数選択"));

  Image4 = NewControl<fw::BevelButton>(*this, "Image4");
  Image4->SetIcon(Abutton53());
  Image4->_SetProperties(Button(Rect(281, 30, 60, 60, GroupBox4.get(), 0, false), 1));
  on(*Image4, "Action", &wMain::Image4_Action);

  Image5 = NewControl<fw::BevelButton>(*this, "Image5");
  Image5->SetIcon(Bbutton53());
  Image5->_SetProperties(Button(Rect(345, 30, 60, 60, GroupBox4.get(), 1, false), 1));
  on(*Image5, "Action", &wMain::Image5_Action);

  Image6 = NewControl<fw::BevelButton>(*this, "Image6");
  Image6->SetIcon(Cbutton53());
  Image6->_SetProperties(Button(Rect(410, 30, 60, 60, GroupBox4.get(), 2, false), 1));
  on(*Image6, "Action", &wMain::Image6_Action);

  Image7 = NewControl<fw::BevelButton>(*this, "Image7");
  Image7->SetIcon(Dbutton53());
  Image7->_SetProperties(Button(Rect(474, 30, 60, 60, GroupBox4.get(), 3, false), 1));
  on(*Image7, "Action", &wMain::Image7_Action);

  wskClient = std::make_shared<class wskClient>();
  wskClient->Constructor();
  _AddControl("wskClient", std::static_pointer_cast<fw::PaneChild>(wskClient));
  _SetUpwskClient();

  FreeTextOK = NewControl<fw::BevelButton>(*this, "FreeTextOK");
  FreeTextOK->SetIcon(okbutton());
  FreeTextOK->_SetProperties(Button(Rect(465, 112, 76, 26, nullptr, 8, false), 0, true));
  on(*FreeTextOK, "Action", &wMain::FreeTextOK_Action);

  FreeText = NewControl<fw::BevelButton>(*this, "FreeText");
  FreeText->SetIcon(TextButtonSmall());
  FreeText->_SetProperties(Button(Rect(24, 110, 31, 30, nullptr, 9, false), 0));
  on(*FreeText, "Action", &wMain::FreeText_Action);

  EditField1 = NewControl<fw::EditField>(*this, "EditField1");
  EditField1->_SetProperties(Field(Rect(66, 113, 389, 26, nullptr, 10), ""));
  on(*EditField1, "TextChange", &wMain::EditField1_TextChange);
  EditField1->_InstallInstanceEventHandler(
      "KeyDown",
      fw::KeyEventHandler([this](const fw::String& key) { return EditField1_KeyDown(key); }));

  BottomHandle = NewControl<fw::BevelButton>(*this, "BottomHandle");
  BottomHandle->SetIcon(FrameHandle());
  BottomHandle->_SetProperties(Button(Rect(224, 250, 104, 20, nullptr, 11, true, false), 0));
  on(*BottomHandle, "Action", &wMain::BottomHandle_Action);

  TopHandle = NewControl<fw::BevelButton>(*this, "TopHandle");
  TopHandle->SetIcon(FrameHandle());
  TopHandle->_SetProperties(Button(Rect(224, 143, 104, 20, nullptr, 12, true, false), 0));
  on(*TopHandle, "Action", &wMain::TopHandle_Action);
}

void wMain::Event_Open() {
  SetTop(120);
  double screenWidth = fw::Screen(0).Width();
  double windowWidth = Width();
  SetLeft(fw::ToInt32(screenWidth / 2.0 - windowWidth / 2.0));
}

std::shared_ptr<class wMain> wMain() {
  if (auto open = std::dynamic_pointer_cast<class wMain>(fw::_GetImplicitWindow(kClassName)))
    return open;
  auto window = std::make_shared<class wMain>();
  window->Constructor();
  return window;
}

}  // namespace wMain
