// The main window: the three answer groups across the top, the free-text
// row, and the server group with the address, port and name fields and the
// connect button; it also holds the socket control wskClient.
//
// wMain::wMain() returns the open main window, building it when none is open.
// Building lays out the window (550 x 261, not resizeable), makes every
// control in a fixed order with its layout and binds its events to the
// window's methods below, raises the controls' "Open" events and the
// window's "Open" (which centres the window horizontally on the first screen
// with its top at 120), and shows it.
//
// The window's code spans several files, one per concern: the building and
// placing here (wMain.cpp), the menu-item accessors (wMain_menu.cpp), the
// connection (wMain_connection.cpp), the answers and free text
// (wMain_answers.cpp), the compact and full view (wMain_views.cpp) and the
// fields' settings (wMain_settings.cpp).
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/String.h"
#include "framework/ui/BevelButton.h"
#include "framework/ui/EditField.h"
#include "framework/ui/GroupBox.h"
#include "framework/ui/Menu.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/Window.h"

namespace wMain {

class wskClient;  // the socket control (wskClient.h)

class wMain : public fw::Window {
 public:
  wMain();
  ~wMain() override;

  // Controls, in the order they are built.
  std::shared_ptr<fw::GroupBox> GroupBox1;
  std::shared_ptr<fw::StaticText> StaticText1;
  std::shared_ptr<fw::EditField> txtServer;
  std::shared_ptr<fw::EditField> txtPort;
  std::shared_ptr<fw::StaticText> StaticText2;
  std::shared_ptr<fw::EditField> txtName;
  std::shared_ptr<fw::StaticText> StaticText3;
  std::shared_ptr<fw::BevelButton> cmdConnect;
  std::shared_ptr<fw::GroupBox> GroupBox2;
  std::shared_ptr<fw::BevelButton> Image1;
  std::shared_ptr<fw::GroupBox> GroupBox3;
  std::shared_ptr<fw::BevelButton> Image2;
  std::shared_ptr<fw::BevelButton> Image3;
  std::shared_ptr<fw::GroupBox> GroupBox4;
  std::shared_ptr<fw::BevelButton> Image4;
  std::shared_ptr<fw::BevelButton> Image5;
  std::shared_ptr<fw::BevelButton> Image6;
  std::shared_ptr<fw::BevelButton> Image7;
  std::shared_ptr<class wskClient> wskClient;
  std::shared_ptr<fw::BevelButton> FreeTextOK;
  std::shared_ptr<fw::BevelButton> FreeText;
  std::shared_ptr<fw::EditField> EditField1;
  std::shared_ptr<fw::BevelButton> BottomHandle;
  std::shared_ptr<fw::BevelButton> TopHandle;

  // Building (wMain.cpp).
  void Layout();
  void CreateControls();
  void _CreateControls0();

  // The fields and the settings (wMain_settings.cpp).
  void txtServer_Open();
  void txtServer_Close();
  // The connection (wMain_connection.cpp).
  void txtServer_TextChange();
  void txtPort_Open();   // wMain_settings.cpp
  void txtPort_Close();  // wMain_settings.cpp
  void txtPort_TextChange();
  void txtName_Open();  // wMain_settings.cpp
  void txtName_TextChange();
  void cmdConnect_Action();

  // The answers (wMain_answers.cpp).
  void Image1_Action();
  void Image2_Action();
  void Image3_Action();
  void Image4_Action();
  void Image5_Action();
  void Image6_Action();
  void Image7_Action();

  void wskClient_Error();  // wMain_connection.cpp

  // The free-text row (wMain_answers.cpp).
  void FreeTextOK_Action();
  void FreeText_Action();
  void EditField1_TextChange();
  bool EditField1_KeyDown(const fw::String& key);

  // Compact and full view (wMain_views.cpp).
  void BottomHandle_Action();
  void TopHandle_Action();

  // The menu items of the window's menu bar, found by name (wMain_menu.cpp);
  // null when the bar holds no item of that name and class.
  std::shared_ptr<fw::MenuItem> EditMenu();
  std::shared_ptr<fw::AppleMenuItem> AboutItem();
  std::shared_ptr<fw::MenuItem> EditSelectAll();
  std::shared_ptr<fw::MenuItem> UntitledMenu0();
  std::shared_ptr<fw::MenuItem> EditClear();
  std::shared_ptr<fw::MenuItem> EditPaste();
  std::shared_ptr<fw::MenuItem> EditCopy();
  std::shared_ptr<fw::MenuItem> EditCut();
  std::shared_ptr<fw::MenuItem> UntitledMenu1();
  std::shared_ptr<fw::MenuItem> EditUndo();
  std::shared_ptr<fw::MenuItem> FileMenu();
  std::shared_ptr<fw::QuitMenuItem> FileQuit();

  void Event_Open();   // wMain.cpp: places the window
  void Event_Close();  // wMain_connection.cpp

  // Field warnings and the connection attempt (wMain_connection.cpp).
  void WarnBadPort();
  void WarnBadAddress();
  void WarnBadName();
  void WSConnect();

  void SendtheData();  // wMain_answers.cpp

  // Connection states (wMain_connection.cpp).
  void EnableFields();
  void DisableFields();
  void WarnConnectError();
  void EnableConnectButton();

 protected:
  // The code part of the next message.
  fw::String Qualifier;
  // 0 idle or connected, 1 connecting, 2 disconnecting.
  std::int32_t operation = 0;

 private:
  void EnableButtons();   // wMain_connection.cpp
  void DisableButtons();  // wMain_connection.cpp
  void EnterFreeText();   // wMain_answers.cpp
};

// The open main window, or a new one built now.
std::shared_ptr<class wMain> wMain();

}  // namespace wMain
