// SPDX-License-Identifier: GPL-3.0-or-later
#include "pinger/PingerScheduler.h"

#include <algorithm>
#include <cctype>

#include "core/RegistrySettings.h"
#include "core/WholeNumber.h"

namespace zf {
namespace {

constexpr int kPingNowEventRounds = 6;
constexpr const char* kMessageTitle = "Zentrofast";

// A stored check-box state; anything but 0 or 1 gives the fallback.
int StoredCheckState(const std::string& text, int fallback) {
  const auto number = ParseWholeNumber(text, WholeNumberForm::Typed);
  return number && (*number == 0 || *number == 1) ? static_cast<int>(*number) : fallback;
}

// A stored yes/no: the words True and False in any letter case, or a number (0 is no).
bool StoredYesNo(std::string text, bool fallback) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  if (text == "true") return true;
  if (text == "false") return false;
  const auto number = ParseWholeNumber(text, WholeNumberForm::Typed);
  return number ? *number != 0 : fallback;
}

int StoredIntervalIndex(const std::string& text) {
  const auto number = ParseWholeNumber(text, WholeNumberForm::Typed);
  return number && *number >= 0 && *number < kPingIntervalCount ? static_cast<int>(*number) : kAutomaticIntervalIndex;
}

const char* YesNoText(bool value) { return value ? "True" : "False"; }

}  // namespace

PingerScheduler::PingerScheduler(AppServices& services, IPingerTimer& timer)
    : m_services(services), m_timer(timer), m_ping(services.icmp, &services.windowSystem) {}

void PingerScheduler::Form_Load() {
  SetPingerModified(false);
  LoadPingerSettings();
  m_timer.SetEnabled(m_controls.chkDoPinging == 1);
}

void PingerScheduler::SetPingerModified(bool flag) {
  m_modified = flag;
  m_controls.cmdSaveEnabled = flag;
}

void PingerScheduler::LoadPingerSettings() {
  RegistrySettings settings(m_services.registry);
  const std::string section = SettingsSection(kSectionNetPinger);
  auto read = [&](const char* name, const std::string& fallback) {
    return settings.GetMachineSetting(section, name, fallback);
  };
  m_controls.chkDoPinging = StoredCheckState(read("chkDoPinging", "0"), 0);
  const bool automatic = StoredYesNo(read("optAuto", "true"), true);
  // Manual Mode is applied second, so it wins when both are stored as chosen.
  const bool manual = StoredYesNo(read("optManual", "false"), false);
  m_controls.optAuto = automatic && !manual;
  m_controls.txtPingHost = read("txtPingHost", kAutomaticPingHost);
  m_controls.cmbPingInterval = StoredIntervalIndex(read("cmbPingInterval", std::to_string(kAutomaticIntervalIndex)));
  m_controls.chkSound = StoredCheckState(read("chkSound", "0"), 0);

  if (m_controls.optAuto) {
    ShowAutomaticMode();
  } else {
    m_controls.txtPingHostEnabled = true;
    m_controls.cmbPingIntervalEnabled = true;
  }
  TakeModeSettings();
  ApplyPingerEnabledState();
  SetPingerModified(false);
}

void PingerScheduler::SavePingerSettings() {
  RegistrySettings settings(m_services.registry);
  const std::string section = SettingsSection(kSectionNetPinger);
  {
    RegistryBatch batch(m_services.registry);  // the six values land together or not at all
    settings.SaveMachineSetting(section, "chkDoPinging", m_controls.chkDoPinging);
    settings.SaveMachineSetting(section, "optAuto", YesNoText(m_controls.optAuto));
    settings.SaveMachineSetting(section, "optManual", YesNoText(m_controls.optManual()));
    settings.SaveMachineSetting(section, "txtPingHost", m_controls.txtPingHost);
    settings.SaveMachineSetting(section, "cmbPingInterval", m_controls.cmbPingInterval);
    settings.SaveMachineSetting(section, "chkSound", m_controls.chkSound);
    batch.commit();
  }
  TakeModeSettings();
  m_timer.SetEnabled(m_controls.chkDoPinging == 1);
}

void PingerScheduler::ShowAutomaticMode() {
  m_controls.txtPingHostEnabled = false;
  m_controls.cmbPingIntervalEnabled = false;
  m_controls.txtPingHost = kAutomaticHostCaption;
  m_controls.cmbPingInterval = 0;
}

void PingerScheduler::ApplyPingerEnabledState() {
  const bool ticked = m_controls.chkDoPinging == 1;
  m_controls.frameConfigurationsEnabled = ticked;
  if (ticked) m_controls.cmdSaveEnabled = true;
}

// The host and period the pings use until the next load or save; the tick count carries on.
void PingerScheduler::TakeModeSettings() {
  const bool automatic = m_controls.optAuto;
  m_pingHost = automatic ? kAutomaticPingHost : m_controls.txtPingHost;
  m_period = (automatic ? kAutomaticIntervalIndex : m_controls.cmbPingInterval) + 1;
}

void PingerScheduler::chkDoPinging_Click(int state) {
  m_controls.chkDoPinging = state;
  ApplyPingerEnabledState();
  SetPingerModified(true);
}

void PingerScheduler::chkSound_Click(int state) {
  m_controls.chkSound = state;
  SetPingerModified(true);
}

void PingerScheduler::cmbPingInterval_Click(int index) {
  m_controls.cmbPingInterval = index;
  SetPingerModified(true);
}

void PingerScheduler::txtPingHost_Change(const std::string& text) {
  m_controls.txtPingHost = text;
  SetPingerModified(true);
}

void PingerScheduler::optAuto_Click() {
  SetPingerModified(true);
  m_controls.optAuto = true;
  ShowAutomaticMode();
}

void PingerScheduler::optManual_Click() {
  SetPingerModified(true);
  m_controls.optAuto = false;
  m_controls.txtPingHost = kSuggestedManualPingHost;
  m_controls.txtPingHostEnabled = true;
  m_controls.cmbPingIntervalEnabled = true;
}

void PingerScheduler::cmdSave_Click() {
  SetPingerModified(false);
  SavePingerSettings();
}

void PingerScheduler::cmdPingNow_Click() {
  m_services.windowSystem.DoEvents(kPingNowEventRounds);
  const bool replied = PingNow();
  if (m_controls.chkSound == 1 && replied) PlayPingSound();
}

void PingerScheduler::tmrPinger_Timer() {
  if (m_tickCount < m_period - 1) {
    ++m_tickCount;
    return;
  }
  m_tickCount = 0;
  PingNow();
  if (m_controls.chkSound == 1) PlayPingSound();
}

bool PingerScheduler::PingNow() {
  const auto sentAt = m_services.clock.Now();
  const bool replied = m_ping.PingHost(m_pingHost, kPingerTimeoutMs);
  const PingOutcome& outcome = m_ping.LastPing();
  RecordEcho(sentAt, replied, outcome);
  const bool notPermitted =
      outcome.step == PingOutcome::Step::Echoed && outcome.reply.Status == IcmpStatus::NotPermitted;
  if (notPermitted && !m_toldNotPermitted) {
    m_toldNotPermitted = true;  // before the box: its event loop may run another ping
    m_services.messageBox.Show(EchoNotPermittedMessage(), kMessageTitle, MsgIcon::Exclamation, MsgButtons::Ok);
  }
  return replied;
}

void PingerScheduler::RecordEcho(std::chrono::system_clock::time_point sentAt, bool replied,
                                 const PingOutcome& outcome) {
  // A blank host, or a system that lets no echo out, sends nothing: that says nothing of the connection.
  if (m_services.connectionHistory == nullptr || outcome.step == PingOutcome::Step::BlankHost) return;
  if (outcome.step == PingOutcome::Step::Echoed && outcome.reply.Status == IcmpStatus::NotPermitted) return;
  EchoRecord echo;
  echo.timeMs = std::chrono::duration_cast<std::chrono::milliseconds>(sentAt.time_since_epoch()).count();
  echo.host = m_pingHost;
  if (outcome.step == PingOutcome::Step::NameNotFound) {
    echo.status = kEchoHostNotFound;
  } else {
    echo.status = static_cast<std::uint32_t>(outcome.reply.Status);
    if (replied) echo.roundTripMs = outcome.reply.RoundTripTime;
  }
  m_services.connectionHistory->RecordEcho(echo);
}

void PingerScheduler::PlayPingSound() {
  m_services.sound.PlayAsync((m_services.config.programFolder / kPingSoundFile).string());
}

}  // namespace zf
