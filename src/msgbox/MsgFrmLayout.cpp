// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox/MsgFrmLayout.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace zf {

namespace {

constexpr int kButtonSetMask = 7;
constexpr int kIconMask = 0x70;
constexpr int kDefaultButtonMask = 0x300;
constexpr int kKeepDefaultButton = 768;
constexpr int kCustomButtonSet = 6;
constexpr std::uint32_t kDefaultBalloonColor = 0xCCFFFF;  // red 255, green 255, blue 204

int ToPixels(int twips, int twipsPerPixel) {
  return static_cast<int>(std::lround(TwipsToPixels(twips, twipsPerPixel)));
}

ButtonSet Standard(std::initializer_list<std::pair<const char*, ButtonCode>> buttons) {
  ButtonSet set;
  for (const auto& [caption, code] : buttons) {
    set.captions[set.count] = QCoreApplication::translate("zf::msgFrm", caption);
    set.codes[set.count] = code;
    ++set.count;
  }
  return set;
}

ButtonSet Custom(const QString& Btn1, const QString& Btn2, const QString& Btn3) {
  ButtonSet set;
  const std::array<const QString*, 3> given{&Btn1, &Btn2, &Btn3};
  for (int i = 0; i < 3; ++i) {
    if (given[i]->isEmpty()) continue;
    set.captions[i] = *given[i];
    set.codes[i] = static_cast<std::int16_t>(i + 1);
    set.count = i + 1;
  }
  // Without any caption the modal box could never be closed.
  return set.count == 0 ? Standard({{QT_TRANSLATE_NOOP("zf::msgFrm", "OK"), kOk}}) : set;
}

}  // namespace

int TwipsPerPixel(double logicalDpi) {
  return logicalDpi > 0 ? std::max(1, static_cast<int>(std::lround(1440.0 / logicalDpi))) : 15;
}

double TwipsToPixels(double twips, int twipsPerPixel) { return twips / twipsPerPixel; }

int ClampTime(int nTime) { return std::clamp(nTime, 0, kMaxTime); }
int ClampIntensity(int Intensity) { return std::clamp(Intensity, 0, kMaxIntensity); }

QColor BalloonColor(std::uint32_t mColor) {
  const std::uint32_t c = mColor == 0 ? kDefaultBalloonColor : mColor;
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

ButtonSet ButtonsFor(std::int32_t mFlags, const QString& Btn1, const QString& Btn2, const QString& Btn3) {
  switch (mFlags & kButtonSetMask) {
    case 1:
      return Standard(
          {{QT_TRANSLATE_NOOP("zf::msgFrm", "OK"), kOk}, {QT_TRANSLATE_NOOP("zf::msgFrm", "Cancel"), kCancel}});
    case 2:
      return Standard({{QT_TRANSLATE_NOOP("zf::msgFrm", "Abort"), kAbort},
                       {QT_TRANSLATE_NOOP("zf::msgFrm", "Retry"), kRetry},
                       {QT_TRANSLATE_NOOP("zf::msgFrm", "Ignore"), kIgnore}});
    case 3:
      return Standard({{QT_TRANSLATE_NOOP("zf::msgFrm", "Yes"), kYes},
                       {QT_TRANSLATE_NOOP("zf::msgFrm", "No"), kNo},
                       {QT_TRANSLATE_NOOP("zf::msgFrm", "Cancel"), kCancel}});
    case 4:
      return Standard({{QT_TRANSLATE_NOOP("zf::msgFrm", "Yes"), kYes}, {QT_TRANSLATE_NOOP("zf::msgFrm", "No"), kNo}});
    case 5:
      return Standard(
          {{QT_TRANSLATE_NOOP("zf::msgFrm", "Retry"), kRetry}, {QT_TRANSLATE_NOOP("zf::msgFrm", "Cancel"), kCancel}});
    case kCustomButtonSet: return Custom(Btn1, Btn2, Btn3);
    default:  // 0 and 7
      return Standard({{QT_TRANSLATE_NOOP("zf::msgFrm", "OK"), kOk}});
  }
}

std::array<double, 3> ButtonLefts(int count, double F, double w) {
  std::array<double, 3> lefts{};
  switch (count) {
    case 1: lefts[0] = (F - w) / 2; break;
    case 2:
      lefts[0] = F / 3 - w / 2;
      lefts[1] = F - lefts[0] - w;
      break;
    case 3:
      lefts[0] = (kSecondButtonDesignLeft - w) / 2;
      lefts[1] = (F - w) / 2;
      lefts[2] = F - w - lefts[0];
      break;
    default: break;
  }
  return lefts;
}

int IconCellFor(std::int32_t mFlags) {
  switch (mFlags & kIconMask) {
    case 16: return 1;
    case 32: return 4;
    case 48: return 2;
    case 64: return 3;
    case 80: return 5;
    case 96: return 6;
    case 112: return 7;
    default: return 0;
  }
}

int DefaultButtonFor(std::int32_t mFlags, int current) {
  const int field = mFlags & kDefaultButtonMask;
  return field == kKeepDefaultButton ? current : field / 256 + 1;
}

MessageBoxLayout LayoutMessageBox(int messageHeight, int twipsPerPixelY) {
  MessageBoxLayout layout;
  const int messageBottom = kMessageTopMsgBox + messageHeight;
  layout.frameHeight = ToPixels(messageBottom + 900, twipsPerPixelY);
  layout.windowHeight = layout.frameHeight + 65;
  layout.checkTop = messageBottom + 70;
  layout.buttonTop = twipsPerPixelY * layout.frameHeight - kButtonHeight - 100;
  return layout;
}

InputBoxLayout LayoutInputBox(int messageHeight, int messageWidth, int fieldHeight, int twipsPerPixelY,
                              int buttonWidth) {
  InputBoxLayout layout;
  layout.fieldTop = kMessageTopOther + messageHeight + 300;
  layout.buttonTop = layout.fieldTop + fieldHeight + 70;
  layout.okLeft = kMessageLeft + messageWidth - buttonWidth;
  layout.cancelLeft = layout.okLeft - buttonWidth - 70;
  layout.checkWidth = layout.cancelLeft - kMessageLeft - 10;
  layout.frameHeight = ToPixels(layout.buttonTop + kButtonHeight + 115, twipsPerPixelY);
  layout.windowHeight = layout.frameHeight + 65;
  return layout;
}

AutoBoxLayout LayoutAutoBox(int messageHeight, int frameWidthTwips, int closeWidth, int twipsPerPixelY) {
  AutoBoxLayout layout;
  layout.frameHeight = ToPixels(kMessageTopOther + messageHeight + 300, twipsPerPixelY);
  layout.windowHeight = kFrameTop + layout.frameHeight + 40;
  layout.closeLeft = frameWidthTwips - closeWidth - 50;
  return layout;
}

}  // namespace zf
