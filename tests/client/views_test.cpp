// The compact and full view: the two heights and the two handles.
#include <gtest/gtest.h>

#include "tests/client/support/ClientWindowTest.h"

namespace {

using namespace clienttest;

class ViewsTest : public ClientWindowTest {
 protected:
  void ExpectView(int height, bool top, bool bottom) {
    EXPECT_EQ(w->Height(), height);
    EXPECT_EQ(w->Width(), 550);
    EXPECT_EQ(w->TopHandle->Visible(), top);
    EXPECT_EQ(w->BottomHandle->Visible(), bottom);
  }
  LoopbackListener listener;
};

TEST_F(ViewsTest, FullViewWithoutHandlesBeforeAnyConnection) { ExpectView(261, false, false); }

TEST_F(ViewsTest, ConnectingCollapsesAndTheHandlesSwitchViews) {
  Connect(listener);
  ExpectView(154, true, true);
  Click(*w->TopHandle);
  ExpectView(261, false, true);
  Click(*w->BottomHandle);
  ExpectView(154, true, true);
  Click(*w->TopHandle);
  ExpectView(261, false, true);
}

TEST_F(ViewsTest, DisconnectingInTheFullViewKeepsTheHandleWorking) {
  Connect(listener);
  Click(*w->TopHandle);
  Click(*w->cmdConnect);
  ASSERT_TRUE(listener.WaitForPeerClose());
  ExpectView(261, false, true);
  Click(*w->BottomHandle);  // nothing is connected, it still collapses
  ExpectView(154, true, true);
  Click(*w->TopHandle);
  Connect(listener);  // connecting again from the full view collapses once more
  ExpectView(154, true, true);
}

TEST_F(ViewsTest, LostConnectionInTheCompactViewStaysCompact) {
  Connect(listener);
  listener.CloseConnection();
  ASSERT_TRUE(RunEventLoopUntil([&] { return !boxes.messages.empty(); }));
  EXPECT_EQ(boxes.messages, std::vector<fw::String>{kLostConnection});
  ExpectView(154, true, true);
}

}  // namespace
