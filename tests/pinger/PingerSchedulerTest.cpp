// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/RegistrySettings.h"
#include "pinger/PingerScheduler.h"
#include "support/TestServices.h"

namespace zf {
namespace {

const std::string kSection = "HKLM\\" + SettingsSection(kSectionNetPinger);
constexpr IPv4Address kAutomaticAddress{192, 0, 2, 1};
constexpr IPv4Address kManualAddress{192, 0, 2, 2};
constexpr IPv4Address kOtherAddress{192, 0, 2, 3};

class FakePingerTimer : public IPingerTimer {
 public:
  void SetEnabled(bool on) override { enabled = on; }
  bool enabled = false;
};

class PingerSchedulerTest : public ::testing::Test {
 protected:
  PingerSchedulerTest() {
    t.icmp.hosts[kAutomaticPingHost] = {kAutomaticAddress};
    t.icmp.hosts[kSuggestedManualPingHost] = {kManualAddress};
    t.icmp.hosts["other.example"] = {kOtherAddress};
  }

  void Store(const std::string& name, const std::string& text) { t.registry.PutText(kSection, name, text); }
  void StoreManual(const std::string& host, int intervalIndex) {
    Store("chkDoPinging", "1");
    Store("optAuto", "False");
    Store("optManual", "True");
    Store("txtPingHost", host);
    Store("cmbPingInterval", std::to_string(intervalIndex));
  }
  // Timer ticks as the running timer delivers them: none while it is off.
  void Tick(int count) {
    for (int i = 0; i < count; ++i)
      if (timer.enabled) scheduler.tmrPinger_Timer();
  }
  std::size_t Pings() const { return t.icmp.echoes.size(); }

  test::TestServices t;
  FakePingerTimer timer;
  PingerScheduler scheduler{t.services, timer};
};

TEST_F(PingerSchedulerTest, FirstStartShowsAutomaticModeWithThePingerOff) {
  scheduler.Form_Load();
  const NetPingerControls& c = scheduler.Controls();
  EXPECT_EQ(c.chkDoPinging, 0);
  EXPECT_FALSE(c.frameConfigurationsEnabled);
  EXPECT_TRUE(c.optAuto);
  EXPECT_EQ(c.txtPingHost, "Automatic");
  EXPECT_FALSE(c.txtPingHostEnabled);
  EXPECT_EQ(c.cmbPingInterval, 0);
  EXPECT_FALSE(c.cmbPingIntervalEnabled);
  EXPECT_EQ(c.chkSound, 0);
  EXPECT_FALSE(c.cmdSaveEnabled);
  EXPECT_FALSE(timer.enabled);
  EXPECT_EQ(scheduler.PingHostText(), kAutomaticPingHost);
  EXPECT_EQ(scheduler.Period(), 6);
  EXPECT_TRUE(t.registry.Changes().empty()) << "loading must not write";
}

TEST_F(PingerSchedulerTest, AutomaticModePingsTheAutomaticHostEverySixTicks) {
  Store("chkDoPinging", "1");
  scheduler.Form_Load();
  ASSERT_TRUE(timer.enabled);
  EXPECT_TRUE(scheduler.Controls().frameConfigurationsEnabled);
  EXPECT_FALSE(scheduler.Controls().cmdSaveEnabled);
  Tick(5);
  EXPECT_EQ(Pings(), 0u);
  Tick(1);
  ASSERT_EQ(Pings(), 1u);
  EXPECT_EQ(t.icmp.echoes[0].address, kAutomaticAddress);
  EXPECT_EQ(t.icmp.echoes[0].timeoutMs, 10000u);
  Tick(6);
  EXPECT_EQ(Pings(), 2u);

  scheduler.cmdSave_Click();  // the list shows index 0 in Automatic Mode; the period stays 6
  EXPECT_EQ(scheduler.Period(), 6);
  Tick(5);
  EXPECT_EQ(Pings(), 2u);
  Tick(1);
  EXPECT_EQ(Pings(), 3u);
}

TEST_F(PingerSchedulerTest, ManualOneMinutePingsAtEveryTick) {
  StoreManual("other.example", 0);
  scheduler.Form_Load();
  EXPECT_EQ(scheduler.Controls().txtPingHost, "other.example");
  EXPECT_TRUE(scheduler.Controls().txtPingHostEnabled);
  Tick(3);
  ASSERT_EQ(Pings(), 3u);
  EXPECT_EQ(t.icmp.echoes[2].address, kOtherAddress);
}

TEST_F(PingerSchedulerTest, SavingAShorterIntervalKeepsTheTickCount) {
  StoreManual("other.example", 9);  // 10 min.
  scheduler.Form_Load();
  Tick(5);
  EXPECT_EQ(Pings(), 0u);
  scheduler.cmbPingInterval_Click(1);  // 2 min.
  scheduler.cmdSave_Click();
  EXPECT_EQ(scheduler.TickCount(), 5);
  Tick(1);
  EXPECT_EQ(Pings(), 1u) << "tick count 5 is not below period 2 - 1";
  Tick(1);
  EXPECT_EQ(Pings(), 1u);
  Tick(1);
  EXPECT_EQ(Pings(), 2u);
}

TEST_F(PingerSchedulerTest, UnsavedEditsLeaveTheRunningPingerAsItWas) {
  StoreManual("other.example", 0);
  scheduler.Form_Load();
  scheduler.chkDoPinging_Click(0);
  scheduler.txtPingHost_Change("elsewhere.example");
  EXPECT_TRUE(scheduler.Modified());
  EXPECT_TRUE(scheduler.Controls().cmdSaveEnabled);
  EXPECT_FALSE(scheduler.Controls().frameConfigurationsEnabled);
  EXPECT_TRUE(timer.enabled);
  Tick(2);
  ASSERT_EQ(Pings(), 2u);
  EXPECT_EQ(t.icmp.echoes[1].address, kOtherAddress);

  scheduler.cmdSave_Click();
  EXPECT_FALSE(timer.enabled);
  EXPECT_FALSE(scheduler.Controls().cmdSaveEnabled);
}

TEST_F(PingerSchedulerTest, PingNowPlaysTheSoundOnlyForAGoodReply) {
  Store("chkSound", "1");
  scheduler.Form_Load();
  const std::string sound = (t.folder / "Ping.wav").string();
  scheduler.cmdPingNow_Click();
  EXPECT_EQ(t.sound.played, std::vector<std::string>{sound});
  EXPECT_GE(t.windowSystem.eventRounds, 6);

  t.icmp.status = IcmpStatus::TimedOut;
  scheduler.cmdPingNow_Click();
  EXPECT_EQ(t.sound.played.size(), 1u);
  EXPECT_EQ(Pings(), 2u);
}

TEST_F(PingerSchedulerTest, TimerPingPlaysTheSoundWhateverTheResult) {
  StoreManual("other.example", 0);
  Store("chkSound", "1");
  t.icmp.status = IcmpStatus::TimedOut;
  scheduler.Form_Load();
  Tick(2);
  EXPECT_EQ(t.sound.played.size(), 2u);

  scheduler.chkSound_Click(0);  // the box counts as it is, saved or not
  Tick(1);
  EXPECT_EQ(t.sound.played.size(), 2u);
  EXPECT_EQ(Pings(), 3u);
}

TEST_F(PingerSchedulerTest, PingNowUsesTheHostOfTheLastLoadOrSave) {
  StoreManual("other.example", 0);
  scheduler.Form_Load();
  scheduler.optManual_Click();
  EXPECT_EQ(scheduler.Controls().txtPingHost, kSuggestedManualPingHost);
  scheduler.cmdPingNow_Click();
  EXPECT_EQ(t.icmp.echoes.back().address, kOtherAddress);
  scheduler.cmdSave_Click();
  scheduler.cmdPingNow_Click();
  EXPECT_EQ(t.icmp.echoes.back().address, kManualAddress);
}

TEST_F(PingerSchedulerTest, SaveWritesTheSixValuesInOrderAndInTheirStoredForms) {
  scheduler.Form_Load();
  scheduler.chkDoPinging_Click(1);
  scheduler.optManual_Click();
  scheduler.cmbPingInterval_Click(3);
  scheduler.chkSound_Click(1);
  t.registry.ClearChanges();
  scheduler.cmdSave_Click();

  std::vector<std::pair<std::string, std::string>> written;
  for (const auto& change : t.registry.Changes()) {
    if (change.kind != test::RegistryChange::Kind::SetValue) continue;
    EXPECT_EQ(change.type, REG_SZ);
    written.emplace_back(change.name, std::string(change.data.begin(), change.data.end() - 1));
  }
  const std::vector<std::pair<std::string, std::string>> expected{
      {"chkDoPinging", "1"},    {"optAuto", "False"}, {"optManual", "True"}, {"txtPingHost", kSuggestedManualPingHost},
      {"cmbPingInterval", "3"}, {"chkSound", "1"}};
  EXPECT_EQ(written, expected);
  EXPECT_TRUE(timer.enabled);
  EXPECT_EQ(scheduler.Period(), 4);
  EXPECT_EQ(scheduler.PingHostText(), kSuggestedManualPingHost);
}

TEST_F(PingerSchedulerTest, SaveInAutomaticModeStoresTheCaptionAndReloadsTheSame) {
  scheduler.Form_Load();
  scheduler.chkDoPinging_Click(1);
  scheduler.cmdSave_Click();
  EXPECT_EQ(t.registry.GetText(kSection, "txtPingHost"), "Automatic");
  EXPECT_EQ(t.registry.GetText(kSection, "optAuto"), "True");
  EXPECT_EQ(t.registry.GetText(kSection, "optManual"), "False");

  FakePingerTimer otherTimer;
  PingerScheduler reloaded(t.services, otherTimer);
  reloaded.Form_Load();
  EXPECT_TRUE(reloaded.Controls().optAuto);
  EXPECT_TRUE(otherTimer.enabled);
  EXPECT_EQ(reloaded.PingHostText(), kAutomaticPingHost);
}

TEST_F(PingerSchedulerTest, ModeClicksSetTheHostBoxAndTheList) {
  StoreManual("other.example", 7);
  scheduler.Form_Load();
  scheduler.optAuto_Click();
  const NetPingerControls& c = scheduler.Controls();
  EXPECT_EQ(c.txtPingHost, "Automatic");
  EXPECT_EQ(c.cmbPingInterval, 0);
  EXPECT_FALSE(c.txtPingHostEnabled || c.cmbPingIntervalEnabled);
  EXPECT_TRUE(c.cmdSaveEnabled);
  scheduler.cmbPingInterval_Click(7);
  scheduler.optManual_Click();
  EXPECT_EQ(c.txtPingHost, kSuggestedManualPingHost);
  EXPECT_EQ(c.cmbPingInterval, 7) << "Manual Mode leaves the list index";
  EXPECT_TRUE(c.txtPingHostEnabled && c.cmbPingIntervalEnabled);
}

TEST_F(PingerSchedulerTest, ModeValuesReadWithoutRegardToCaseAndManualWinsATie) {
  StoreManual("other.example", 2);
  Store("optAuto", "FALSE");
  Store("optManual", "tRUE");
  scheduler.Form_Load();
  EXPECT_TRUE(scheduler.Controls().optManual());
  EXPECT_EQ(scheduler.Period(), 3);

  Store("optAuto", "True");
  scheduler.LoadPingerSettings();
  EXPECT_TRUE(scheduler.Controls().optManual());
  EXPECT_EQ(scheduler.PingHostText(), "other.example");
}

TEST_F(PingerSchedulerTest, StoredValuesThatDoNotConvertFallBackToTheDefaults) {
  Store("chkDoPinging", "yes");
  Store("optAuto", "False");
  Store("optManual", "maybe");  // default false: neither mode chosen reads as Manual Mode
  Store("txtPingHost", "other.example");
  Store("cmbPingInterval", "60");
  Store("chkSound", "2");
  scheduler.Form_Load();
  const NetPingerControls& c = scheduler.Controls();
  EXPECT_EQ(c.chkDoPinging, 0);
  EXPECT_FALSE(timer.enabled);
  EXPECT_TRUE(c.optManual());
  EXPECT_EQ(c.cmbPingInterval, 5);
  EXPECT_EQ(c.chkSound, 0);

  for (const char* index : {"-1", "abc", "", "5.5"}) {
    Store("cmbPingInterval", index);
    scheduler.LoadPingerSettings();
    EXPECT_EQ(scheduler.Controls().cmbPingInterval, 5) << '"' << index << '"';
  }
  Store("cmbPingInterval", "59");
  scheduler.LoadPingerSettings();
  EXPECT_EQ(scheduler.Period(), 60);
}

TEST_F(PingerSchedulerTest, NoPermissionToSendIsToldOnceInAPlainMessageBox) {
  StoreManual("other.example", 0);
  t.icmp.status = IcmpStatus::NotPermitted;
  scheduler.Form_Load();
  Tick(3);
  scheduler.cmdPingNow_Click();
  EXPECT_EQ(Pings(), 4u);
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  const auto& box = t.messageBox.shown[0];
  EXPECT_EQ(box.title, "Zentrofast");
  EXPECT_EQ(box.icon, MsgIcon::Exclamation);
  EXPECT_EQ(box.buttons, MsgButtons::Ok);
  EXPECT_NE(box.text.find("net.ipv4.ping_group_range"), std::string::npos);
  EXPECT_EQ(box.text.find("setcap"), std::string::npos) << box.text;

  t.icmp.status = IcmpStatus::TimedOut;
  Tick(1);
  EXPECT_EQ(t.messageBox.shown.size(), 1u) << "other failures stay silent";
}

// Each echo sent, from the timer or from Ping Now, goes to the history with its time and outcome;
// what never left the machine does not.
TEST_F(PingerSchedulerTest, EachEchoSentGoesToTheHistory) {
  struct Keeper : IConnectionHistory {
    void RecordEcho(const EchoRecord& echo) override { kept.push_back(echo); }
    std::vector<EchoRecord> kept;
  };
  struct Case {
    const char* name;
    std::string host;
    IcmpStatus status;
    std::optional<EchoRecord> expected;  // its time is the clock's at the ping
  };
  const Case cases[] = {
      {"a reply", "other.example", IcmpStatus::Success, EchoRecord{0, "other.example", 0u, 0}},
      {"a time-out", "other.example", IcmpStatus::TimedOut, EchoRecord{0, "other.example", std::nullopt, 11010}},
      {"an unknown name", "nowhere.example", IcmpStatus::Success,
       EchoRecord{0, "nowhere.example", std::nullopt, kEchoHostNotFound}},
      {"no echo allowed", "other.example", IcmpStatus::NotPermitted, std::nullopt},
      {"a blank host", " ", IcmpStatus::Success, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TestServices services;
    services.icmp.hosts["other.example"] = {kOtherAddress};
    services.icmp.status = c.status;
    Keeper keeper;
    services.services.connectionHistory = &keeper;
    FakePingerTimer pingerTimer;
    PingerScheduler pinger(services.services, pingerTimer);
    services.registry.PutText(kSection, "chkDoPinging", "1");
    services.registry.PutText(kSection, "optAuto", "False");
    services.registry.PutText(kSection, "optManual", "True");
    services.registry.PutText(kSection, "txtPingHost", c.host);
    services.registry.PutText(kSection, "cmbPingInterval", "0");
    pinger.Form_Load();
    pinger.tmrPinger_Timer();
    pinger.cmdPingNow_Click();
    std::vector<EchoRecord> expected;
    if (c.expected) {
      EchoRecord echo = *c.expected;
      echo.timeMs =
          std::chrono::duration_cast<std::chrono::milliseconds>(services.clock.now.time_since_epoch()).count();
      expected = {echo, echo};
    }
    EXPECT_EQ(keeper.kept, expected);
  }
}

}  // namespace
}  // namespace zf
