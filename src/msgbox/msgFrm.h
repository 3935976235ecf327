// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own message window in its three kinds: a modal message with up to three buttons,
// a modal one-line prompt, and a self-closing notice that stays on top without waiting.
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>

#include "msgbox/BalloonWindow.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zf {

class CloseImage;

class msgFrm : public BalloonWindow {
  Q_OBJECT

 public:
  explicit msgFrm(IWindowSystem& windowSystem, QWidget* parent = nullptr);

  // The pressed button's code, plus 100 when the check box is ticked.
  std::int16_t msg_Box(const QString& mPrompt, std::int32_t mFlags = 0, const QString& mCaption = {},
                       bool NoPointer = false, const QString& CheckboxTxt = {}, const QString& Btn1 = {},
                       const QString& Btn2 = {}, const QString& Btn3 = {}, std::uint32_t mColor = 0, float X = 0,
                       float Y = 0, std::int16_t Intensity = 0);
  // The field's text ("¬" appended when the check box is ticked); empty after Cancel.
  QString input_box(const QString& mPrompt, std::int32_t mFlags = 0, const QString& mCaption = {},
                    const QString& DefaultText = {}, bool NoPointer = false, const QString& CheckboxTxt = {},
                    std::uint32_t mColor = 0, float X = 0, float Y = 0, std::int16_t Intensity = 0);
  // Shows the notice and returns an empty text at once; it closes after nTime seconds (never for 0)
  // or on its close image. Called again while it shows, it takes the new content and starts anew.
  QString MsgAuto_box(const QString& mPrompt, std::int32_t mFlags = 0, const QString& mCaption = {},
                      std::int16_t nTime = 0, bool NoPointer = false, std::uint32_t mColor = 0, float X = 0,
                      float Y = 0, std::int16_t Intensity = 0);

  const QTimer& CloseTimer() const { return m_closeTimer; }

 public slots:
  // Escape: the Cancel button where there is one; the notice closes.
  void reject() override;

 protected:
  bool CanDrag() const override;
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Kind { Message, Input, Timed };
  struct Frame {
    QFrame* frame = nullptr;
    QLabel* title = nullptr;
    QLabel* message = nullptr;
    QLabel* icon = nullptr;
  };

  void BuildControls();
  Frame BuildFrame(int index);
  // Title, text, colour, tag, and the frame and message width for one kind; returns the message
  // height in twips.
  int PrepareFrame(Kind kind, const QString& mCaption, const QString& mPrompt, std::uint32_t mColor,
                   std::int16_t Intensity, int messageTop);
  QPalette BalloonPalette() const;
  void SetFrameHeight(int pixels);
  void SetWindowHeight(int pixels);
  void PlaceTwips(QWidget* widget, double left, double top, double width, double height) const;
  int WidthTwips(const QWidget* widget) const;
  int FrameWidthTwips() const;
  void ShowCheckbox(QCheckBox* box, const QString& CheckboxTxt, int top, int width);
  void SetupButtons(std::int32_t mFlags, const QString& Btn1, const QString& Btn2, const QString& Btn3);
  void SetDisplayIcon(std::int32_t mFlags, int frameIndex);
  void SetDefaultButton(std::int32_t mFlags);
  void FocusDefaultButton();
  void ShowModal();
  void OnButton(int index);
  void OnInputOk();
  void OnInputCancel();
  void Unload();

  Kind m_kind = Kind::Message;
  std::array<Frame, 3> F1;
  QCheckBox* Check1 = nullptr;
  std::array<QPushButton*, 3> cmd1{};
  QLineEdit* iTxt = nullptr;
  QCheckBox* Check2 = nullptr;
  std::array<QPushButton*, 2> iCmd{};  // 0 "Cancel", 1 "OK"
  CloseImage* Command1 = nullptr;
  QTimer m_closeTimer;

  std::array<std::int16_t, 3> m_buttonCodes{};
  std::int16_t m_resultCode = 0;
  int m_defaultButton = 0;  // 1..3; 0 until the flags pick one
};

}  // namespace zf
