// The interface pictures, one accessor each, read from the files of the same
// name in the application's resources folder.
//
// An accessor reads its file at the first call that finds and decodes it and
// from then on returns that very picture object; until then every call
// returns null and the next call tries again, so a file added later is read
// then. Nothing is ever reported.
#pragma once

#include "framework/ui/Picture.h"

fw::PicturePtr Handbutton53();
fw::PicturePtr YESicon54();
fw::PicturePtr NOicon54();
fw::PicturePtr Abutton53();
fw::PicturePtr Bbutton53();
fw::PicturePtr Cbutton53();
fw::PicturePtr Dbutton53();
fw::PicturePtr tobrik_icon();
fw::PicturePtr FrameHandle();
fw::PicturePtr TextButtonSmall();
fw::PicturePtr okbutton();
fw::PicturePtr button_connect_japan();
fw::PicturePtr button_disconnect_japan();
