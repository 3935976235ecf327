// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window stand-in for screen tests: records skinning, z-order moves, movie variables
// and tray tips, and loads screens through a factory the test provides.
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "ui/IMainWindow.h"

namespace zf::test {

class FakeMainWindow : public IMainWindow {
 public:
  using Factory = std::function<std::unique_ptr<ChildScreen>(ScreenId)>;

  void ApplySkinElement(QWidget* widget, const QString& element) override { skinned.emplace_back(widget, element); }
  void applyAllControls(QWidget* form) override { allControlsApplied.push_back(form); }
  void MovieToFront() override { calls << QStringLiteral("MovieToFront"); }
  void SetVariable(const QString& name, const QString& value) override {
    calls << QStringLiteral("SetVariable %1=%2").arg(name, value);
  }
  void UpdateTrayTip(const QString& tip) override { trayTips << tip; }
  void ShowNotice(const QString& text) override { notices << text; }
  ChildScreen* Screen(ScreenId id) override {
    auto& screen = screens[id];
    if (!screen && factory) {
      screen = factory(id);
      if (screen) screen->Form_Load();
    }
    return screen.get();
  }

  Factory factory;
  std::map<ScreenId, std::unique_ptr<ChildScreen>> screens;
  std::vector<std::pair<QWidget*, QString>> skinned;
  std::vector<QWidget*> allControlsApplied;
  QStringList calls;  // MovieToFront and SetVariable, in order
  QStringList trayTips;
  QStringList notices;
};

}  // namespace zf::test
