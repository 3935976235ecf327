// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BuiltInImage.h"

#include <QFileInfo>
#include <QImageReader>

namespace zf {

QImage ReadBuiltInImage(const QString& path) {
  QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

}  // namespace zf
