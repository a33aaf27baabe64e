// A fixture for the main window's tests: each test gets a fresh settings
// folder, unloaded settings, recorded message boxes and a newly built main
// window, and helpers that type into the fields, press buttons with real
// mouse clicks and connect to a listener on 127.0.0.1.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "client/Pictures.h"
#include "client/Prefs.h"
#include "client/wMain.h"
#include "client/wskClient.h"
#include "framework/ui/Application.h"
#include "tests/support/GuiEnvironment.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/TempFolder.h"

namespace clienttest {

using testsupport::LoopbackListener;

inline constexpr const char* kConnectFailed = "接続解除または無効です";
inline constexpr const char* kLostConnection = "Lost connection";
inline constexpr const char* kBadPort = "ポートは 1 から 65535 の数字で指定する必要があります";
inline constexpr const char* kBadAddress = "IP アドレスの入力が必要です";
inline constexpr const char* kBadName = "名前の入力が必要です";
inline constexpr const char* kTitlePrefix = "トブリク - 接続クライアント: ";

class ClientWindowTest : public testsupport::GuiTest {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
    Prefs::ResetForTests();
    BeforeWindow();
    w = wMain::wMain();
  }
  void TearDown() override {
    w.reset();
    testsupport::GuiTest::TearDown();
    Prefs::ResetForTests();
  }
  // Runs before the window is built (settings files, hooks).
  virtual void BeforeWindow() {}

  std::string SettingsFolder() const { return config_.File("Tobrik Client"); }
  std::string SettingsFile() const { return SettingsFolder() + "/Tobrik Client.plist"; }

  void Fill(const std::string& server, const std::string& port, const std::string& name) {
    w->txtServer->SetText(server);
    w->txtPort->SetText(port);
    w->txtName->SetText(name);
  }

  // A mouse click on the control, as the participant makes it (a disabled
  // or hidden control takes none).
  static void Click(fw::RectControl& control) {
    QTest::mouseClick(control.Widget(), Qt::LeftButton);
  }

  // Connects to listener with the given name, accepts there and checks the
  // join message (by default the name, "^J" and the byte 12, for a name
  // whose Shift_JIS bytes are its UTF-8 bytes). Leaves the listener's record
  // empty.
  void Connect(LoopbackListener& listener, const std::string& name = "abc", std::string join = "") {
    Fill("127.0.0.1", std::to_string(listener.Port()), name);
    Click(*w->cmdConnect);
    ASSERT_TRUE(w->wskClient->IsConnected());
    ASSERT_TRUE(listener.Accept());
    if (join.empty()) join = name + "^J\x0C";
    ASSERT_EQ(listener.ReadAtLeast(join.size()), join);
    listener.ClearReceived();
  }

  // Whether the controls show the disconnected state after a connection.
  void ExpectDisconnectedControls() {
    EXPECT_TRUE(w->txtServer->Enabled());
    EXPECT_TRUE(w->txtPort->Enabled());
    EXPECT_TRUE(w->txtName->Enabled());
    for (fw::RectControl* c : AnswerSet()) EXPECT_FALSE(c->Enabled()) << c->Name();
    EXPECT_FALSE(w->FreeTextOK->Visible());
    EXPECT_EQ(w->cmdConnect->Icon(), ::button_connect_japan());
  }

  std::vector<fw::RectControl*> AnswerSet() const {
    return {w->Image1.get(),     w->Image2.get(),    w->Image3.get(), w->Image4.get(),
            w->Image5.get(),     w->Image6.get(),    w->Image7.get(), w->FreeText.get(),
            w->FreeTextOK.get(), w->EditField1.get()};
  }

  // Lets the event loop run until done() holds or a generous bound passes.
  template <typename Done>
  static bool RunEventLoopUntil(Done done, int boundMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < boundMs) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      QTest::qWait(5);
    }
    return done();
  }

  testsupport::MsgBoxRecorder boxes;
  std::shared_ptr<class wMain::wMain> w;

 private:
  testsupport::TempFolder config_;
};

}  // namespace clienttest
