// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "platform/sound.h"

class QSoundEffect;

namespace zf {

// WAV playback through Qt Multimedia. Without the file the system's default sound plays
// instead; without an audio device nothing is heard and nothing is reported.
class QtSound final : public QObject, public ISound {
  Q_OBJECT

 public:
  // defaultSound: plays the system's default sound (PlayDesktopDefaultSound in the program).
  explicit QtSound(std::function<void()> defaultSound, QObject* parent = nullptr);
  ~QtSound() override;
  void PlayAsync(const std::string& wavPath) override;

 private:
  // One effect per file, so a sound repeated by a timer is decoded once.
  std::map<std::string, std::unique_ptr<QSoundEffect>> m_effects;
  std::function<void()> m_defaultSound;
};

}  // namespace zf
