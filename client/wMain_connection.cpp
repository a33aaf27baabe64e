// The main window's connection to the response server.
//
// The connection state is read from the connect button: the window is
// disconnected while the button shows the connect picture. When a picture
// file is missing the button may show no picture at all; the socket then
// tells (see IsDisconnected).
#include <initializer_list>

#include "client/Pictures.h"
#include "client/wMain.h"
#include "client/wskClient.h"
#include "framework/core/MsgBox.h"
#include "framework/core/Number.h"
#include "framework/core/Text.h"
#include "framework/core/Ticks.h"
#include "framework/ui/Application.h"

namespace wMain {
namespace {

// The connect wait's bound, in ticks (30 seconds).
constexpr std::int32_t kConnectTicks = 1800;

constexpr const char* kBadPort = "ポートは 1 から 65535 の数字で指定する必要があります";
constexpr const char* kBadAddress = "IP アドレスの入力が必要です";
constexpr const char* kBadName = "名前の入力が必要です";
constexpr const char* kConnectFailed = "接続解除または無効です";
constexpr const char* kLostConnection = "Lost connection";
constexpr const char* kConnectedTitle = "トブリク - 接続クライアント: ";

// True when the window is disconnected. The button shows the very picture
// object of button_connect_japan while disconnected and the one of
// button_disconnect_japan while connected. A button showing no picture (its
// file was missing when the picture was given) says nothing; the socket's
// IsConnected decides then.
bool IsDisconnected(const class wMain& window) {
  const fw::PicturePtr shown = window.cmdConnect->Icon();
  if (shown) {
    if (shown == button_connect_japan()) return true;
    if (shown == button_disconnect_japan()) return false;
  }
  return !window.wskClient->IsConnected();
}

bool IsBadPort(const fw::String& text) {
  if (!fw::IsNumeric(text)) return true;
  const double port = fw::Val(text);
  return port < 1 || port > 65535;
}

}  // namespace

void wMain::txtServer_TextChange() { EnableConnectButton(); }
void wMain::txtPort_TextChange() { EnableConnectButton(); }
void wMain::txtName_TextChange() { EnableConnectButton(); }

void wMain::cmdConnect_Action() {
  if (!IsDisconnected(*this)) {
    operation = 2;
    DisableButtons();
    EnableFields();
    Qualifier = "^Q";
    SendtheData();
    wskClient->Disconnect();
    cmdConnect->SetIcon(button_connect_japan());
    operation = 0;
    return;
  }

  if (IsBadPort(txtPort->Text())) return WarnBadPort();
  if (fw::Trim(txtServer->Text()).empty()) return WarnBadAddress();
  if (fw::Trim(txtName->Text()).empty()) return WarnBadName();
  txtServer->SetText(fw::Trim(txtServer->Text()));
  txtPort->SetText(fw::Trim(txtPort->Text()));
  txtName->SetText(fw::Trim(txtName->Text()));

  WSConnect();
  if (!wskClient->IsConnected()) return;  // WarnConnectError has reported it

  DisableFields();
  cmdConnect->SetIcon(button_disconnect_japan());
  EnableButtons();
  Qualifier = "^J";
  SendtheData();
  if (IsClosed()) return;  // a quit began inside the join's error road
  TopHandle->SetVisible(true);
  ::wMain::wMain()->SetHeight(154);
  BottomHandle->SetVisible(true);
  ::wMain::wMain()->SetTitle(kConnectedTitle + txtName->Text());
}

void wMain::wskClient_Error() {
  if (wskClient->LastErrorCode() != 0) WarnConnectError();
}

void wMain::Event_Close() {
  if (wskClient->IsConnected()) {
    Qualifier = "^Q";
    SendtheData();
  }
  fw::Quit(0);
}

void wMain::WarnBadPort() {
  fw::MsgBox(kBadPort);
  txtPort->SetFocus();
}

void wMain::WarnBadAddress() {
  fw::MsgBox(kBadAddress);
  txtServer->SetFocus();
}

void wMain::WarnBadName() {
  fw::MsgBox(kBadName);
  txtName->SetFocus();
}

// Waits, without returning to the event loop, until the socket is connected,
// reports an error or the bound passes. A failure is reported once: when the
// socket's Error event came during the wait, its error road has already
// shown the message (and set operation back to 0), so the wait adds none.
void wMain::WSConnect() {
  const std::int32_t deadline = fw::ToInt32(static_cast<double>(fw::Ticks()) + kConnectTicks);
  operation = 1;
  wskClient->SetAddress(txtServer->Text());
  wskClient->SetPort(fw::ToInt32(fw::Val(txtPort->Text())));
  wskClient->Connect();
  while (!wskClient->IsConnected() && wskClient->LastErrorCode() == 0 && fw::Ticks() < deadline)
    wskClient->Poll();
  const bool failed = !wskClient->IsConnected() || wskClient->LastErrorCode() != 0;
  if (failed && operation == 1) WarnConnectError();
  operation = 0;
}

void wMain::EnableFields() {
  txtPort->SetEnabled(true);
  txtServer->SetEnabled(true);
  txtName->SetEnabled(true);
}

void wMain::DisableFields() {
  txtPort->SetEnabled(false);
  txtServer->SetEnabled(false);
  txtName->SetEnabled(false);
}

void wMain::WarnConnectError() {
  wskClient->Close();
  if (operation == 1)
    fw::MsgBox(kConnectFailed);
  else if (operation != 2)
    fw::MsgBox(kLostConnection);
  operation = 0;
  DisableButtons();
  EnableFields();
  cmdConnect->SetIcon(button_connect_japan());
}

// Enabled when all three fields hold text; blanks count (the press checks).
void wMain::EnableConnectButton() {
  if (!cmdConnect || !txtName || !txtServer || !txtPort) return;  // still being built
  cmdConnect->SetEnabled(!txtName->Text().empty() && !txtServer->Text().empty() &&
                         !txtPort->Text().empty());
}

namespace {

void SetAnswerSetEnabled(class wMain& w, bool enabled) {
  const std::initializer_list<fw::RectControl*> answerSet = {
      w.Image1.get(), w.Image2.get(), w.Image3.get(),   w.Image4.get(),     w.Image5.get(),
      w.Image6.get(), w.Image7.get(), w.FreeText.get(), w.FreeTextOK.get(), w.EditField1.get()};
  for (fw::RectControl* c : answerSet) c->SetEnabled(enabled);
  w.FreeTextOK->SetVisible(false);
}

}  // namespace

void wMain::EnableButtons() { SetAnswerSetEnabled(*this, true); }
void wMain::DisableButtons() { SetAnswerSetEnabled(*this, false); }

}  // namespace wMain
