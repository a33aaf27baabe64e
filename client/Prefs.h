// The settings module: the server address and port kept between runs.
//
// Init() loads the settings the first time it is called and does nothing
// later; Save() writes them to the settings file. Neither reports anything.
#pragma once

namespace Prefs {

void Init();
void Save();

}  // namespace Prefs
