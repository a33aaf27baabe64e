#include "client/Prefs.h"

#include <optional>
#include <vector>

#include "framework/core/FolderItem.h"
#include "framework/core/Text.h"
#include "framework/core/TextInputStream.h"
#include "framework/core/UserFolders.h"

namespace Prefs {

std::unique_ptr<plist> mPrefs;
bool mInitialized = false;

namespace {

constexpr const char* kFolderName = "Tobrik Client";
constexpr const char* kFileName = "Tobrik Client.plist";
constexpr std::int32_t kDefaultPort = 3128;

// Makes folder and whichever of its parents are missing. The outcome shows
// later, when the file is saved.
void MakeFolderWithParents(const fw::FolderItem& folder) {
  std::vector<fw::FolderItem> missing;
  std::optional<fw::FolderItem> item = folder;
  while (item && !item->Exists()) {
    missing.push_back(*item);
    item = item->Parent();
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) it->CreateAsFolder();
}

// The settings file, or nothing when there is no Preferences folder.
std::optional<fw::FolderItem> SettingsFile() {
  std::optional<fw::FolderItem> preferences = fw::SpecialFolder::Preferences();
  if (!preferences) return std::nullopt;
  std::optional<fw::FolderItem> folder = preferences->Child(kFolderName);
  if (!folder) return std::nullopt;
  if (!folder->Exists()) MakeFolderWithParents(*folder);
  return folder->Child(kFileName);
}

std::unique_ptr<plist> OpenDocument() {
  std::optional<fw::FolderItem> file = SettingsFile();
  if (!file) return std::make_unique<plist>();
  try {
    return std::make_unique<plist>(*file);
  } catch (const fw::IOError&) {
    // The file is there but could not be read: work on defaults and leave
    // the file alone.
    return std::make_unique<plist>();
  }
}

}  // namespace

void Init() {
  if (mInitialized) return;
  ReadPrefs();
  mInitialized = true;
}

void ReadPrefs() {
  mPrefs = OpenDocument();
  plistDict& root = *mPrefs->root;
  if (!root.Exists("Server")) root.SetString("Server", "");
  if (!root.Exists("Port")) root.SetInteger("Port", kDefaultPort);
  if (root.GetInteger("Port") < 1) root.SetInteger("Port", kDefaultPort);
}

fw::String ServerAddress() {
  Init();
  return mPrefs->root->GetString("Server");
}

void SetServerAddress(const fw::String& value) {
  Init();
  mPrefs->root->SetString("Server", value);
}

std::int32_t ServerPort() {
  Init();
  return mPrefs->root->GetInteger("Port");
}

void SetServerPort(std::int32_t value) {
  Init();
  mPrefs->root->SetInteger("Port", static_cast<double>(value));
}

void Save() {
  if (mPrefs && mPrefs->savePath) mPrefs->Save();
}

fw::String Message_Delimiter() { return fw::ChrB(12); }

void ResetForTests() {
  mPrefs.reset();
  mInitialized = false;
}

}  // namespace Prefs
