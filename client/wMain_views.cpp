// The main window's compact and full view.
#include "client/wMain.h"

namespace wMain {

void wMain::BottomHandle_Action() {}
void wMain::TopHandle_Action() {}

}  // namespace wMain
