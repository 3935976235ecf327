// SPDX-License-Identifier: GPL-3.0-or-later
// The loadable side of the sound player (see SoundModule.h).
#include <QObject>

#include "platform/linux/DesktopSound.h"
#include "platform/linux/QtSound.h"
#include "platform/linux/SoundModule.h"

namespace zf {

class SoundModule final : public QObject, public ISoundModule {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID ZF_SOUND_MODULE_IID)
  Q_INTERFACES(zf::ISoundModule)

 public:
  std::unique_ptr<ISound> CreateSound() override { return std::make_unique<QtSound>(PlayDesktopDefaultSound); }
};

}  // namespace zf

#include "SoundModulePlugin.moc"
