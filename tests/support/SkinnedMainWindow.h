// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window stand-in that wears the program's real skin (the build's QorvMask.skn), for
// looking at and measuring screens and dialogs as the program shows them.
#include <QApplication>
#include <QFontInfo>
#include <QWidget>

#include "shell/SkinEngine.h"
#include "ui/IMainWindow.h"

namespace zf::test {

class SkinnedMainWindow : public QWidget, public IMainWindow {
 public:
  explicit SkinnedMainWindow(QSize size = {724, 540}) {
    resize(size);
    const QString skin = qEnvironmentVariable("ZENTROFAST_BIN") + QStringLiteral("/QorvMask.skn");
    loaded = m_skin.LoadSkin(skin, this, QFontInfo(QApplication::font()).pixelSize());
  }

  void ApplySkinElement(QWidget* widget, const QString& element) override { m_skin.ApplySkin(widget, element); }
  void applyAllControls(QWidget* form) override { m_skin.ApplyAllControls(form); }
  void SkinDialog(QWidget* dialog) override {
    m_skin.SkinWindow(dialog);
    IMainWindow::SkinDialog(dialog);
  }
  void MovieToFront() override {}
  void SetVariable(const QString&, const QString&) override {}
  void UpdateTrayTip(const QString&) override {}
  void ShowNotice(const QString&) override {}
  ChildScreen* Screen(ScreenId) override { return nullptr; }

  bool loaded = false;

 private:
  SkinEngine m_skin;
};

}  // namespace zf::test
