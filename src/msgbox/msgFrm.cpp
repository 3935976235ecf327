// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox/msgFrm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "msgbox/CloseImage.h"
#include "msgbox/IconStrip.h"
#include "msgbox/MsgFrmLayout.h"

namespace zf {

namespace {

constexpr int kDesignClientHeight = 3375;  // twips; the height is set by each call
constexpr int kMessageWidthMargin = 130;   // twips between the message and the frame's right side
constexpr int kTitleGap = 4;               // pixels kept clear right of the title
constexpr Qt::WindowFlags kModalFlags = Qt::Dialog | Qt::FramelessWindowHint;
constexpr Qt::WindowFlags kTimedFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

int Round(double value) { return static_cast<int>(std::lround(value)); }

QLabel* NewLabel(QWidget* parent, const QString& name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption = {}) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(true);
  return button;
}

QCheckBox* NewCheckbox(QWidget* parent, const QString& name) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(name);
  box->setBackgroundRole(QPalette::Window);  // a button would fill with the button colour
  box->setAutoFillBackground(true);
  box->hide();
  return box;
}

}  // namespace

msgFrm::msgFrm(IWindowSystem& windowSystem, QWidget* parent) : BalloonWindow(windowSystem, parent) {
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowFlags(kModalFlags);
  setFixedSize(Round(TwipsToPixels(kDesignClientWidth, TwipsPerPixelX())),
               Round(TwipsToPixels(kDesignClientHeight, TwipsPerPixelY())));
  BuildControls();
  m_closeTimer.setSingleShot(true);
  // A coarse timer may close the notice up to 5 % late.
  m_closeTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_closeTimer, &QTimer::timeout, this, &msgFrm::Unload);
}

void msgFrm::BuildControls() {
  for (int i = 0; i < 3; ++i) F1[i] = BuildFrame(i);

  Check1 = NewCheckbox(F1[0].frame, QStringLiteral("Check1"));
  for (int i = 0; i < 3; ++i) {
    cmd1[i] = NewButton(F1[0].frame, QStringLiteral("cmd1_%1").arg(i));
    connect(cmd1[i], &QPushButton::clicked, this, [this, i] { OnButton(i); });
  }

  iTxt = new QLineEdit(F1[1].frame);
  iTxt->setObjectName(QStringLiteral("iTxt"));
  Check2 = NewCheckbox(F1[1].frame, QStringLiteral("Check2"));
  iCmd[0] = NewButton(F1[1].frame, QStringLiteral("iCmd_0"), tr("Cancel"));
  iCmd[1] = NewButton(F1[1].frame, QStringLiteral("iCmd_1"), tr("OK"));
  connect(iCmd[0], &QPushButton::clicked, this, &msgFrm::OnInputCancel);
  connect(iCmd[1], &QPushButton::clicked, this, &msgFrm::OnInputOk);

  Command1 = new CloseImage(F1[2].frame);
  Command1->setObjectName(QStringLiteral("Command1"));
  connect(Command1, &CloseImage::clicked, this, &msgFrm::Unload);
}

msgFrm::Frame msgFrm::BuildFrame(int index) {
  Frame f;
  f.frame = new QFrame(this);
  f.frame->setObjectName(QStringLiteral("F1_%1").arg(index));
  f.frame->setAutoFillBackground(true);
  f.frame->hide();
  f.icon = NewLabel(f.frame, QStringLiteral("imgIcon_%1").arg(index));
  f.icon->setFixedSize(kIconCellSize, kIconCellSize);
  f.title = NewLabel(f.frame, QStringLiteral("lblTitle_%1").arg(index));
  QFont bold = f.title->font();
  bold.setBold(true);
  f.title->setFont(bold);
  f.message = NewLabel(f.frame, QStringLiteral("lblMsg_%1").arg(index));
  f.message->setWordWrap(true);
  f.message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceTwips(f.icon, kIconLeft, kIconTop, kIconCellSize * TwipsPerPixelX(), kIconCellSize * TwipsPerPixelY());
  return f;
}

std::int16_t msgFrm::msg_Box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption, bool NoPointer,
                             const QString& CheckboxTxt, const QString& Btn1, const QString& Btn2, const QString& Btn3,
                             std::uint32_t mColor, float X, float Y, std::int16_t Intensity) {
  const int messageHeight = PrepareFrame(Kind::Message, mCaption, mPrompt, mColor, Intensity, kMessageTopMsgBox);
  const MessageBoxLayout layout = LayoutMessageBox(messageHeight, TwipsPerPixelY());
  SetFrameHeight(layout.frameHeight);
  ShowCheckbox(Check1, CheckboxTxt, layout.checkTop, WidthTwips(F1[0].message));
  SetWindowHeight(layout.windowHeight);
  DrawBalloon(NoPointer, X, Y, ClampIntensity(Intensity));
  SetupButtons(mFlags, Btn1, Btn2, Btn3);
  SetDisplayIcon(mFlags, 0);
  SetDefaultButton(mFlags);
  ShowModal();
  if (Check1->isChecked()) m_resultCode = static_cast<std::int16_t>(m_resultCode + kCheckboxBonus);
  return m_resultCode;
}

QString msgFrm::input_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption,
                          const QString& DefaultText, bool NoPointer, const QString& CheckboxTxt, std::uint32_t mColor,
                          float X, float Y, std::int16_t Intensity) {
  const int messageHeight = PrepareFrame(Kind::Input, mCaption, mPrompt, mColor, Intensity, kMessageTopOther);
  const int messageWidth = WidthTwips(F1[1].message);
  const int fieldHeight = iTxt->sizeHint().height() * TwipsPerPixelY();
  // A caption longer than the design's (a translated "Cancel") widens both buttons.
  const int buttonWidth = std::max({kInputButtonWidth, iCmd[0]->sizeHint().width() * TwipsPerPixelX(),
                                    iCmd[1]->sizeHint().width() * TwipsPerPixelX()});
  const InputBoxLayout layout = LayoutInputBox(messageHeight, messageWidth, fieldHeight, TwipsPerPixelY(), buttonWidth);
  PlaceTwips(iTxt, kMessageLeft, layout.fieldTop, messageWidth, fieldHeight);
  PlaceTwips(iCmd[1], layout.okLeft, layout.buttonTop, buttonWidth, kButtonHeight);
  PlaceTwips(iCmd[0], layout.cancelLeft, layout.buttonTop, buttonWidth, kButtonHeight);
  ShowCheckbox(Check2, CheckboxTxt, layout.buttonTop, layout.checkWidth);
  SetFrameHeight(layout.frameHeight);
  SetWindowHeight(layout.windowHeight);
  iTxt->setText(DefaultText);
  iTxt->setAccessibleName(mPrompt);  // the prompt is the field's label
  DrawBalloon(NoPointer, X, Y, ClampIntensity(Intensity));
  SetDisplayIcon(mFlags, 1);
  ShowModal();
  QString text = iTxt->text();
  if (Check2->isChecked()) text += kTickedMark;
  return m_resultCode == -1 ? QString() : text;
}

QString msgFrm::MsgAuto_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption, std::int16_t nTime,
                            bool NoPointer, std::uint32_t mColor, float X, float Y, std::int16_t Intensity) {
  const int messageHeight = PrepareFrame(Kind::Timed, mCaption, mPrompt, mColor, Intensity, kMessageTopOther);
  const AutoBoxLayout layout = LayoutAutoBox(messageHeight, FrameWidthTwips(), WidthTwips(Command1), TwipsPerPixelY());
  SetFrameHeight(layout.frameHeight);
  PlaceTwips(Command1, layout.closeLeft, kIconTop, WidthTwips(Command1), Command1->height() * TwipsPerPixelY());
  SetWindowHeight(layout.windowHeight);
  DrawBalloon(NoPointer, X, Y, ClampIntensity(Intensity));
  SetDisplayIcon(mFlags, 2);
  Command1->Reset(BalloonColour());
  if (windowFlags() != kTimedFlags) setWindowFlags(kTimedFlags);
  setAttribute(Qt::WA_ShowWithoutActivating);
  show();
  raise();
  m_closeTimer.stop();
  const int seconds = ClampTime(nTime);
  if (seconds > 0) m_closeTimer.start(seconds * 1000);
  return {};
}

int msgFrm::PrepareFrame(Kind kind, const QString& mCaption, const QString& mPrompt, std::uint32_t mColor,
                         std::int16_t Intensity, int messageTop) {
  m_kind = kind;
  const int index = static_cast<int>(kind);
  SetBalloonColour(BalloonColor(mColor));
  const int intensity = ClampIntensity(Intensity);
  if (intensity != 0) Tag = QString::number(intensity);
  for (int i = 0; i < 3; ++i) F1[i].frame->setVisible(i == index);

  const Frame& f = F1[index];
  f.title->setText(mCaption);
  f.message->setText(mPrompt);
  // A frameless window has no title for a screen reader to say: it says the balloon's own.
  setAccessibleName(mCaption.isEmpty() ? mPrompt : mCaption);
  setAccessibleDescription(mPrompt);
  f.frame->setPalette(BalloonPalette());
  f.frame->setGeometry(kFrameLeft, kFrameTop, width() - kFrameWidthMargin, f.frame->height());
  const int messageWidth = FrameWidthTwips() - kMessageWidthMargin;
  const int widthPixels = Round(TwipsToPixels(messageWidth, TwipsPerPixelX()));
  const int heightPixels = std::max(f.message->heightForWidth(widthPixels), f.message->fontMetrics().height());
  const int messageHeight = heightPixels * TwipsPerPixelY();
  PlaceTwips(f.message, kMessageLeft, messageTop, messageWidth, messageHeight);
  return messageHeight;
}

QPalette msgFrm::BalloonPalette() const {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, BalloonColour());
  palette.setColor(QPalette::WindowText, Qt::black);  // the balloon is light whatever the desktop's theme
  return palette;
}

void msgFrm::SetFrameHeight(int pixels) {
  QFrame* frame = F1[static_cast<int>(m_kind)].frame;
  frame->resize(frame->width(), pixels);
}

void msgFrm::SetWindowHeight(int pixels) { setFixedSize(width(), pixels); }

void msgFrm::PlaceTwips(QWidget* widget, double left, double top, double width, double height) const {
  widget->setGeometry(Round(TwipsToPixels(left, TwipsPerPixelX())), Round(TwipsToPixels(top, TwipsPerPixelY())),
                      Round(TwipsToPixels(width, TwipsPerPixelX())), Round(TwipsToPixels(height, TwipsPerPixelY())));
}

int msgFrm::WidthTwips(const QWidget* widget) const { return widget->width() * TwipsPerPixelX(); }

int msgFrm::FrameWidthTwips() const { return WidthTwips(F1[static_cast<int>(m_kind)].frame); }

void msgFrm::ShowCheckbox(QCheckBox* box, const QString& CheckboxTxt, int top, int width) {
  box->setChecked(false);
  box->setVisible(!CheckboxTxt.isEmpty());
  if (CheckboxTxt.isEmpty()) return;
  box->setText(CheckboxTxt);
  box->setPalette(BalloonPalette());
  PlaceTwips(box, kMessageLeft, top, width, box->sizeHint().height() * TwipsPerPixelY());
}

void msgFrm::SetupButtons(std::int32_t mFlags, const QString& Btn1, const QString& Btn2, const QString& Btn3) {
  const ButtonSet set = ButtonsFor(mFlags, Btn1, Btn2, Btn3);
  const std::array<double, 3> lefts = ButtonLefts(set.count, FrameWidthTwips());
  const int top = TwipsPerPixelY() * F1[0].frame->height() - kButtonHeight - 100;
  for (int i = 0; i < 3; ++i) {
    m_buttonCodes[i] = set.codes[i];
    cmd1[i]->setText(set.captions[i]);
    cmd1[i]->setVisible(!set.captions[i].isEmpty());
    PlaceTwips(cmd1[i], lefts[i], top, kButtonWidth, kButtonHeight);
  }
}

void msgFrm::SetDisplayIcon(std::int32_t mFlags, int frameIndex) {
  const Frame& f = F1[frameIndex];
  const int cell = IconCellFor(mFlags);
  f.icon->setVisible(cell != 0);
  if (cell != 0) DrawIconCell(f.icon, cell, kIconCellSize, BalloonColour());
  const int left = Round(TwipsToPixels(cell != 0 ? kTitleLeft : kMessageLeft, TwipsPerPixelX()));
  const int right = m_kind == Kind::Timed ? Command1->x() : f.frame->width();
  f.title->setGeometry(left, Round(TwipsToPixels(kTitleTop, TwipsPerPixelY())), std::max(0, right - kTitleGap - left),
                       f.title->sizeHint().height());
}

void msgFrm::SetDefaultButton(std::int32_t mFlags) { m_defaultButton = DefaultButtonFor(mFlags, m_defaultButton); }

void msgFrm::FocusDefaultButton() {
  if (m_kind == Kind::Input) return iTxt->setFocus(Qt::ActiveWindowFocusReason);
  if (m_kind != Kind::Message || m_defaultButton < 1) return;
  // A default beyond the buttons shown takes no focus; the dialog then gives it to the first one.
  QPushButton* button = cmd1[m_defaultButton - 1];
  if (button->isHidden()) return;
  button->setDefault(true);
  button->setFocus(Qt::ActiveWindowFocusReason);
}

void msgFrm::ShowModal() {
  if (windowFlags() != kModalFlags) setWindowFlags(kModalFlags);
  m_resultCode = 0;
  if (m_kind == Kind::Input) {
    iCmd[1]->setDefault(true);
    iTxt->selectAll();
  }
  exec();
}

bool msgFrm::CanDrag() const { return m_kind != Kind::Timed; }

bool msgFrm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FocusDefaultButton();
  return BalloonWindow::event(event);
}

void msgFrm::showEvent(QShowEvent* event) {
  BalloonWindow::showEvent(event);
  FocusDefaultButton();
}

void msgFrm::reject() {
  if (m_kind == Kind::Timed) return Unload();
  if (m_kind == Kind::Input) return iCmd[0]->click();
  for (int i = 0; i < 3; ++i) {
    if (!cmd1[i]->isHidden() && m_buttonCodes[i] == kCancel) return cmd1[i]->click();
  }
}

void msgFrm::closeEvent(QCloseEvent* event) {
  if (m_kind == Kind::Timed) {
    m_closeTimer.stop();
    return event->accept();
  }
  // A modal box ends through its buttons only; closing it counts as Cancel where there is one.
  event->ignore();
  reject();
}

void msgFrm::OnButton(int index) {
  m_resultCode = m_buttonCodes[index];
  hide();
}

void msgFrm::OnInputOk() {
  m_resultCode = 0;
  if (iTxt->text().isEmpty()) return;
  hide();
}

void msgFrm::OnInputCancel() {
  m_resultCode = -1;
  hide();
}

void msgFrm::Unload() {
  m_closeTimer.stop();
  close();
}

}  // namespace zf
