// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MenuScene.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace zf {
namespace {

QString BuiltInScenePath() { return QStringLiteral(":/qt/qml/Zentrofast/Menu/MenuScene.qml"); }

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

}  // namespace zf
