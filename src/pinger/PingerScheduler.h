// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keep-alive pinger behind frmNetPingerSettings: the state of the screen's controls, the
// stored settings and the timer-driven pings. The form mirrors Controls() and forwards its events.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/AppServices.h"
#include "core/Translatable.h"
#include "pinger/mdlPing.h"

namespace zf {

// The two built-in public hosts, kept here only.
inline constexpr const char* kAutomaticPingHost = "one.one.one.one";
inline constexpr const char* kSuggestedManualPingHost = "dns.google";

inline constexpr int kPingerTickMs = 65535;
inline constexpr std::uint32_t kPingerTimeoutMs = 10000;
inline constexpr int kPingIntervalCount = 60;
inline constexpr int kAutomaticIntervalIndex = 5;
inline constexpr const char* kPingSoundFile = "Ping.wav";
inline constexpr const char* kAutomaticHostCaption = "Automatic";

// The texts of the interval list: "1 min." to "60 min.".
inline constexpr char kPingIntervalFormat[] = ZF_TRANSLATABLE("zf::frmNetPingerSettings", "%1 min.");

// The pinger's periodic timer (kPingerTickMs per tick); only its running state is the logic's.
class IPingerTimer {
 public:
  virtual ~IPingerTimer() = default;
  virtual void SetEnabled(bool enabled) = 0;
};

struct NetPingerControls {
  int chkDoPinging = 0;  // check states: 0 unticked, 1 ticked
  bool optAuto = true;   // optManual is its opposite
  std::string txtPingHost;
  bool txtPingHostEnabled = false;
  int cmbPingInterval = 0;
  bool cmbPingIntervalEnabled = false;
  int chkSound = 0;
  bool frameConfigurationsEnabled = false;
  bool cmdSaveEnabled = false;

  bool optManual() const { return !optAuto; }
};

class PingerScheduler {
 public:
  PingerScheduler(AppServices& services, IPingerTimer& timer);

  // Events of the screen.
  void Form_Load();
  void chkDoPinging_Click(int state);
  void chkSound_Click(int state);
  void cmbPingInterval_Click(int index);
  void txtPingHost_Change(const std::string& text);
  void optAuto_Click();
  void optManual_Click();
  void cmdPingNow_Click();
  void cmdSave_Click();
  void tmrPinger_Timer();

  void SetPingerModified(bool flag);
  void LoadPingerSettings();
  void SavePingerSettings();

  const NetPingerControls& Controls() const { return m_controls; }
  const std::string& PingHostText() const { return m_pingHost; }
  int Period() const { return m_period; }
  int TickCount() const { return m_tickCount; }
  bool Modified() const { return m_modified; }

 private:
  void ShowAutomaticMode();
  void ApplyPingerEnabledState();
  void TakeModeSettings();
  // PingHost, plus the one-time notice when this system allows no echo requests at all.
  bool PingNow();
  // Hands the echo to the connection's history, when one is kept.
  void RecordEcho(std::chrono::system_clock::time_point sentAt, bool replied, const PingOutcome& outcome);
  void PlayPingSound();

  AppServices& m_services;
  IPingerTimer& m_timer;
  mdlPing m_ping;
  NetPingerControls m_controls;
  std::string m_pingHost;
  int m_period = kAutomaticIntervalIndex + 1;
  int m_tickCount = 0;
  bool m_modified = false;
  bool m_toldNotPermitted = false;
};

}  // namespace zf
