// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The advanced mode's behaviour without its window: eight pages entered with Next, each
// entry setting the record fields of its page to the recommendations, the text boxes read
// only on Finish.
#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "core/TcpSettings.h"
#include "ui/ITuningFollowUp.h"

namespace zf {

struct AppServices;
class IMainWindow;

// The text boxes whose input is checked against bounds on every change.
enum class ValidatedBox { MTU, MSS, TTL, HTTP10, HTTP11, KeepAliveTime, KeepAliveInterval };
inline constexpr int kValidatedBoxCount = 7;
inline constexpr int kWizardPageCount = 8;
inline constexpr std::int16_t kLastWizardPage = 7;
inline constexpr std::int16_t kFinishedPage = 8;  // settings applied
inline constexpr double kMaxRwin = 1073741823.0;

// What the screen's controls show and whether they can be used.
struct NormalModeControls {
  std::array<QString, kValidatedBoxCount> validated{
      QStringLiteral("576"), QStringLiteral("536"),     QStringLiteral("64"),  QStringLiteral("20"),
      QStringLiteral("20"),  QStringLiteral("7200000"), QStringLiteral("1000")};
  QString txtMSSRWINValue;
  QString txtMultiplier;
  QString txtScaleFactor = QStringLiteral("4");
  QString txtRWIN;
  QString txtSYNValue = QStringLiteral("2");
  QString lblMTURecValue;
  QString lblMSSRecVaklue;
  QString lblRWINRecValue;
  QString lblRwinCap;  // what the RWIN box caps one connection at, beside the last connection test
  bool chkBlackHoleValue = false;
  bool chkMTUDisconver = false;  // "Disable it??": ticked turns path-MTU discovery off
  bool chkICMPValue = false;
  int cmbNDI = 0;  // index into NdiItems()
  int optConnType = 0;
  int visiblePage = 0;  // the one frame of frmWizardPages that is shown
  bool cmdPrevPageEnabled = false;
  bool cmdNextPageEnabled = true;
  QString cmdNextPageCaption = QCoreApplication::translate("zf::frmNormalMode", "Next>>");

  const QString& text(ValidatedBox box) const { return validated[static_cast<std::size_t>(box)]; }
};

// The NDI cache sizes the list offers, in order.
const QStringList& NdiItems();

class NormalModeLogic {
 public:
  // boxLocale: how the screen's boxes show numbers, and so how their texts are read.
  NormalModeLogic(AppServices& services, IMainWindow& mainWindow, ITuningFollowUp& followUp,
                  QLocale boxLocale = QLocale())
      : m_services(services), m_mainWindow(mainWindow), m_followUp(followUp), m_locale(std::move(boxLocale)) {}

  // The page to start on: 0 to 7 are the pages, 8 means finished. Set before Form_Load.
  std::int16_t currWizardPage = 0;

  void Form_Load();
  void cmdNextPage_Click();
  void cmdPrevPage_Click();

  void optConnType_Click(int index);
  void chkBlackHoleValue_Click(bool ticked);
  void chkMTUDisconver_Click(bool ticked);
  void chkICMPValue_Click(bool ticked);
  void cmbNDI_Click(int itemIndex);
  // The up-down control moved: its level goes into txtSYNValue and from there into the record.
  void updwnDescision_Change(int level);
  // The _Change handlers of the validated boxes: text that can never be a number snaps back.
  void SetValidatedText(ValidatedBox box, const QString& text);
  // The box lost the keyboard or Return was pressed: no number, or one out of bounds, snaps back.
  void LeaveValidatedBox(ValidatedBox box);
  // txtMultiplier_Change: recomputes the RWIN box.
  void SetMultiplierText(const QString& text);

  const NormalModeControls& controls() const { return m_controls; }

 private:
  TcpSettings& Record();
  void hideAllExcept(int frmNo);
  void EnterPage(int page);
  void EnterMtuPage();
  void EnterRwinPage();
  void Finish();
  void ReadBoxesIntoRecord();
  QString DefaultMultiplierText() const;
  std::optional<double> ReadNumber(const QString& text) const;
  bool InBounds(ValidatedBox box, const QString& text) const;
  std::optional<std::int32_t> RoundedInt32(const QString& text) const;

  AppServices& m_services;
  IMainWindow& m_mainWindow;
  ITuningFollowUp& m_followUp;
  QLocale m_locale;
  NormalModeControls m_controls;
};

}  // namespace zf
