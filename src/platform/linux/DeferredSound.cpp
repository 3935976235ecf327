// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/DeferredSound.h"

#include <QPluginLoader>
#include <cstdio>
#include <system_error>

#include "platform/linux/SoundModule.h"

namespace zf {

std::filesystem::path SoundModuleFor(const std::filesystem::path& executableFolder) {
  const auto installed = executableFolder.parent_path() / "libexec" / "zentrofast" / kSoundModuleName;
  std::error_code ignored;
  return std::filesystem::is_regular_file(installed, ignored) ? installed : executableFolder / kSoundModuleName;
}

DeferredSound::DeferredSound(QString modulePath, std::function<void()> fallback)
    : m_modulePath(std::move(modulePath)), m_fallback(std::move(fallback)) {}

DeferredSound::~DeferredSound() = default;

bool DeferredSound::Load() {
  if (m_tried) return m_sound != nullptr;
  m_tried = true;
  m_loader = std::make_unique<QPluginLoader>(m_modulePath);
  auto* module = qobject_cast<ISoundModule*>(m_loader->instance());
  if (module == nullptr) {
    std::fprintf(stderr, "Zentrofast plays no sounds: %s\n", qPrintable(m_loader->errorString()));
    return false;
  }
  m_sound = module->CreateSound();
  return m_sound != nullptr;
}

void DeferredSound::PlayAsync(const std::string& wavPath) {
  if (Load()) {
    m_sound->PlayAsync(wavPath);
    return;
  }
  m_fallback();
}

}  // namespace zf
