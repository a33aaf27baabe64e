#include <cstdint>

#include "client/MenuBar1.h"
#include "client/Startup.h"
#include "framework/ui/Application.h"

int main() {
  _Main();
  // The framework's objects go first, then the menu bar; the settings
  // document goes with the module's statics.
  std::int32_t code = fw::RuntimeShutdown();
  MenuBar1::_implicitInstance = nullptr;
  return code;
}
