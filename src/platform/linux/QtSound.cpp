// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/QtSound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace zf {

QtSound::QtSound(std::function<void()> defaultSound, QObject* parent)
    : QObject(parent), m_defaultSound(std::move(defaultSound)) {}

QtSound::~QtSound() = default;

void QtSound::PlayAsync(const std::string& wavPath) {
  const QString path = QString::fromStdString(wavPath);
  if (!QFileInfo(path).isFile()) {
    m_defaultSound();
    return;
  }
  auto& effect = m_effects[wavPath];
  if (!effect) {
    effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl::fromLocalFile(path));
  }
  effect->play();
}

}  // namespace zf
