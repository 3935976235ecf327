#pragma once
#include <QObject>
#include <map>
#include <memory>

#include "platform/sound.h"

class QSoundEffect;

namespace zf {

// WAV playback through Qt Multimedia. Without an audio device, or without the file, nothing
// is heard and nothing is reported.
class QtSound final : public QObject, public ISound {
  Q_OBJECT

 public:
  explicit QtSound(QObject* parent = nullptr);
  ~QtSound() override;
  void PlayAsync(const std::string& wavPath) override;

 private:
  // One effect per file, so a sound repeated by a timer is decoded once.
  std::map<std::string, std::unique_ptr<QSoundEffect>> m_effects;
};

}  // namespace zf
