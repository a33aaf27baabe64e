#include "client/Prefs.h"

namespace Prefs {

void Init() {}
void Save() {}

}  // namespace Prefs
