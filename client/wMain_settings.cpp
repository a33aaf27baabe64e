// The main window's fields and the settings they come from and go back to.
// The name is never stored.
#include "client/Prefs.h"
#include "client/wMain.h"
#include "framework/core/Number.h"
#include "framework/core/Text.h"

namespace wMain {

void wMain::txtServer_Open() { txtServer->SetText(fw::Trim(Prefs::ServerAddress())); }

void wMain::txtServer_Close() { Prefs::SetServerAddress(fw::Trim(txtServer->Text())); }

void wMain::txtPort_Open() { txtPort->SetText(fw::Format(Prefs::ServerPort(), "#")); }

void wMain::txtPort_Close() { Prefs::SetServerPort(fw::ToInt32(fw::Val(txtPort->Text()))); }

void wMain::txtName_Open() { txtName->SetFocus(); }

}  // namespace wMain
