// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SkinEngine.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace zf {

int SkinFontPixels(int desktopFontPixels) { return qBound(kSmallestSkinFont, desktopFontPixels, kLargestSkinFont); }

bool SkinEngine::LoadSkin(const QString& path, QWidget* host, int desktopFontPixels) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  // The last rules win over the skin's own size for the screens. A dialog's scrolling list is
  // what it says, not an explanation beside a control: the full size there too.
  m_styleSheet =
      QString::fromUtf8(file.readAll()) +
      QStringLiteral(
          "\n*[skinElement=\"controlForm\"] { font-size: %1px; }\n"
          "QDialog[skinElement=\"controlForm\"] QScrollArea QLabel[skinElement=\"Label\"] { font-size: %1px; }\n")
          .arg(SkinFontPixels(desktopFontPixels));
  SkinWindow(host);
  return true;
}

void SkinEngine::SkinWindow(QWidget* window) const {
  if (window != nullptr && !m_styleSheet.isEmpty()) window->setStyleSheet(m_styleSheet);
}

void SkinEngine::ApplySkin(QWidget* widget, const QString& element) {
  if (widget == nullptr) return;
  widget->setProperty(kSkinElementProperty, element);
  // Property selectors are matched at polish time only.
  widget->style()->unpolish(widget);
  widget->style()->polish(widget);
  widget->update();
}

void SkinEngine::ApplyAllControls(QWidget* form) {
  if (form == nullptr) return;
  for (QWidget* control : form->findChildren<QWidget*>()) {
    const QString element = SkinElementFor(control);
    if (!element.isEmpty()) ApplySkin(control, element);
  }
}

QString SkinElementFor(const QWidget* control) {
  if (qobject_cast<const QPushButton*>(control)) return QStringLiteral("Button");
  if (qobject_cast<const QCheckBox*>(control)) return QStringLiteral("CheckBox");
  if (qobject_cast<const QRadioButton*>(control)) return QStringLiteral("RadioBox");
  if (qobject_cast<const QLabel*>(control)) return QStringLiteral("Label");
  if (qobject_cast<const QGroupBox*>(control)) return QStringLiteral("Frame");
  // A plain frame, not one of the many widgets built on QFrame.
  if (control->metaObject() == &QFrame::staticMetaObject) return QStringLiteral("Frame");
  return {};
}

}  // namespace zf
