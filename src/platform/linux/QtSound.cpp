#include "platform/linux/QtSound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace zf {

QtSound::QtSound(QObject* parent) : QObject(parent) {}

QtSound::~QtSound() = default;

void QtSound::PlayAsync(const std::string& wavPath) {
  const QString path = QString::fromStdString(wavPath);
  if (!QFileInfo(path).isFile()) return;
  auto& effect = m_effects[wavPath];
  if (!effect) {
    effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl::fromLocalFile(path));
  }
  effect->play();
}

}  // namespace zf
