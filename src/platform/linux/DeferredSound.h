// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>
#include <memory>

#include "platform/sound.h"

class QPluginLoader;

namespace zf {

// Plays through the sound module, loaded on the first sound. Without the module every sound
// is the fallback (the window system's beep), and the reason is told once on standard error.
class DeferredSound final : public ISound {
 public:
  DeferredSound(QString modulePath, std::function<void()> fallback);
  ~DeferredSound() override;
  void PlayAsync(const std::string& wavPath) override;
  // Loads the module now; false when it cannot be used.
  bool Load();

 private:
  QString m_modulePath;
  std::function<void()> m_fallback;
  std::unique_ptr<QPluginLoader> m_loader;
  // Declared after the loader, so the player goes first.
  std::unique_ptr<ISound> m_sound;
  bool m_tried = false;
};

}  // namespace zf
