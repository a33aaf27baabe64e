#include "framework/ui/Picture.h"

#include <QImage>
#include <QImageReader>

namespace fw {

Picture::Picture(QImage image) : image_(std::make_unique<const QImage>(std::move(image))) {}
Picture::~Picture() = default;

std::int32_t Picture::Width() const { return image_->width(); }
std::int32_t Picture::Height() const { return image_->height(); }
const QImage& Picture::Image() const { return *image_; }

PicturePtr OpenAsPicture(const FolderItem& file) {
  if (!file.Exists() || file.IsFolder()) return nullptr;
  QImageReader reader(QString::fromStdString(file.AbsolutePath()));
  reader.setDecideFormatFromContent(true);
  QImage image = reader.read();
  if (image.isNull()) return nullptr;
  return std::make_shared<Picture>(std::move(image));
}

}  // namespace fw
