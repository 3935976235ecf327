// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/NormalModeLogic.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "core/AppServices.h"
#include "screens/BoxNumber.h"
#include "screens/ConnectionTestAnswer.h"
#include "screens/TuningRun.h"

namespace zf {
namespace {

constexpr double kMaxLong = std::numeric_limits<std::int32_t>::max();

struct BoxRule {
  double lower;
  double upper;
  std::int32_t TcpSettings::*field;  // the fallback, and where Finish puts the box's value
};

constexpr std::array<BoxRule, kValidatedBoxCount> kBoxRules{{
    {0, kMaxLong, &TcpSettings::MTU},
    {0, kMaxLong, &TcpSettings::MSS},
    {0, 256, &TcpSettings::TTL},
    {4, kMaxLong, &TcpSettings::MaxConnPer10Server},
    {2, kMaxLong, &TcpSettings::MaxConnPerServer},
    {0, kMaxLong, &TcpSettings::KeepAliveTime},
    {0, kMaxLong, &TcpSettings::KeepAliveInterval},
}};

// The recommended sizes as the MTU page labels them; the DSL MSS label has never had its blank.
constexpr std::array<std::array<const char*, 2>, kConnectionTypeCount> kMtuPageLabels{{
    {"576 Byte", "536 Byte"},
    {"1500 Byte", "1460 Byte"},
    {"1492 Byte", "1452Byte"},
    {"1500 Byte", "1460 Byte"},
}};

const BoxRule& Rule(ValidatedBox box) { return kBoxRules[static_cast<std::size_t>(box)]; }

}  // namespace

const QStringList& NdiItems() {
  static const QStringList items{QStringLiteral("0"),  QStringLiteral("2"),  QStringLiteral("4"), QStringLiteral("8"),
                                 QStringLiteral("16"), QStringLiteral("32"), QStringLiteral("64")};
  return items;
}

std::optional<double> NormalModeLogic::ReadNumber(const QString& text) const { return ReadBoxNumber(text, m_locale); }

// A box's number as a 32-bit integer: nearest, a half to the even neighbour.
std::optional<std::int32_t> NormalModeLogic::RoundedInt32(const QString& text) const {
  const std::optional<double> value = ReadNumber(text);
  if (!value) return std::nullopt;
  const double rounded = std::nearbyint(*value);
  if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > kMaxLong) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

TcpSettings& NormalModeLogic::Record() { return m_services.tuning.current; }

void NormalModeLogic::Form_Load() {
  currWizardPage = std::clamp<std::int16_t>(currWizardPage, 0, kLastWizardPage);
  hideAllExcept(currWizardPage);
  m_controls.cmdPrevPageEnabled = currWizardPage > 0;
  m_controls.cmdNextPageEnabled = true;
  cmbNDI_Click(0);
}

void NormalModeLogic::hideAllExcept(int frmNo) { m_controls.visiblePage = frmNo; }

void NormalModeLogic::cmdNextPage_Click() {
  currWizardPage = std::min<std::int16_t>(currWizardPage + 1, kFinishedPage);
  if (currWizardPage == kFinishedPage) {
    Finish();
    return;
  }
  EnterPage(currWizardPage);
  hideAllExcept(currWizardPage);
  m_controls.cmdPrevPageEnabled = true;
}

void NormalModeLogic::cmdPrevPage_Click() {
  currWizardPage = std::max<std::int16_t>(currWizardPage - 1, 0);
  if (currWizardPage == 0) m_controls.cmdPrevPageEnabled = false;
  if (currWizardPage == kLastWizardPage) m_controls.cmdNextPageEnabled = true;
  hideAllExcept(currWizardPage);
  m_controls.cmdNextPageCaption = QCoreApplication::translate("zf::frmNormalMode", "Next>>");
}

// Each entry sets the record fields of its page to the recommendations; the controls that
// change the record at once are reset with them, so the screen shows what Finish applies.
void NormalModeLogic::EnterPage(int page) {
  const TcpSettings recommended = RecommendedSettings(m_controls.optConnType);
  TcpSettings& record = Record();
  switch (page) {
    case 1: EnterMtuPage(); break;
    case 2:
      record.PmtuDiscovery = recommended.PmtuDiscovery;
      record.BlackHoleDetect = recommended.BlackHoleDetect;
      m_controls.chkMTUDisconver = !record.PmtuDiscovery;
      m_controls.chkBlackHoleValue = record.BlackHoleDetect;
      break;
    case 3: EnterRwinPage(); break;
    case 4:
      record.TTL = recommended.TTL;
      record.MaxConnPer10Server = recommended.MaxConnPer10Server;
      record.MaxConnPerServer = recommended.MaxConnPerServer;
      break;
    case 5:
      record.KeepAliveTime = recommended.KeepAliveTime;
      record.KeepAliveInterval = recommended.KeepAliveInterval;
      break;
    case 6:
      updwnDescision_Change(recommended.SYNAttackProtect);
      cmbNDI_Click(static_cast<int>(NdiItems().indexOf(QString::number(recommended.NdiCacheSize))));
      break;
    case 7:
      chkICMPValue_Click(recommended.IcmpRedirects);
      m_controls.cmdNextPageCaption = QCoreApplication::translate("zf::frmNormalMode", "Finish");
      break;
    default: break;
  }
}

void NormalModeLogic::EnterMtuPage() {
  const ConnectionTypeRecommendation& type = ConnectionType(m_controls.optConnType);
  Record().MTU = type.MTU;
  Record().MSS = type.MSS;
  SetValidatedText(ValidatedBox::MTU, QString::number(type.MTU));
  SetValidatedText(ValidatedBox::MSS, QString::number(type.MSS));
  const auto& labels = kMtuPageLabels[static_cast<std::size_t>(m_controls.optConnType)];
  m_controls.lblMTURecValue = QString::fromLatin1(labels[0]);
  m_controls.lblMSSRecVaklue = QString::fromLatin1(labels[1]);
}

// The MSS here is the one entering the MTU page stored, not what the user typed there.
void NormalModeLogic::EnterRwinPage() {
  m_controls.txtMSSRWINValue = QString::number(Record().MSS);
  SetMultiplierText(DefaultMultiplierText());
  if (const std::optional<std::int32_t> rwin = RoundedInt32(m_controls.txtRWIN)) Record().RWIN = *rwin;
  m_controls.lblRWINRecValue = QString::number(Record().RWIN) + QStringLiteral("Bytes");
}

QString NormalModeLogic::DefaultMultiplierText() const {
  return QString::number(ConnectionType(m_controls.optConnType).rwinMultiplier);
}

// A multiplier that is no number, or gives a window below the MSS or above the largest one,
// becomes the connection type's default. The default is not checked again, so a strange MSS
// can never make this repeat itself.
void NormalModeLogic::SetMultiplierText(const QString& text) {
  const double mss = ReadNumber(m_controls.txtMSSRWINValue).value_or(0);
  std::optional<double> multiplier = ReadNumber(text);
  const auto rwinFor = [mss](double factor) { return RecommendedRwin(mss, factor); };
  const bool usable = multiplier && rwinFor(*multiplier) >= mss && rwinFor(*multiplier) <= kMaxRwin && mss <= kMaxRwin;
  m_controls.txtMultiplier = usable ? text : DefaultMultiplierText();
  if (!usable) multiplier = ReadNumber(m_controls.txtMultiplier);
  m_controls.txtRWIN = BoxNumberText(rwinFor(multiplier.value_or(0)), m_locale);
  const std::optional<std::int32_t> rwin = RoundedInt32(m_controls.txtRWIN);
  m_controls.lblRwinCap =
      rwin ? CapLine(QStringLiteral("RWIN %1").arg(*rwin).toStdString(), *rwin, LastMeasurement(m_services.registry))
           : QString();
}

// Text that cannot become a number is replaced by the record field at once. Digits and number
// marks stay while the user types ("1," on the way to "1,500", "1" on the way to "10"): the
// bounds are checked when the box is left. A field that is itself out of bounds (the wizard may
// have put −1 there) is shown as it is rather than checked again.
void NormalModeLogic::SetValidatedText(ValidatedBox box, const QString& text) {
  const bool keep = InBounds(box, text) || IsNumberBeingTyped(text, m_locale);
  m_controls.validated[static_cast<std::size_t>(box)] = keep ? text : QString::number(Record().*Rule(box).field);
}

void NormalModeLogic::LeaveValidatedBox(ValidatedBox box) {
  QString& shown = m_controls.validated[static_cast<std::size_t>(box)];
  if (!InBounds(box, shown)) shown = QString::number(Record().*Rule(box).field);
}

bool NormalModeLogic::InBounds(ValidatedBox box, const QString& text) const {
  const std::optional<double> value = ReadNumber(text);
  return value && *value >= Rule(box).lower && *value <= Rule(box).upper;
}

void NormalModeLogic::optConnType_Click(int index) {
  if (index >= 0 && index < kConnectionTypeCount) m_controls.optConnType = index;
}

void NormalModeLogic::chkBlackHoleValue_Click(bool ticked) {
  m_controls.chkBlackHoleValue = ticked;
  Record().BlackHoleDetect = ticked;
}

void NormalModeLogic::chkMTUDisconver_Click(bool ticked) {
  m_controls.chkMTUDisconver = ticked;
  Record().PmtuDiscovery = !ticked;
}

void NormalModeLogic::chkICMPValue_Click(bool ticked) {
  m_controls.chkICMPValue = ticked;
  Record().IcmpRedirects = ticked;
}

void NormalModeLogic::cmbNDI_Click(int itemIndex) {
  if (itemIndex < 0 || itemIndex >= NdiItems().size()) return;
  m_controls.cmbNDI = itemIndex;
  Record().NdiCacheSize = NdiItems().at(itemIndex).toInt();
}

void NormalModeLogic::updwnDescision_Change(int level) {
  const int clamped = std::clamp(level, 0, 2);
  m_controls.txtSYNValue = QString::number(clamped);
  Record().SYNAttackProtect = static_cast<std::int16_t>(clamped);
}

// Reads the boxes into the record and applies it. When nothing could be applied, the record
// and the page go back to how they were so that Finish can be pressed again.
void NormalModeLogic::Finish() {
  const TcpSettings before = Record();
  ReadBoxesIntoRecord();
  const auto run =
      RunApplySettings(m_services, m_mainWindow,
                       QCoreApplication::translate("zf::frmNormalMode", "The advanced mode's settings were applied."));
  if (!run) {
    Record() = before;
    currWizardPage = kLastWizardPage;
    return;
  }
  m_controls.cmdNextPageEnabled = false;
  FinishTuningRun(m_mainWindow, m_followUp, *run);
}

void NormalModeLogic::ReadBoxesIntoRecord() {
  TcpSettings& record = Record();
  for (std::size_t i = 0; i < kBoxRules.size(); ++i) {
    if (!InBounds(static_cast<ValidatedBox>(i), m_controls.validated[i])) continue;
    if (const std::optional<std::int32_t> value = RoundedInt32(m_controls.validated[i])) {
      record.*kBoxRules[i].field = *value;
    }
  }
  if (const std::optional<std::int32_t> rwin = RoundedInt32(m_controls.txtRWIN)) record.RWIN = *rwin;
}

}  // namespace zf
