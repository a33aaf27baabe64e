#include "tests/support/GuiEnvironment.h"

#include <stdlib.h>

#include <QCoreApplication>
#include <QEvent>

#include "framework/ui/Application.h"

namespace testsupport {
namespace {

class GuiEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    // Headless unless the caller chose a platform, also when run by hand.
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    fw::InitializeFramework();
    fw::SetMsgBoxHook(
        [](const fw::String& text) { ADD_FAILURE() << "unexpected message box: " << text; });
    fw::SetShowModalHook([](fw::Window& window) {
      ADD_FAILURE() << "unexpected ShowModal of " << window.ClassName();
      window.Close();
    });
  }
  void TearDown() override {
    fw::SetShowModalHook(nullptr);
    fw::RuntimeShutdown();
  }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

void GuiTest::TearDown() { fw::RuntimeReset(); }

void ProcessEvents() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace testsupport
