// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the message window shows and where, derived from the flags and the text heights. Positions
// inside the frames are in twips, frame and window sizes in pixels, as the window lays them out.
#include <QColor>
#include <QString>
#include <array>
#include <cstdint>

namespace zf {

// Design measures, in twips.
inline constexpr int kDesignClientWidth = 5385;
inline constexpr int kIconLeft = 45;
inline constexpr int kIconTop = 30;
inline constexpr int kTitleLeft = 375;
inline constexpr int kTitleTop = 45;
inline constexpr int kMessageLeft = 75;
inline constexpr int kMessageTopMsgBox = 450;
inline constexpr int kMessageTopOther = 465;  // input box and timed box
inline constexpr int kButtonWidth = 1200;
inline constexpr int kButtonHeight = 375;
inline constexpr int kSecondButtonDesignLeft = 1815;
inline constexpr int kInputButtonWidth = 915;

// Frame placement, in pixels.
inline constexpr int kFrameLeft = 8;
inline constexpr int kFrameTop = 30;
inline constexpr int kFrameWidthMargin = 30;

inline constexpr int kCheckboxBonus = 100;
inline constexpr QChar kTickedMark = QChar(0x00AC);  // "¬"

// Twips per pixel for a logical DPI, rounded to a whole number.
int TwipsPerPixel(double logicalDpi);
double TwipsToPixels(double twips, int twipsPerPixel);

// Longest timed box and lightest shadow: beyond them the timer interval and the shadow weights overflow.
inline constexpr int kMaxTime = 32;
inline constexpr int kMaxIntensity = 75;
int ClampTime(int nTime);
int ClampIntensity(int Intensity);

// mColor: red in the low byte, then green, then blue; 0 picks the pale yellow default.
QColor BalloonColor(std::uint32_t mColor);

// Results of the standard buttons.
enum ButtonCode : std::int16_t { kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7 };

struct ButtonSet {
  std::array<QString, 3> captions;  // empty: the button stays hidden
  std::array<std::int16_t, 3> codes{};
  int count = 0;  // position of the last button shown: picks the placement formula
};
// Button set field (mask 7) of the flags; set 6 takes the three custom captions.
ButtonSet ButtonsFor(std::int32_t mFlags, const QString& Btn1, const QString& Btn2, const QString& Btn3);

// Lefts of the buttons for `count` buttons of width w across a frame F twips wide.
std::array<double, 3> ButtonLefts(int count, double F, double w = kButtonWidth);

// Icon field (mask 0x70): the strip cell it shows, 0 for none.
int IconCellFor(std::int32_t mFlags);
// Default-button field (mask 0x300): 1, 2 or 3; 768 keeps `current`.
int DefaultButtonFor(std::int32_t mFlags, int current);

struct MessageBoxLayout {
  int frameHeight = 0;   // pixels
  int windowHeight = 0;  // pixels
  int checkTop = 0;      // twips
  int buttonTop = 0;     // twips
};
MessageBoxLayout LayoutMessageBox(int messageHeight, int twipsPerPixelY);

struct InputBoxLayout {
  int fieldTop = 0;  // twips, as are the rest but the two heights
  int buttonTop = 0;
  int okLeft = 0;
  int cancelLeft = 0;
  int checkWidth = 0;
  int frameHeight = 0;   // pixels
  int windowHeight = 0;  // pixels
};
// The buttons are kInputButtonWidth wide, or as wide as their widest caption needs.
InputBoxLayout LayoutInputBox(int messageHeight, int messageWidth, int fieldHeight, int twipsPerPixelY,
                              int buttonWidth = kInputButtonWidth);

struct AutoBoxLayout {
  int frameHeight = 0;   // pixels
  int windowHeight = 0;  // pixels
  int closeLeft = 0;     // twips
};
AutoBoxLayout LayoutAutoBox(int messageHeight, int frameWidthTwips, int closeWidth, int twipsPerPixelY);

}  // namespace zf
