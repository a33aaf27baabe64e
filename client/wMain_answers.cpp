// The main window's answer buttons and free-text row.
//
// Every message is the name field's text, the code in Qualifier and the
// byte 12, sent as Shift_JIS. Writing to a socket that is not connected
// (Return in the free-text field before connecting) drops the message.
#include "client/Prefs.h"
#include "client/wMain.h"
#include "client/wskClient.h"
#include "framework/core/Text.h"
#include "framework/core/TextEncoding.h"

namespace wMain {

void wMain::SendtheData() {
  fw::EncodedText message = fw::DefineEncoding(
      txtName->Text() + Qualifier + Prefs::Message_Delimiter(), fw::Encodings::UTF8);
  message = fw::ConvertEncoding(message, fw::Encodings::ShiftJIS);
  wskClient->Write(message.bytes);
  wskClient->Poll();
}

void wMain::Image1_Action() {
  Qualifier = "^H";
  SendtheData();
}

void wMain::Image2_Action() {
  Qualifier = "^Y";
  SendtheData();
}

void wMain::Image3_Action() {
  Qualifier = "^N";
  SendtheData();
}

void wMain::Image4_Action() {
  Qualifier = "^A";
  SendtheData();
}

void wMain::Image5_Action() {
  Qualifier = "^B";
  SendtheData();
}

void wMain::Image6_Action() {
  Qualifier = "^C";
  SendtheData();
}

void wMain::Image7_Action() {
  Qualifier = "^D";
  SendtheData();
}

void wMain::FreeTextOK_Action() { EnterFreeText(); }

void wMain::EnterFreeText() {
  Qualifier = "^^^" + fw::Trim(EditField1->Text()) + "^T";
  SendtheData();
  FreeTextOK->SetVisible(false);
  EditField1->SetText("");
  EditField1->SetFocus();
}

bool wMain::EditField1_KeyDown(const fw::String& key) {
  if (fw::TextEquals(key, fw::Chr(13)) || fw::TextEquals(key, fw::Chr(3))) {
    EnterFreeText();
    return true;
  }
  return false;
}

void wMain::EditField1_TextChange() {
  FreeTextOK->SetVisible(fw::Len(fw::Trim(EditField1->Text())) > 0);
}

void wMain::FreeText_Action() {
  EditField1->SetText("");
  FreeTextOK->SetVisible(false);
  EditField1->SetFocus();
}

}  // namespace wMain
