// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MenuScene.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFontMetrics>
#include <QQmlComponent>

#include "shell/BuiltInImage.h"

namespace zf {
namespace {

constexpr auto kSceneFolder = QLatin1String(":/qt/qml/Zentrofast/Menu/");

QString BuiltInScenePath() { return kSceneFolder + QLatin1String("MenuScene.qml"); }

// The file's bytes when it is a regular file of the expected size; never follows a link and
// never waits on a FIFO.
QByteArray ReadIfSize(const QString& path, qint64 size) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat info {};
  QByteArray bytes;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == size) {
    bytes.resize(size);
    qint64 done = 0;
    while (done < size) {
      const ssize_t got = ::read(fd, bytes.data() + done, static_cast<size_t>(size - done));
      if (got <= 0) break;
      done += got;
    }
    if (done != size) bytes.clear();
  }
  ::close(fd);
  return bytes;
}

}  // namespace

bool HoldsBuiltInScene(const QString& sceneFile) {
  QFile builtIn(BuiltInScenePath());
  if (!builtIn.open(QIODevice::ReadOnly)) return false;
  const QByteArray expected = builtIn.readAll();
  return !expected.isEmpty() && ReadIfSize(sceneFile, expected.size()) == expected;
}

QUrl SceneUrl(const QString& sceneFile) {
  return HoldsBuiltInScene(sceneFile) ? QUrl(kBuiltInSceneUrl) : QUrl::fromLocalFile(sceneFile);
}

std::unique_ptr<QQmlComponent> ReadSceneAhead(QQmlEngine& engine, const QString& sceneFile) {
  return std::make_unique<QQmlComponent>(&engine, SceneUrl(sceneFile), QQmlComponent::Asynchronous);
}

void LoadMenuFonts() {
  QFont bold;
  bold.setBold(true);
  for (const QFont& font : {QFont(), bold}) QFontMetrics(font).height();
}

QImage MenuImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
  // Plain names only: the scene's own folder and nothing else.
  if (id.isEmpty() || id.contains(QLatin1Char('/'))) return {};
  QImage image = ReadBuiltInImage(kSceneFolder + id);
  if (!image.isNull() && requestedSize.isValid() && requestedSize != image.size())
    image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  if (size != nullptr) *size = image.size();
  return image;
}

}  // namespace zf
