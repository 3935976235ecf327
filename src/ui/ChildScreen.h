// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A screen hosted in the main window's frame: one instance for the life of the process
// (only the advanced mode is re-created), loaded hidden, its handlers called by the host. Where
// the screen has a background (ui/ScreenBackground.h), these are only its widgets.
#include <QWidget>

#include "core/AppServices.h"
#include "ui/ScreenId.h"

namespace zf {

class IMainWindow;

class ChildScreen : public QWidget {
  Q_OBJECT

 public:
  ChildScreen(AppServices& services, IMainWindow& mainWindow, QWidget* parent = nullptr)
      : QWidget(parent), m_services(services), m_mainWindow(mainWindow) {
    setAttribute(Qt::WA_StyledBackground);  // so the skin can paint the screen's background
  }

  // The load handler: skins the screen, reads its stored settings, starts its timers. A screen
  // with a background leaves the reading and the timers to it and shows what it holds.
  virtual void Form_Load() = 0;
  // The unload handler: stops timers; the host deletes the screen right after.
  virtual void Form_Unload() {}

 protected:
  // Skin element "controlForm" on the screen itself, then every control by its type.
  void SkinScreen();

  AppServices& m_services;
  IMainWindow& m_mainWindow;
};

}  // namespace zf
