#pragma once
// A screen hosted in the main window's frame: one instance for the life of the process
// (only the advanced mode is re-created), loaded hidden, its handlers called by the host.
#include <QWidget>

#include "core/AppServices.h"

namespace zf {

enum class ScreenId { WizardMode, NormalMode, BackUp, NetPingerSettings, SystemStatus, RamConfiguration, MainSettings };
inline constexpr int kScreenCount = 7;

class ChildScreen : public QWidget {
  Q_OBJECT

 public:
  explicit ChildScreen(AppServices& services, QWidget* parent = nullptr) : QWidget(parent), m_services(services) {
    setAttribute(Qt::WA_StyledBackground);  // so the skin can paint the screen's background
  }

  // The load handler: skins the screen, reads its stored settings, starts its timers.
  virtual void Form_Load() = 0;
  // The unload handler: stops timers; the host deletes the screen right after.
  virtual void Form_Unload() {}

 protected:
  // Skin element "controlForm" on the screen itself, then every control by its type.
  void SkinScreen();

  AppServices& m_services;
};

}  // namespace zf
