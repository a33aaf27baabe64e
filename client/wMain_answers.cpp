// The main window's answer buttons and free-text row.
#include "client/wMain.h"

namespace wMain {

void wMain::Image1_Action() {}
void wMain::Image2_Action() {}
void wMain::Image3_Action() {}
void wMain::Image4_Action() {}
void wMain::Image5_Action() {}
void wMain::Image6_Action() {}
void wMain::Image7_Action() {}

void wMain::FreeTextOK_Action() {}
void wMain::FreeText_Action() {}
void wMain::EditField1_TextChange() {}
bool wMain::EditField1_KeyDown(const fw::String&) { return false; }

void wMain::SendtheData() {}
void wMain::EnterFreeText() {}

}  // namespace wMain
