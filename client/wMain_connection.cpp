// The main window's connection to the response server.
#include "client/wMain.h"
#include "client/wskClient.h"
#include "framework/ui/Application.h"

namespace wMain {

void wMain::_SetUpwskClient() {}

void wMain::txtServer_TextChange() {}
void wMain::txtPort_TextChange() {}
void wMain::txtName_TextChange() {}
void wMain::cmdConnect_Action() {}
void wMain::wskClient_Error() {}

void wMain::Event_Close() { fw::Quit(0); }

void wMain::WarnBadPort() {}
void wMain::WarnBadAddress() {}
void wMain::WarnBadName() {}
void wMain::WSConnect() {}

void wMain::EnableFields() {}
void wMain::DisableFields() {}
void wMain::WarnConnectError() {}
void wMain::EnableConnectButton() {}

void wMain::EnableButtons() {}
void wMain::DisableButtons() {}

}  // namespace wMain
