#include "framework/ui/Picture.h"

#include <QImageReader>

namespace fw {

PicturePtr OpenAsPicture(const FolderItem& file) {
  if (!file.Exists() || file.IsFolder()) return nullptr;
  QImageReader reader(QString::fromStdString(file.AbsolutePath()));
  reader.setDecideFormatFromContent(true);
  QImage image = reader.read();
  if (image.isNull()) return nullptr;
  return std::make_shared<Picture>(std::move(image));
}

}  // namespace fw
