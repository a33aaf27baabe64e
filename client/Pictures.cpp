#include "client/Pictures.h"

#include "framework/ui/Resources.h"

namespace {

// What one accessor keeps for the whole run.
struct PictureSlot {
  bool called = false;
  fw::PicturePtr pic;
};

fw::PicturePtr Load(PictureSlot& slot, const char* fileName) {
  if (!slot.called) {
    slot.called = true;
    slot.pic = nullptr;
  }
  if (!slot.pic) {
    if (std::optional<fw::FolderItem> folder = fw::_GetApplicationBundleResources())
      if (std::optional<fw::FolderItem> file = folder->Child(fileName))
        slot.pic = fw::OpenAsPicture(*file);
  }
  return slot.pic;
}

}  // namespace

#define TOBRIK_PICTURE(accessor, fileName) \
  fw::PicturePtr accessor() {              \
    static PictureSlot slot;               \
    return Load(slot, fileName);           \
  }

TOBRIK_PICTURE(Handbutton53, "Handbutton53.jpg")
TOBRIK_PICTURE(YESicon54, "YESicon54.jpg")
TOBRIK_PICTURE(NOicon54, "NOicon54.jpg")
TOBRIK_PICTURE(Abutton53, "Abutton53.jpg")
TOBRIK_PICTURE(Bbutton53, "Bbutton53.jpg")
TOBRIK_PICTURE(Cbutton53, "Cbutton53.jpg")
TOBRIK_PICTURE(Dbutton53, "Dbutton53.jpg")
TOBRIK_PICTURE(tobrik_icon, "tobrik_icon.png")
TOBRIK_PICTURE(FrameHandle, "FrameHandle.jpg")
TOBRIK_PICTURE(TextButtonSmall, "TextButtonSmall.jpg")
TOBRIK_PICTURE(okbutton, "okbutton.jpg")
TOBRIK_PICTURE(button_connect_japan, "button_connect_japan.jpg")
TOBRIK_PICTURE(button_disconnect_japan, "button_disconnect_japan.jpg")
