// The main window's compact and full view: 154 pixels high (the answer
// groups and the free-text row) or 261 (with the server group).
#include "client/wMain.h"

namespace wMain {

void wMain::BottomHandle_Action() {
  TopHandle->SetVisible(true);
  ::wMain::wMain()->SetHeight(154);
}

void wMain::TopHandle_Action() {
  TopHandle->SetVisible(false);
  ::wMain::wMain()->SetHeight(261);
}

}  // namespace wMain
