// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/WizardModeLogic.h"

#include <QCoreApplication>

#include "core/AppServices.h"
#include "screens/ConnectionTestAnswer.h"
#include "screens/TuningRun.h"

namespace zf {
namespace {

QString Word(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace

QString BuildModeDescription(const TcpSettings& s) {
  const QString tab = QStringLiteral("\t");
  const QString crlf = QStringLiteral("\r\n");
  QString text;
  text += QStringLiteral("MSS = %1").arg(s.MSS) + tab + QStringLiteral("MTU = %1").arg(s.MTU) + tab + tab +
          QStringLiteral("ICMP = ") + Word(s.IcmpRedirects) + crlf + crlf;
  text += QStringLiteral("NDI = %1").arg(s.NdiCacheSize) + tab +
          QStringLiteral("MSCPS0 = %1").arg(s.MaxConnPer10Server) + tab + tab +
          QStringLiteral("MSCPS1 = %1").arg(s.MaxConnPerServer) + crlf + crlf;
  text += QStringLiteral("BlackHole = ") + Word(s.BlackHoleDetect) + tab + QStringLiteral("RWIN = %1").arg(s.RWIN) +
          tab + crlf;
  text += QStringLiteral("Keep Alive = %1").arg(s.KeepAliveTime) + crlf + crlf;
  text += QStringLiteral("Keep Alive Interval= %1").arg(s.KeepAliveInterval) + tab +
          QStringLiteral("SYN = %1").arg(s.SYNAttackProtect) + tab + tab + QStringLiteral("TTL= %1").arg(s.TTL) + crlf +
          crlf;
  return text;
}

void WizardModeLogic::Form_Load() { CopyProfile(0); }

void WizardModeLogic::optMode_Click(int index) {
  if (index == m_selectedMode || index < 0 || index >= kProfileCount) return;
  CopyProfile(index);
}

void WizardModeLogic::CopyProfile(int index) {
  m_selectedMode = index;
  m_services.tuning.current = m_services.tuning.profiles[static_cast<std::size_t>(index)];
  m_description = BuildModeDescription(m_services.tuning.current);
}

bool WizardModeLogic::AdvancedValuesPending() const {
  return m_services.tuning.current != m_services.tuning.profiles[static_cast<std::size_t>(m_selectedMode)];
}

QString WizardModeLogic::capLine() const {
  const std::string_view name =
      AdvancedValuesPending() ? std::string_view("The advanced mode's values") : ProfileCaption(m_selectedMode);
  return CapLine(name, m_services.tuning.current.RWIN, LastMeasurement(m_services.registry));
}

void WizardModeLogic::cmdOptimize_Click() {
  if (const auto run =
          RunApplySettings(m_services, m_mainWindow,
                           QCoreApplication::translate("zf::frmWizardMode", "The wizard's settings were applied.")))
    FinishTuningRun(m_mainWindow, m_followUp, *run);
}

}  // namespace zf
