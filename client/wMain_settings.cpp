// The main window's fields and the settings they come from and go back to.
#include "client/wMain.h"

namespace wMain {

void wMain::txtServer_Open() {}
void wMain::txtServer_Close() {}
void wMain::txtPort_Open() {}
void wMain::txtPort_Close() {}
void wMain::txtName_Open() { txtName->SetFocus(); }

}  // namespace wMain
