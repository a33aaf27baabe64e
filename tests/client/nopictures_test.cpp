// Without the picture files the connect button shows no picture, so its
// picture no longer tells the connection state; the socket then does. This
// program never finds a Resources folder, so no picture ever loads in it.
#include <gtest/gtest.h>

#include <filesystem>

#include "client/Pictures.h"
#include "framework/core/ScopedHook.h"
#include "framework/ui/Resources.h"
#include "tests/client/support/ClientWindowTest.h"

namespace {

using namespace clienttest;

class NoPicturesTest : public ClientWindowTest {
 protected:
  void BeforeWindow() override {
    std::filesystem::create_directories(folder_.File("bin"));
    executable_ = std::make_unique<fw::ScopedHook<fw::SetExecutableFileOverride>>(
        folder_.File("bin/tobrik-client"));
  }
  void TearDown() override {
    ClientWindowTest::TearDown();
    executable_.reset();
  }

  testsupport::TempFolder folder_;
  std::unique_ptr<fw::ScopedHook<fw::SetExecutableFileOverride>> executable_;
  LoopbackListener listener;
};

TEST_F(NoPicturesTest, ConnectAndDisconnectAlternateByTheSocketsState) {
  ASSERT_EQ(button_connect_japan(), nullptr);
  ASSERT_EQ(button_disconnect_japan(), nullptr);
  EXPECT_EQ(w->cmdConnect->Icon(), nullptr);

  Connect(listener);
  EXPECT_EQ(w->cmdConnect->Icon(), nullptr);
  Click(*w->TopHandle);
  Click(*w->cmdConnect);  // connected: the disconnect road
  EXPECT_TRUE(listener.WaitForPeerClose());
  EXPECT_EQ(listener.Received(), "abc^Q\x0C");
  EXPECT_FALSE(w->wskClient->IsConnected());
  EXPECT_TRUE(w->txtName->Enabled());

  Connect(listener);  // disconnected: the connect road again
  EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(NoPicturesTest, AfterALostConnectionTheButtonConnectsAgain) {
  Connect(listener);
  listener.CloseConnection();
  ASSERT_TRUE(RunEventLoopUntil([&] { return !boxes.messages.empty(); }));
  EXPECT_EQ(boxes.messages, std::vector<fw::String>{kLostConnection});
  Click(*w->TopHandle);
  Connect(listener);
  EXPECT_EQ(boxes.messages.size(), 1u);
}

}  // namespace
