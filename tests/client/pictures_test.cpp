// The picture accessors: each loads its own file once and returns that very
// object from then on; a missing or unreadable file gives null, and the next
// call tries again. This program starts with an empty resources folder, so
// that it sees every accessor before its first successful read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "client/Pictures.h"
#include "client/wAbout.h"
#include "framework/core/ScopedHook.h"
#include "framework/ui/Resources.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/FakeTimerClock.h"
#include "tests/support/GuiEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

struct Accessor {
  fw::PicturePtr (*get)();
  const char* file;
};

const Accessor kAccessors[] = {
    {Handbutton53, "Handbutton53.jpg"},
    {YESicon54, "YESicon54.jpg"},
    {NOicon54, "NOicon54.jpg"},
    {Abutton53, "Abutton53.jpg"},
    {Bbutton53, "Bbutton53.jpg"},
    {Cbutton53, "Cbutton53.jpg"},
    {Dbutton53, "Dbutton53.jpg"},
    {tobrik_icon, "tobrik_icon.png"},
    {FrameHandle, "FrameHandle.jpg"},
    {TextButtonSmall, "TextButtonSmall.jpg"},
    {okbutton, "okbutton.jpg"},
    {button_connect_japan, "button_connect_japan.jpg"},
    {button_disconnect_japan, "button_disconnect_japan.jpg"},
};

class PicturesTest : public testsupport::GuiTest {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "Resources");
    exe_ = std::make_unique<fw::ScopedHook<fw::SetExecutableFileOverride>>(
        (root_ / "bin" / "tobrik-client").string());
  }
  void TearDown() override {
    exe_.reset();
    GuiTest::TearDown();
  }
  void Supply(const char* file) {
    fs::copy_file(fs::path(testsupport::SourceDir()) / "Resources" / file,
                  root_ / "Resources" / file, fs::copy_options::overwrite_existing);
  }
  testsupport::TempFolder folder_;
  fs::path root_ = folder_.Path();
  std::unique_ptr<fw::ScopedHook<fw::SetExecutableFileOverride>> exe_;
};

TEST_F(PicturesTest, LoadOnceRetryWhileMissingAndKeepTheObject) {
  for (const Accessor& a : kAccessors) {
    SCOPED_TRACE(a.file);
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(a.get(), nullptr) << "a second call without the file";
  }

  {
    SCOPED_TRACE("the About box without its icon still opens and closes");
    auto clock = std::make_shared<testsupport::FakeTimerClock>();
    fw::ScopedHook<fw::SetTimerClock> guard(clock);
    auto box = wAbout::wAbout();
    EXPECT_EQ(box->Canvas1->Backdrop(), nullptr);
    EXPECT_TRUE(box->IsOpen());
    clock->Advance(2500);
    EXPECT_FALSE(box->IsOpen());
  }

  {
    SCOPED_TRACE("a file that is not a picture");
    std::ofstream(root_ / "Resources" / "okbutton.jpg") << "not a picture";
    EXPECT_EQ(okbutton(), nullptr);
  }

  {
    SCOPED_TRACE("one file added later is read by the next call; the others stay empty");
    Supply("tobrik_icon.png");
    fw::PicturePtr icon = tobrik_icon();
    ASSERT_NE(icon, nullptr);
    EXPECT_GT(icon->Width(), 0);
    EXPECT_EQ(tobrik_icon(), icon);
    EXPECT_EQ(FrameHandle(), nullptr);
  }

  {
    SCOPED_TRACE("every accessor reads its own file by its exact name");
    for (const Accessor& a : kAccessors) Supply(a.file);
    for (const Accessor& a : kAccessors) {
      SCOPED_TRACE(a.file);
      fw::PicturePtr first = a.get();
      ASSERT_NE(first, nullptr);
      EXPECT_EQ(a.get(), first) << "the same object on every later call";
    }
    for (std::size_t i = 0; i < std::size(kAccessors); ++i)
      for (std::size_t j = i + 1; j < std::size(kAccessors); ++j)
        EXPECT_NE(kAccessors[i].get(), kAccessors[j].get());
  }

  {
    SCOPED_TRACE("once loaded, the file is never read again");
    fw::PicturePtr connect = button_connect_japan();
    fs::remove_all(root_ / "Resources");
    EXPECT_EQ(button_connect_japan(), connect);
  }
}

}  // namespace
