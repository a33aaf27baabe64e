// The settings: what the fields show at start from the settings file, and
// what the file holds after the window has closed and the application has
// quit. Each test has a Preferences folder of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "client/App.h"
#include "client/Prefs.h"
#include "framework/core/FolderItem.h"
#include "framework/core/ScopedHook.h"
#include "framework/core/TextInputStream.h"
#include "plist/plist.h"
#include "tests/client/support/ClientWindowTest.h"
#include "tests/support/KeptPaths.h"
#include "tests/support/PathState.h"

namespace {

using namespace clienttest;

const char* const kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n";

class SettingsTest : public ClientWindowTest {
 protected:
  void BeforeWindow() override {
    fw::_RuntimeRegisterAppObject(std::make_shared<class App>());
    if (!fileText_.empty()) {
      std::filesystem::create_directories(SettingsFolder());
      std::ofstream(SettingsFile(), std::ios::binary) << fileText_;
    }
  }

  // Closes the window and quits, as the participant does.
  void Quit() {
    w->Close();
    ASSERT_TRUE(fw::IsQuitting());
  }

  // The next start of the program: settings and windows forgotten, the same
  // settings folder.
  void Restart() {
    w.reset();
    fw::RuntimeReset();
    Prefs::ResetForTests();
    fw::_RuntimeRegisterAppObject(std::make_shared<class App>());
    w = wMain::wMain();
  }

  std::string FileText() const {
    std::ifstream in(SettingsFile(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Set by a test's constructor: the settings file's text before the start.
  std::string fileText_;
};

TEST_F(SettingsTest, FirstRunWithoutFolderOrFile) {
  EXPECT_TRUE(std::filesystem::is_directory(SettingsFolder()));
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));  // written only at quit
  EXPECT_EQ(w->txtServer->Text(), "");
  EXPECT_EQ(w->txtPort->Text(), "3128");
  EXPECT_EQ(w->txtName->Text(), "");
  EXPECT_EQ(w->Widget()->focusWidget(), w->txtName->Widget());
  Fill("192.0.2.7", "4000", "abc");
  Quit();
  const std::string text = FileText();
  EXPECT_EQ(text.substr(0, std::string(kHeader).size()), kHeader);
  plist saved{fw::FolderItem(SettingsFile())};
  EXPECT_EQ(saved.root->GetString("Server"), "192.0.2.7");
  EXPECT_EQ(saved.root->GetInteger("Port"), 4000);
  EXPECT_EQ(saved.root->GetType("Server"), "string");
  EXPECT_EQ(saved.root->GetType("Port"), "integer");
  EXPECT_LT(text.find("<key>Server</key>"), text.find("<key>Port</key>"));
}

TEST_F(SettingsTest, NameIsNeverStored) {
  Fill("h", "1", "secret name");
  Quit();
  EXPECT_EQ(FileText().find("secret"), std::string::npos);
  Restart();
  EXPECT_EQ(w->txtName->Text(), "");
  EXPECT_EQ(w->txtServer->Text(), "h");
  EXPECT_EQ(w->txtPort->Text(), "1");
}

TEST_F(SettingsTest, BlanksAroundTheAddressAreNotStored) {
  Fill("  10.0.0.1 \t", "3128", "");
  Quit();
  plist saved{fw::FolderItem(SettingsFile())};
  EXPECT_EQ(saved.root->GetString("Server"), "10.0.0.1");
}

struct PortCase {
  const char* name;
  const char* typed;
  std::int32_t stored;
  const char* shownNextTime;
};

const PortCase kPorts[] = {
    {"ordinary", "8080", 8080, "8080"},
    {"zero is stored, then replaced", "0", 0, "3128"},
    {"letters read as 0", "abc", 0, "3128"},
    {"empty reads as 0", "", 0, "3128"},
    {"above the range, kept as typed", "99999", 99999, "99999"},
    {"leading digits count", "12ab", 12, "12"},
};

TEST_F(SettingsTest, PortFieldIsStoredAsItReads) {
  for (const PortCase& c : kPorts) {
    SCOPED_TRACE(c.name);
    w->txtPort->SetText(c.typed);
    Quit();
    {
      plist saved{fw::FolderItem(SettingsFile())};
      EXPECT_EQ(saved.root->GetInteger("Port"), c.stored);
    }
    Restart();
    EXPECT_EQ(w->txtPort->Text(), c.shownNextTime);
  }
}

class StoredFileTest : public SettingsTest {
 protected:
  explicit StoredFileTest(std::string text) { fileText_ = std::move(text); }
};

class StoredBadPortTest : public StoredFileTest {
 protected:
  StoredBadPortTest()
      : StoredFileTest(std::string(kHeader) +
                       "\t<key>Server</key>\n\t<string>  example.org </string>\n"
                       "\t<key>Port</key>\n\t<integer>-5</integer>\n</dict>\n</plist>\n") {}
};

TEST_F(StoredBadPortTest, PortBelowOneShowsTheDefaultAndAddressIsTrimmed) {
  EXPECT_EQ(w->txtPort->Text(), "3128");
  EXPECT_EQ(w->txtServer->Text(), "example.org");
  Quit();
  plist saved{fw::FolderItem(SettingsFile())};
  EXPECT_EQ(saved.root->GetInteger("Port"), 3128);
  EXPECT_EQ(saved.root->GetString("Server"), "example.org");
}

class OtherEntriesTest : public StoredFileTest {
 protected:
  OtherEntriesTest()
      : StoredFileTest(std::string(kHeader) +
                       "\t<key>Theme</key>\n\t<string>dark &lt;b&gt;</string>\n"
                       "\t<key>Window</key>\n\t<dict>\n"
                       "\t\t<key>left</key>\n\t\t<integer>12</integer>\n"
                       "\t\t<key>recent</key>\n\t\t<array>\n"
                       "\t\t\t<string>a</string>\n\t\t\t<real>2.5</real>\n"
                       "\t\t</array>\n"
                       "\t</dict>\n"
                       "\t<key>Enabled</key>\n\t<true/>\n"
                       "</dict>\n</plist>\n") {}
};

TEST_F(OtherEntriesTest, EveryOtherEntrySurvivesUnchanged) {
  EXPECT_EQ(w->txtServer->Text(), "");
  EXPECT_EQ(w->txtPort->Text(), "3128");
  Fill("srv", "7", "n");
  Quit();
  const std::string text = FileText();
  // The entries that were there come back line for line, before the two
  // that the settings added.
  const std::string before = fileText_.substr(0, fileText_.find("</dict>\n</plist>"));
  EXPECT_EQ(text.substr(0, before.size()), before);
  plist saved{fw::FolderItem(SettingsFile())};
  EXPECT_FALSE(saved.error) << saved.errorMessage;
  EXPECT_EQ(saved.root->GetString("Server"), "srv");
  EXPECT_EQ(saved.root->GetInteger("Port"), 7);
  EXPECT_EQ(saved.root->GetString("Theme"), "dark <b>");
}

class NotAPlistTest : public StoredFileTest {
 protected:
  NotAPlistTest() : StoredFileTest("this is not\na property list\n") {}
};

// The save appended the entries and the closing lines to the file's own
// text, so it grew at every quit and never loaded again.
TEST_F(NotAPlistTest, DefaultsAreShownAndTheFileKeepsItsText) {
  EXPECT_EQ(w->txtServer->Text(), "");
  EXPECT_EQ(w->txtPort->Text(), "3128");
  EXPECT_TRUE(boxes.messages.empty());
  Fill("192.0.2.7", "4000", "n");
  Quit();
  EXPECT_EQ(FileText(), fileText_);
  Restart();
  Quit();
  EXPECT_EQ(FileText(), fileText_);
}

// A settings path the load cannot read, or a file that may not be replaced:
// the client starts (with the defaults when the file could not be read),
// quits without a word, and the path is as it was: a link stays a link, a
// FIFO does not hang the start or the quit.
TEST_F(SettingsTest, PathThatCannotBeReadOrReplacedIsLeftAsItWas) {
  const std::string stored = std::string(kHeader) +
                             "\t<key>Server</key>\n\t<string>example.org</string>\n"
                             "\t<key>Port</key>\n\t<integer>4000</integer>\n</dict>\n</plist>\n";
  for (const testsupport::KeptPath& c : testsupport::kKeptPaths) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(SettingsFolder());
    std::filesystem::create_directories(SettingsFolder());
    c.make(SettingsFolder(), SettingsFile(), stored);
    const std::string before = testsupport::PathState(SettingsFile());
    const std::string names = testsupport::ListFolder(SettingsFolder());
    fw::ScopedHook<fw::SetFileOpenHook> deny(
        c.denyOpening ? testsupport::DenyOpening(SettingsFile()) : fw::FileOpenHook());
    Restart();
    EXPECT_EQ(w->txtServer->Text(), c.loads ? "example.org" : "");
    EXPECT_EQ(w->txtPort->Text(), c.loads ? "4000" : "3128");
    Fill("192.0.2.7", "5000", "n");
    Quit();
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(testsupport::PathState(SettingsFile()), before);
    EXPECT_EQ(testsupport::ListFolder(SettingsFolder()), names);
  }
}

TEST_F(SettingsTest, ReadFailureGivesTheDefaultsAndLeavesTheFile) {
  const std::string stored =
      std::string(kHeader) +
      "\t<key>Server</key>\n\t<string>example.org</string>\n</dict>\n</plist>\n";
  std::ofstream(SettingsFile(), std::ios::binary) << stored;
  {
    fw::ScopedHook<fw::SetFileOpenHook> failing(testsupport::FailReading(SettingsFile()));
    Restart();
  }
  EXPECT_EQ(w->txtServer->Text(), "");
  EXPECT_EQ(w->txtPort->Text(), "3128");
  Fill("192.0.2.7", "5000", "n");
  Quit();
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_EQ(FileText(), stored);
}

// A settings file reached through a link keeps working: the file it leads
// to holds the new settings, and the link stays.
TEST_F(SettingsTest, LinkToTheSettingsFileKeepsWorking) {
  const std::string real = SettingsFolder() + "/elsewhere.plist";
  std::ofstream(real, std::ios::binary)
      << kHeader << "\t<key>Server</key>\n\t<string>example.org</string>\n</dict>\n</plist>\n";
  ASSERT_EQ(symlink("elsewhere.plist", SettingsFile().c_str()), 0);
  Restart();
  EXPECT_EQ(w->txtServer->Text(), "example.org");
  Fill("192.0.2.7", "5000", "n");
  Quit();
  EXPECT_TRUE(std::filesystem::is_symlink(SettingsFile()));
  plist saved{fw::FolderItem(real)};
  EXPECT_FALSE(saved.error) << saved.errorMessage;
  EXPECT_EQ(saved.root->GetString("Server"), "192.0.2.7");
  EXPECT_EQ(saved.root->GetInteger("Port"), 5000);
  Restart();
  EXPECT_EQ(w->txtServer->Text(), "192.0.2.7");
}

TEST_F(SettingsTest, AccessorBeforeInitLoadsAndInitChangesNothingLater) {
  Restart();
  Prefs::ResetForTests();
  EXPECT_FALSE(Prefs::mInitialized);
  EXPECT_EQ(Prefs::ServerPort(), 3128);
  EXPECT_TRUE(Prefs::mInitialized);
  plist* loaded = Prefs::mPrefs.get();
  Prefs::SetServerAddress("  kept as given ");
  Prefs::Init();
  EXPECT_EQ(Prefs::mPrefs.get(), loaded);
  EXPECT_EQ(Prefs::ServerAddress(), "  kept as given ");
}

TEST_F(SettingsTest, UnwritableFileIsNotReported) {
  // A folder where the file should be: the save cannot replace it.
  std::filesystem::create_directories(SettingsFile());
  Restart();
  EXPECT_EQ(w->txtPort->Text(), "3128");
  Quit();
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_TRUE(std::filesystem::is_directory(SettingsFile()));
}

// A settings file of user nobody, mode 0600, saved by root at quit became
// root's, and its owner could no longer read it.
TEST_F(SettingsTest, SettingsFileOfAnotherUserKeepsItsOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
  std::ofstream(SettingsFile(), std::ios::binary)
      << kHeader << "\t<key>Server</key>\n\t<string>example.org</string>\n</dict>\n</plist>\n";
  ASSERT_EQ(chown(SettingsFile().c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(SettingsFile().c_str(), 0600), 0);
  Restart();
  EXPECT_EQ(w->txtServer->Text(), "example.org");
  Fill("192.0.2.7", "5000", "n");
  Quit();
  struct stat st;
  ASSERT_EQ(stat(SettingsFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  plist saved{fw::FolderItem(SettingsFile())};
  EXPECT_EQ(saved.root->GetString("Server"), "192.0.2.7");
  EXPECT_EQ(testsupport::ListFolder(SettingsFolder()), "Tobrik Client.plist\n");
}

}  // namespace
