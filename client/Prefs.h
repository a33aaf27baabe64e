// The settings module: the server address and port kept between runs.
//
// The settings live in one property-list document on the file
// "Tobrik Client.plist" in the folder "Tobrik Client" of the user's
// Preferences folder (the folder is made when missing). Callers may rely on:
// - Init() loads the settings the first time it is called and does nothing
//   later; every accessor calls it, so the first use loads them.
// - After loading, the root holds "Server" (a string, "" when missing) and
//   "Port" (an integer, 3128 when missing or below 1). A missing file, or
//   one that is not a property list, just gives these defaults; nothing is
//   ever reported. Every other entry of the file is kept and written back.
// - ServerAddress and ServerPort read and assign the values as they are (no
//   trimming, no range check); assigning changes the document in memory only.
// - Save() writes the whole document to the settings file (atomically: the
//   file holds either the old or the new settings; through a link, the file
//   it leads to). It reports nothing, also when the file cannot be written.
// - A settings path that the load could not read (not a property list, no
//   permission to read, a link to nowhere, a folder, a FIFO) gives the
//   defaults, and Save() leaves it as it was; so does a read-only settings
//   file, whose values are shown as usual (see plist.h).
// - Message_Delimiter() is the byte 12 that ends every wire message; it
//   does not load the settings.
// - When reading the file fails with an input/output error, or no
//   Preferences folder can be found, the defaults are used and Save()
//   writes nothing, so a file that could not be read is not overwritten.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/String.h"
#include "plist/plist.h"

namespace Prefs {

void Init();
void ReadPrefs();

fw::String ServerAddress();
void SetServerAddress(const fw::String& value);
std::int32_t ServerPort();
void SetServerPort(std::int32_t value);

void Save();

fw::String Message_Delimiter();

// The module's state: the settings document (null until the first load)
// and whether the settings have been loaded.
extern std::unique_ptr<plist> mPrefs;
extern bool mInitialized;

// Forgets the loaded settings, as at the start of the program (tests only).
void ResetForTests();

}  // namespace Prefs
