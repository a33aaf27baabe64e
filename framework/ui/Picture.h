// Pictures.
//
// A Picture is an image decoded from a file (JPEG or PNG, or any other format
// the installed image readers know). Pictures are handed out as PicturePtr:
// a shared handle whose identity is the picture's identity, so two handles
// compare equal exactly when they are the very same picture object. A null
// PicturePtr is "no picture".
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/FolderItem.h"
#include "framework/core/String.h"

class QImage;

namespace fw {

class Picture {
 public:
  explicit Picture(QImage image);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  std::int32_t Width() const;
  std::int32_t Height() const;
  const QImage& Image() const;

 private:
  std::unique_ptr<const QImage> image_;
};

using PicturePtr = std::shared_ptr<Picture>;

// The picture in the file, or null when the file is missing, unreadable or
// not an image.
PicturePtr OpenAsPicture(const FolderItem& file);

}  // namespace fw
