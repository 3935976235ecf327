// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound player lives in a module of its own, loaded when the first sound plays: Qt
// Multimedia and libcanberra bring in the sound server's client and every codec, which would
// otherwise be mapped and relocated before the window can first show.
#include <QtPlugin>
#include <filesystem>
#include <memory>

#include "platform/sound.h"

namespace zf {

class ISoundModule {
 public:
  virtual ~ISoundModule() = default;
  // WAV files through Qt Multimedia; a missing file plays the desktop's default sound.
  virtual std::unique_ptr<ISound> CreateSound() = 0;
};

inline constexpr char kSoundModuleName[] = "libzentrofast-sound.so";

// The module for the programs in executableFolder: the installed one (libexec/zentrofast beside
// bin/, with the program's other private parts), else the one beside them in a build folder.
std::filesystem::path SoundModuleFor(const std::filesystem::path& executableFolder);

}  // namespace zf

#define ZF_SOUND_MODULE_IID "org.zentrofast.SoundModule/1"
Q_DECLARE_INTERFACE(zf::ISoundModule, ZF_SOUND_MODULE_IID)
