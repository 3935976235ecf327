// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The skin: a style sheet keyed on skin element names. Applying an element to a widget tags it
// with the element name, which the sheet's selectors match.
#include <QString>

class QWidget;

namespace zf {

inline constexpr char kSkinElementProperty[] = "skinElement";
// The screens' text size in pixels: the desktop's, up to what the fixed frames hold (the
// wizard's nine-line summary in its 250-pixel frame).
inline constexpr int kSmallestSkinFont = 9;
inline constexpr int kLargestSkinFont = 11;
int SkinFontPixels(int desktopFontPixels);

class SkinEngine {
 public:
  // Loads the skin file for the windows below host (the frame of the screens); false, and the
  // plain look, when it cannot be read.
  // desktopFontPixels: the desktop's text size, which the screens' text follows.
  bool LoadSkin(const QString& path, QWidget* host, int desktopFontPixels);
  // Skins one more window with the loaded skin.
  void SkinWindow(QWidget* window) const;
  void ApplySkin(QWidget* widget, const QString& element);
  // Each control of form, in creation order, skinned by its type.
  void ApplyAllControls(QWidget* form);

 private:
  QString m_styleSheet;
};

// The element for a control's type: "Button", "Label", "Frame", "CheckBox", "RadioBox", or
// empty for a type the skin leaves alone.
QString SkinElementFor(const QWidget* control);

}  // namespace zf
