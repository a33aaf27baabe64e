// Building and placing the main window.
#include "client/wMain.h"

#include <variant>
#include <vector>

#include "client/MenuBar1.h"
#include "client/Pictures.h"
#include "client/wskClient.h"
#include "framework/core/Number.h"
#include "framework/ui/Screen.h"

namespace wMain {
namespace {

constexpr const char* kClassName = "wMain.wMain";

using Main = class wMain;
template <class C>
using Member = std::shared_ptr<C> Main::*;

// What sets a control apart within its class, beside its place.
struct Box {
  Member<fw::GroupBox> control;
  const char* caption;
};
struct Label {
  Member<fw::StaticText> control;
  const char* text;
};
struct Field {
  Member<fw::EditField> control;
  const char* text;
  const char* mask = "";
  std::int32_t alignment = 0;
};
struct Button {
  Member<fw::BevelButton> control;
  fw::PicturePtr (*picture)();
  std::int32_t iconAlign;
  bool acceptFocus = false;
};
struct Socket {
  Member<class wskClient> control;
};

// Shown: enabled and visible; Disabled: visible only; Hidden: enabled only.
enum class State { Shown, Disabled, Hidden };

// Window-relative, also inside a group box; tab counts within the container.
struct Place {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  Member<fw::GroupBox> in = nullptr;  // null: on the window
  std::int32_t tab = 0;
  State state = State::Shown;
};

// A window method bound to one event of a control.
struct Binding {
  const char* event;
  std::variant<void (Main::*)(), bool (Main::*)(const fw::String&)> handler;
};

struct ControlRow {
  const char* name;
  std::variant<Box, Label, Field, Button, Socket> kind;
  Place place;
  std::vector<Binding> events;  // bound in this order
};

// Every control in the order it is built; the order is also the window's
// control order.
const ControlRow kControls[] = {
    {"GroupBox1", Box{&Main::GroupBox1, "サーバ"}, {10, 152, 527, 97, nullptr, 0}, {}},
    {"StaticText1",
     Label{&Main::StaticText1, "サーバ IP:"},
     {26, 182, 76, 20, &Main::GroupBox1, 0},
     {}},
    {"txtServer",
     Field{&Main::txtServer, ""},
     {114, 181, 185, 26, &Main::GroupBox1, 1},
     {{"Open", &Main::txtServer_Open},
      {"Close", &Main::txtServer_Close},
      {"TextChange", &Main::txtServer_TextChange}}},
    {"txtPort",
     Field{&Main::txtPort, "3128", "#####", 3},
     {355, 181, 51, 26, &Main::GroupBox1, 2},
     {{"Open", &Main::txtPort_Open},
      {"Close", &Main::txtPort_Close},
      {"TextChange", &Main::txtPort_TextChange}}},
    {"StaticText2",
     Label{&Main::StaticText2, "ポート:"},
     {303, 181, 46, 20, &Main::GroupBox1, 3},
     {}},
    {"txtName",
     Field{&Main::txtName, ""},
     {114, 215, 185, 26, &Main::GroupBox1, 4},
     {{"Open", &Main::txtName_Open}, {"TextChange", &Main::txtName_TextChange}}},
    {"StaticText3", Label{&Main::StaticText3, "名前:"}, {24, 216, 78, 20, &Main::GroupBox1, 5}, {}},
    {"cmdConnect",
     Button{&Main::cmdConnect, button_connect_japan, 1},
     {420, 195, 103, 31, &Main::GroupBox1, 6},
     {{"Action", &Main::cmdConnect_Action}}},
    {"GroupBox2", Box{&Main::GroupBox2, "挙手"}, {10, 6, 89, 97, nullptr, 1}, {}},
    {"Image1",
     Button{&Main::Image1, Handbutton53, 1},
     {24, 30, 60, 60, &Main::GroupBox2, 0, State::Disabled},
     {{"Action", &Main::Image1_Action}}},
    {"GroupBox3", Box{&Main::GroupBox3, "はい／いいえ"}, {111, 6, 149, 97, nullptr, 2}, {}},
    {"Image2",
     Button{&Main::Image2, YESicon54, 1},
     {117, 30, 60, 60, &Main::GroupBox3, 0, State::Disabled},
     {{"Action", &Main::Image2_Action}}},
    {"Image3",
     Button{&Main::Image3, NOicon54, 1},
     {189, 30, 60, 60, &Main::GroupBox3, 1, State::Disabled},
     {{"Action", &Main::Image3_Action}}},
    {"GroupBox4", Box{&Main::GroupBox4, "複数選択"}, {272, 6, 269, 97, nullptr, 3}, {}},
    {"Image4",
     Button{&Main::Image4, Abutton53, 1},
     {281, 30, 60, 60, &Main::GroupBox4, 0, State::Disabled},
     {{"Action", &Main::Image4_Action}}},
    {"Image5",
     Button{&Main::Image5, Bbutton53, 1},
     {345, 30, 60, 60, &Main::GroupBox4, 1, State::Disabled},
     {{"Action", &Main::Image5_Action}}},
    {"Image6",
     Button{&Main::Image6, Cbutton53, 1},
     {410, 30, 60, 60, &Main::GroupBox4, 2, State::Disabled},
     {{"Action", &Main::Image6_Action}}},
    {"Image7",
     Button{&Main::Image7, Dbutton53, 1},
     {474, 30, 60, 60, &Main::GroupBox4, 3, State::Disabled},
     {{"Action", &Main::Image7_Action}}},
    {"wskClient", Socket{&Main::wskClient}, {}, {{"Error", &Main::wskClient_Error}}},
    {"FreeTextOK",
     Button{&Main::FreeTextOK, okbutton, 0, true},
     {465, 112, 76, 26, nullptr, 8, State::Disabled},
     {{"Action", &Main::FreeTextOK_Action}}},
    {"FreeText",
     Button{&Main::FreeText, TextButtonSmall, 0},
     {24, 110, 31, 30, nullptr, 9, State::Disabled},
     {{"Action", &Main::FreeText_Action}}},
    {"EditField1",
     Field{&Main::EditField1, ""},
     {66, 113, 389, 26, nullptr, 10},
     {{"TextChange", &Main::EditField1_TextChange}, {"KeyDown", &Main::EditField1_KeyDown}}},
    {"BottomHandle",
     Button{&Main::BottomHandle, FrameHandle, 0},
     {224, 250, 104, 20, nullptr, 11, State::Hidden},
     {{"Action", &Main::BottomHandle_Action}}},
    {"TopHandle",
     Button{&Main::TopHandle, FrameHandle, 0},
     {224, 143, 104, 20, nullptr, 12, State::Hidden},
     {{"Action", &Main::TopHandle_Action}}},
};

// Makes a control of class C through the window, runs its constructor, adds
// it under name and keeps it in its member.
template <class C>
C& Add(Main& window, const char* name, Member<C> member) {
  auto control = window.__New<C>();
  control->Constructor();
  window._AddControl(name, control);
  window.*member = control;
  return *control;
}

// The layout of class C at place, with the class's common properties.
template <class C>
typename C::Properties LaidOut(Main& window, const Place& at) {
  typename C::Properties p;
  p.Left = at.left;
  p.Top = at.top;
  p.Width = at.width;
  p.Height = at.height;
  p.InitialParent = at.in ? (window.*at.in).get() : nullptr;
  p.TabIndex = at.tab;
  p.Enabled = at.state != State::Disabled;
  p.Visible = at.state != State::Hidden;
  return p;
}

fw::EventSource& Build(Main& window, const ControlRow& row, const Box& box) {
  fw::GroupBox& control = Add(window, row.name, box.control);
  fw::GroupBox::Properties p = LaidOut<fw::GroupBox>(window, row.place);
  p.Caption = box.caption;
  control._SetProperties(p);
  return control;
}

fw::EventSource& Build(Main& window, const ControlRow& row, const Label& label) {
  fw::StaticText& control = Add(window, row.name, label.control);
  fw::StaticText::Properties p = LaidOut<fw::StaticText>(window, row.place);
  p.Text = label.text;
  p.TextAlign = 2;  // right-aligned, toward the field
  p.Multiline = false;
  control._SetProperties(p);
  return control;
}

fw::EventSource& Build(Main& window, const ControlRow& row, const Field& field) {
  fw::EditField& control = Add(window, row.name, field.control);
  fw::EditField::Properties p = LaidOut<fw::EditField>(window, row.place);
  p.Text = field.text;
  p.Mask = field.mask;
  p.Alignment = field.alignment;
  control._SetProperties(p);
  return control;
}

fw::EventSource& Build(Main& window, const ControlRow& row, const Button& button) {
  fw::BevelButton& control = Add(window, row.name, button.control);
  control.SetIcon(button.picture());
  fw::BevelButton::Properties p = LaidOut<fw::BevelButton>(window, row.place);
  p.Caption = "";
  p.IconAlign = button.iconAlign;
  p.AcceptFocus = button.acceptFocus;
  control._SetProperties(p);
  return control;
}

// The socket is no visual control: made directly, with no place of its own.
fw::EventSource& Build(Main& window, const ControlRow& row, const Socket& socket) {
  auto control = std::make_shared<class wskClient>();
  control->Constructor();
  window._AddControl(row.name, std::static_pointer_cast<fw::PaneChild>(control));
  window.*socket.control = control;
  control->SetAddress("");
  control->SetPort(0);
  return *control;
}

void Bind(Main& window, fw::EventSource& control, const Binding& binding) {
  Main* self = &window;
  if (auto* plain = std::get_if<void (Main::*)()>(&binding.handler)) {
    auto method = *plain;
    control._InstallInstanceEventHandler(binding.event,
                                         fw::EventHandler([self, method] { (self->*method)(); }));
  } else {
    auto method = std::get<bool (Main::*)(const fw::String&)>(binding.handler);
    control._InstallInstanceEventHandler(
        binding.event, fw::KeyEventHandler(
                           [self, method](const fw::String& key) { return (self->*method)(key); }));
  }
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
  _SetProperties({.Width = 550,
                  .Height = 261,
                  .MinWidth = 64,
                  .MinHeight = 64,
                  .MaxWidth = 32000,
                  .MaxHeight = 32000,
                  .Resizeable = false,
                  .Frame = 0,
                  .CloseButton = true,
                  .MinimizeButton = true,
                  .MaximizeButton = false,
                  .Title = "トブリク - Client (c) 2026 Aoi Nakamura",
                  .Visible = true,
                  .Placement = 0,
                  .HasBackColor = false,
                  .BackColor = fw::RGB(255, 255, 255),
                  .Composite = true,
                  .LiveResize = true,
                  .FullScreen = false,
                  .MenuBarVisible = true,
                  .MacProcID = 0});
}

void wMain::CreateControls() { _CreateControls0(); }

void wMain::_CreateControls0() {
  for (const ControlRow& row : kControls) {
    fw::EventSource& control = std::visit(
        [&](const auto& kind) -> fw::EventSource& { return Build(*this, row, kind); }, row.kind);
    for (const Binding& binding : row.events) Bind(*this, control, binding);
  }
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
