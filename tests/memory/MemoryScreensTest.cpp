// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "memory/Histogram.h"
#include "memory/clsCPUUsage.h"
#include "memory/clsCPUUsageNT.h"
#include "memory/frmRamConfiguration.h"
#include "memory/frmSystemStatus.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

using test::FakeSystemInfo;
constexpr std::int64_t kMB = FakeSystemInfo::kMB;
const std::string kRamSection = "HKLM\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\RamSettings";

// Both memory screens, sharing one memory monitor, behind a main window stand-in that loads
// them on demand: the background first, then the widgets.
struct Host {
  explicit Host(OSVersionRecord version = kDefaultOSVersion) : t(version) {
    main.factory = [this](ScreenId id) -> std::unique_ptr<ChildScreen> {
      if (id == ScreenId::SystemStatus) return std::make_unique<frmSystemStatus>(t.services, main, LoadedMonitor());
      if (id == ScreenId::RamConfiguration)
        return std::make_unique<frmRamConfiguration>(t.services, main, LoadedBooster());
      return nullptr;
    };
  }
  frmSystemStatus& Status() { return *qobject_cast<frmSystemStatus*>(main.Screen(ScreenId::SystemStatus)); }
  frmRamConfiguration& Booster() {
    return *qobject_cast<frmRamConfiguration*>(main.Screen(ScreenId::RamConfiguration));
  }
  StatusMonitor& LoadedMonitor() {
    if (!monitorLoaded) monitor.Load();
    monitorLoaded = true;
    return monitor;
  }
  RamBooster& LoadedBooster() {
    if (!boosterLoaded) booster.Load();
    boosterLoaded = true;
    return booster;
  }

  test::TestServices t;
  test::FakeMainWindow main;
  MemoryMonitor memory{t.services};  // outlives the screens that hold it
  StatusMonitor monitor{t.services, main, memory};
  RamBooster booster{t.services, memory};
  bool monitorLoaded = false;
  bool boosterLoaded = false;
};

template <typename T>
T* Child(QObject& screen, const char* name) {
  T* child = screen.findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("no control %s", name);
  return child;
}

void Tick(QObject& screen, const char* timerName) {
  QVERIFY(QMetaObject::invokeMethod(Child<QTimer>(screen, timerName), "timeout"));
}

void Type(QLineEdit* field, const QString& text) {
  field->clear();
  QTest::keyClicks(field, text);
}

}  // namespace

class MemoryScreensTest : public QObject {
  Q_OBJECT

 private slots:
  void statusLoadSetsTheFreeingSliderFromTotalMemory() {
    Host host;
    host.t.systemInfo.SetPhysicalMB(512, 128);
    frmSystemStatus& status = host.Status();
    auto* slider = Child<QSlider>(status, "sldFreeMomoryReq");
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 512);
    QCOMPARE(slider->value(), 0);
    QCOMPARE(slider->toolTip(), QStringLiteral("0 MB to free when Optimize is clicked"));
    QCOMPARE(Child<QLabel>(status, "lblTargetMemoryNeeded")->text(), QStringLiteral("Target Level Of RAM 0MB."));
    slider->setValue(300);
    QCOMPARE(slider->toolTip(), QStringLiteral("300 MB to free when Optimize is clicked"));
    QCOMPARE(Child<QLabel>(status, "lblTargetMemoryNeeded")->text(), QStringLiteral("Target Level Of RAM 300MB."));
    QVERIFY(dynamic_cast<clsCPUUsageNT*>(&host.memory.QueryObject()) != nullptr);
    QCOMPARE(host.main.skinned.front().second, QStringLiteral("controlForm"));
    QCOMPARE(host.main.allControlsApplied.front(), static_cast<QWidget*>(&status));
    for (const char* timer : {"tmrCPU", "tmrMemory"}) {
      QVERIFY(Child<QTimer>(host.monitor, timer)->isActive());
      QCOMPARE(Child<QTimer>(host.monitor, timer)->interval(), 300);
    }
  }

  void statusSliderReachesBeyondSixteenBits() {
    Host host;
    host.t.systemInfo.SetPhysicalMB(65536, 60000);
    QCOMPARE(Child<QSlider>(host.Status(), "sldFreeMomoryReq")->maximum(), 65536);
  }

  void memorySampleFeedsGraphCaptionAndTrayTip() {
    Host host;
    host.t.systemInfo.SetPhysicalMB(512, 128);
    frmSystemStatus& status = host.Status();
    Tick(host.monitor, "tmrMemory");
    QCOMPARE(Child<Histogram>(status, "histMemory")->property("currentValue").toDouble(), 25.0);
    QCOMPARE(Child<QGroupBox>(status, "fameMemoryUsage")->title(), QStringLiteral("Memory Usage (25%)."));
    QCOMPARE(host.main.trayTips.last(), QStringLiteral("Memory Usage (128MB)."));
    Child<QRadioButton>(host.Booster(), "optPer")->click();
    Tick(host.monitor, "tmrMemory");
    QCOMPARE(host.main.trayTips.last(), QStringLiteral("Memory Usage (25%)."));
  }

  void memorySampleRoundsMBToEven() {
    Host host;
    host.t.systemInfo.SetPhysicalBytes(512 * kMB, 1536 * 1024);
    host.LoadedMonitor();  // the tray tip needs no screen
    Tick(host.monitor, "tmrMemory");
    QCOMPARE(host.main.trayTips.last(), QStringLiteral("Memory Usage (2MB)."));
    host.t.systemInfo.SetPhysicalBytes(512 * kMB, 2560 * 1024);
    Tick(host.monitor, "tmrMemory");
    QCOMPARE(host.main.trayTips.last(), QStringLiteral("Memory Usage (2MB)."));
  }

  void cpuSampleShowsUsageAndAFailedSample() {
    Host host;
    host.t.systemInfo.cpuTimes = {CpuTimes{2, 0, 0}, CpuTimes{2, 15000, 20000}, std::nullopt};
    frmSystemStatus& status = host.Status();
    Tick(host.monitor, "tmrCPU");
    QCOMPARE(Child<Histogram>(status, "histCPU")->currentValue(), 63.0);
    QCOMPARE(Child<QGroupBox>(status, "frameCPUUsage")->title(), QStringLiteral("Processor usage (63%)."));
    Tick(host.monitor, "tmrCPU");
    QCOMPARE(Child<QGroupBox>(status, "frameCPUUsage")->title(), QStringLiteral("Processor usage (-1%)."));
  }

  void ninetyXFamilyReadsTheKernelCounter() {
    Host host(OSVersionRecord{1, 4, 10});
    host.t.registry.AddKey("HKDD\\PerfStats\\StartStat");
    host.t.registry.Put("HKDD\\PerfStats\\StatData", "KERNEL\\CPUUsage", 3, {0x2C, 0x01, 0, 0});
    frmSystemStatus& status = host.Status();
    QVERIFY(dynamic_cast<clsCPUUsage*>(&host.memory.QueryObject()) != nullptr);
    Tick(host.monitor, "tmrCPU");
    QCOMPARE(Child<QGroupBox>(status, "frameCPUUsage")->title(), QStringLiteral("Processor usage (44%)."));
  }

  void speedAndZoomSliders() {
    Host host;
    frmSystemStatus& status = host.Status();
    Child<QSlider>(status, "sldCPUSpeed")->setValue(800);
    QCOMPARE(Child<QTimer>(host.monitor, "tmrCPU")->interval(), 500);
    Child<QSlider>(status, "sldMemorySpeed")->setValue(1000);
    QCOMPARE(Child<QTimer>(host.monitor, "tmrMemory")->interval(), 300);
    auto* histCPU = Child<Histogram>(status, "histCPU");
    QCOMPARE(histCPU->zoom(), 30);
    Child<QSlider>(status, "sldCPUZoom")->setValue(70);
    QCOMPARE(histCPU->zoom(), 70);
    QCOMPARE(histCPU->maxlines(), 30);
    QCOMPARE(histCPU->newcolor(), QColor(0, 255, 0));
  }

  void histogramKeepsWholeSamplesAndClampsZoom() {
    Histogram graph;
    QVERIFY(graph.setProperty("currentValue", 33.5));
    QCOMPARE(graph.currentValue(), 34.0);
    graph.setCurrentValue(-1);
    QCOMPARE(graph.currentValue(), -1.0);
    graph.setZoom(10);
    QCOMPARE(graph.zoom(), 30);
    graph.setZoom(150);
    QCOMPARE(graph.zoom(), 100);
    graph.setMaxlines(0);
    QCOMPARE(graph.maxlines(), 1);
  }

  void optimizeNowFreesTheSlidersAmount() {
    Host host;
    frmSystemStatus& status = host.Status();
    auto* button = Child<QPushButton>(status, "cmdOptimaize");
    button->click();
    QVERIFY(host.t.systemInfo.blocks.empty());
    QCOMPARE(host.t.windowSystem.eventRounds, 6 + 5 + 5 + 6);
    Child<QSlider>(status, "sldFreeMomoryReq")->setValue(3);
    button->click();
    QCOMPARE(host.t.systemInfo.blocks.size(), std::size_t(1));
    QCOMPARE(host.t.systemInfo.blocks[0].count, std::size_t(3 * kMB));
    QVERIFY(host.t.systemInfo.blocks[0].allSpaces);
    QCOMPARE(status.cursor().shape(), Qt::ArrowCursor);
  }

  void boosterDefaults() {
    Host host;
    frmRamConfiguration& booster = host.Booster();
    QVERIFY(!Child<QCheckBox>(booster, "chkSoundon")->isChecked());
    QVERIFY(!Child<QCheckBox>(booster, "chkAutomatic")->isChecked());
    QCOMPARE(Child<QLineEdit>(booster, "txtAlarm")->text(), QStringLiteral("250"));
    QCOMPARE(Child<QLineEdit>(booster, "txtFreeAlarm")->text(), QStringLiteral("10"));
    QCOMPARE(Child<QSpinBox>(booster, "updnTimeCheck")->value(), 100);
    QCOMPARE(Child<QSpinBox>(booster, "UpDownRunOnly")->value(), 2);
    QCOMPARE(Child<QSpinBox>(booster, "UpDownRetryOptimization")->value(), 10);
    QVERIFY(Child<QRadioButton>(booster, "optMB")->isChecked());
    QVERIFY(!booster.IsOptPerSelected());
    QVERIFY(!Child<QPushButton>(booster, "cmdSave")->isEnabled());
    QVERIFY(!Child<QLineEdit>(booster, "txtAlarm")->isEnabled());
    QVERIFY(!Child<QLineEdit>(booster, "txtFreeAlarm")->isEnabled());
    QVERIFY(!Child<QSpinBox>(booster, "updnTimeCheck")->isEnabled());
    QCOMPARE(Child<QTimer>(host.booster, "tmrAlarm")->interval(), 100);
    QVERIFY(Child<QTimer>(host.booster, "tmrAlarm")->isActive());
    QCOMPARE(Child<QTimer>(host.booster, "tmrSoundPlayer")->interval(), 65535);
    // A coarse timer of 20 s and more fires on whole seconds: every 66 s instead of 65.535 s.
    QCOMPARE(Child<QTimer>(host.booster, "tmrSoundPlayer")->timerType(), Qt::PreciseTimer);
    QCOMPARE(Child<QTimer>(host.booster, "tmrAlarm")->timerType(), Qt::PreciseTimer);
    QVERIFY(Child<QTimer>(host.booster, "tmrSoundPlayer")->isActive());
  }

  void boosterCheckBoxesEnableTheirFields() {
    Host host;
    frmRamConfiguration& booster = host.Booster();
    Child<QCheckBox>(booster, "chkAutomatic")->click();
    QVERIFY(Child<QLineEdit>(booster, "txtFreeAlarm")->isEnabled());
    QVERIFY(Child<QSpinBox>(booster, "updnTimeCheck")->isEnabled());
    QVERIFY(Child<QPushButton>(booster, "cmdSave")->isEnabled());
    Child<QCheckBox>(booster, "chkSoundon")->click();
    QVERIFY(Child<QLineEdit>(booster, "txtAlarm")->isEnabled());
  }

  void boosterLevelFieldsSnapBack() {
    Host host;
    frmRamConfiguration& booster = host.Booster();
    Child<QCheckBox>(booster, "chkSoundon")->click();
    Child<QCheckBox>(booster, "chkAutomatic")->click();
    auto* alarm = Child<QLineEdit>(booster, "txtAlarm");
    alarm->clear();
    QCOMPARE(alarm->text(), QStringLiteral("250"));
    Type(alarm, QStringLiteral("-"));
    QCOMPARE(alarm->text(), QStringLiteral("250"));
    auto* freeAlarm = Child<QLineEdit>(booster, "txtFreeAlarm");
    freeAlarm->setText(QStringLiteral("100"));
    QTest::keyClicks(freeAlarm, QStringLiteral("1"));  // 1001
    QCOMPARE(freeAlarm->text(), QStringLiteral("10"));
    Type(freeAlarm, QStringLiteral("1000"));
    QCOMPARE(freeAlarm->text(), QStringLiteral("1000"));
    QVERIFY(Child<QPushButton>(booster, "cmdSave")->isEnabled());
  }

  void boosterSpinRangesFollowTheOption() {
    Host host;
    frmRamConfiguration& booster = host.Booster();
    auto* runOnly = Child<QSpinBox>(booster, "UpDownRunOnly");
    auto* retry = Child<QSpinBox>(booster, "UpDownRetryOptimization");
    QCOMPARE(runOnly->maximum(), 255);
    retry->setValue(200);
    Child<QRadioButton>(booster, "optPer")->click();
    QCOMPARE(runOnly->maximum(), 100);
    QCOMPARE(retry->maximum(), 100);
    QCOMPARE(retry->value(), 100);
    QVERIFY(booster.IsOptPerSelected());
    Child<QRadioButton>(booster, "optMB")->click();
    QCOMPARE(runOnly->maximum(), 255);
    QCOMPARE(Child<QSpinBox>(booster, "updnTimeCheck")->maximum(), 65535);
  }

  void boosterSaveStoresThenLoads() {
    Host host;
    frmRamConfiguration& booster = host.Booster();
    Child<QCheckBox>(booster, "chkSoundon")->click();
    Child<QLineEdit>(booster, "txtAlarm")->setText(QStringLiteral("300"));
    Child<QSpinBox>(booster, "updnTimeCheck")->setValue(0);
    Child<QPushButton>(booster, "cmdSave")->click();
    QCOMPARE(host.t.registry.GetText(kRamSection, "chkSoundon"), std::optional<std::string>("1"));
    QCOMPARE(host.t.registry.GetText(kRamSection, "txtAlarm"), std::optional<std::string>("300"));
    QCOMPARE(host.t.registry.GetText(kRamSection, "optMB"), std::optional<std::string>("True"));
    QVERIFY(!Child<QPushButton>(booster, "cmdSave")->isEnabled());
    // The new level takes effect at once: it is what an invalid entry now snaps back to.
    Child<QLineEdit>(booster, "txtAlarm")->setText(QStringLiteral("x"));
    QCOMPARE(Child<QLineEdit>(booster, "txtAlarm")->text(), QStringLiteral("300"));
    // A check interval of 0 stops the checks.
    QVERIFY(!Child<QTimer>(host.booster, "tmrAlarm")->isActive());
  }

  void boosterRefusesStoredValuesThatDoNotFit() {
    Host host;
    host.t.registry.PutText(kRamSection, "txtTimeCheck", "70000");
    host.t.registry.PutText(kRamSection, "txtAlarm", "99999999999");
    frmRamConfiguration& booster = host.Booster();
    QCOMPARE(Child<QSpinBox>(booster, "updnTimeCheck")->value(), 100);
    QCOMPARE(Child<QTimer>(host.booster, "tmrAlarm")->interval(), 100);
    QCOMPARE(Child<QLineEdit>(booster, "txtAlarm")->text(), QStringLiteral("250"));
    QVERIFY(!Child<QPushButton>(booster, "cmdSave")->isEnabled());
  }

  void boosterChecksUseTheStatusScreensProbe() {
    Host host;
    host.t.registry.PutText(kRamSection, "chkAutomatic", "1");
    host.t.registry.PutText(kRamSection, "txtRetryOptimization", "1");
    host.t.systemInfo.SetPhysicalMB(8192, 200);
    // One processor: 99 % idle, then 98 % idle.
    host.t.systemInfo.cpuTimes = {CpuTimes{1, 0, 0}, CpuTimes{1, 99000, 100000}, CpuTimes{1, 99000 + 98000, 200000}};
    host.LoadedBooster();            // the checks need no screen
    Tick(host.booster, "tmrAlarm");  // usage 1, below the limit of 2
    QCOMPARE(host.t.systemInfo.blocks.size(), std::size_t(1));
    QCOMPARE(host.t.systemInfo.blocks[0].count, std::size_t(10 * kMB));
    Tick(host.booster, "tmrAlarm");  // usage 2
    QCOMPARE(host.t.systemInfo.blocks.size(), std::size_t(1));
    // The status screen samples that same probe: loading it keeps the one the checks used.
    const ICpuUsage* checked = &host.memory.QueryObject();
    host.Status();
    QCOMPARE(&host.memory.QueryObject(), checked);
  }

  void boosterSoundPlaysFromTheProgramFolderWhileArmed() {
    Host host;
    host.t.registry.PutText(kRamSection, "chkSoundon", "1");
    host.t.systemInfo.SetPhysicalMB(8192, 100);
    host.LoadedBooster();
    Tick(host.booster, "tmrSoundPlayer");
    QVERIFY(host.t.sound.played.empty());
    Tick(host.booster, "tmrAlarm");
    Tick(host.booster, "tmrSoundPlayer");
    QCOMPARE(host.t.sound.played, std::vector<std::string>{(host.t.folder / "low-memory.wav").string()});
    host.t.systemInfo.SetPhysicalMB(8192, 250);
    Tick(host.booster, "tmrAlarm");
    Tick(host.booster, "tmrSoundPlayer");
    QCOMPARE(host.t.sound.played.size(), std::size_t(1));
  }

  void statusSamplesBeforeItsScreenExistsWhichThenShowsWhatWasSampled() {
    Host host;
    host.t.systemInfo.SetPhysicalMB(512, 128);
    std::int64_t idle = 0;
    for (int sample = 0; sample <= 35; ++sample) {
      idle += 2 * (sample * 3 % 10) * 1000;
      host.t.systemInfo.cpuTimes.push_back(CpuTimes{2, idle, sample * 10000});
    }
    host.LoadedMonitor();
    frmSystemStatus early(host.t.services, host.main, host.monitor);  // there from the start, for comparison
    early.Form_Load();
    for (int sample = 0; sample < 35; ++sample) Tick(host.monitor, "tmrCPU");
    Tick(host.monitor, "tmrMemory");
    host.t.systemInfo.SetPhysicalMB(512, 256);
    Tick(host.monitor, "tmrMemory");
    QCOMPARE(host.main.trayTips, (QStringList{"Memory Usage (128MB).", "Memory Usage (256MB)."}));
    QVERIFY(host.main.screens.empty());
    frmSystemStatus& status = host.Status();
    QCOMPARE(Child<QSlider>(status, "sldFreeMomoryReq")->maximum(), 512);
    QCOMPARE(Child<QGroupBox>(status, "fameMemoryUsage")->title(), QStringLiteral("Memory Usage (50%)."));
    QCOMPARE(Child<QGroupBox>(status, "frameCPUUsage")->title(), Child<QGroupBox>(early, "frameCPUUsage")->title());
    for (const char* graph : {"histCPU", "histMemory"}) {
      Histogram* late = Child<Histogram>(status, graph);
      Histogram* throughout = Child<Histogram>(early, graph);
      QCOMPARE(late->currentValue(), throughout->currentValue());
      late->resize(300, 60);
      throughout->resize(300, 60);
      QVERIFY2(late->grab().toImage() == throughout->grab().toImage(), graph);
    }
  }

  void statusScreenBeforeAnySampleKeepsItsCaptions() {
    Host host;
    frmSystemStatus& status = host.Status();
    QCOMPARE(Child<QGroupBox>(status, "frameCPUUsage")->title(), QStringLiteral("Processor usage"));
    QCOMPARE(Child<QGroupBox>(status, "fameMemoryUsage")->title(), QStringLiteral("Memory usage"));
    QVERIFY(host.main.trayTips.isEmpty());
  }

  void boosterChecksRunBeforeItsScreenExistsWhichShowsTheFieldsAsTheyStand() {
    Host host;
    host.t.registry.PutText(kRamSection, "chkSoundon", "1");
    host.t.registry.PutText(kRamSection, "optPer", "True");
    host.t.registry.PutText(kRamSection, "optMB", "False");
    host.t.registry.PutText(kRamSection, "txtRunOnly", "90");
    host.t.systemInfo.SetPhysicalMB(8192, 100);
    host.LoadedBooster();
    QVERIFY(host.memory.TipInPercent());
    Tick(host.booster, "tmrAlarm");
    Tick(host.booster, "tmrSoundPlayer");
    QCOMPARE(host.t.sound.played.size(), std::size_t(1));
    QVERIFY(host.main.screens.empty());
    frmRamConfiguration& booster = host.Booster();
    QVERIFY(Child<QCheckBox>(booster, "chkSoundon")->isChecked());
    QVERIFY(Child<QLineEdit>(booster, "txtAlarm")->isEnabled());
    QVERIFY(booster.IsOptPerSelected());
    QCOMPARE(Child<QSpinBox>(booster, "UpDownRunOnly")->maximum(), 100);
    QCOMPARE(Child<QSpinBox>(booster, "UpDownRunOnly")->value(), 90);
    QVERIFY(!Child<QPushButton>(booster, "cmdSave")->isEnabled());
    // An edit reaches the checks and the tray tip at once, saved or not.
    Child<QCheckBox>(booster, "chkSoundon")->click();
    Child<QRadioButton>(booster, "optMB")->click();
    QVERIFY(!host.memory.TipInPercent());
    Tick(host.booster, "tmrAlarm");
    Tick(host.booster, "tmrSoundPlayer");
    QCOMPARE(host.t.sound.played.size(), std::size_t(1));
    QVERIFY(Child<QPushButton>(booster, "cmdSave")->isEnabled());
    QCOMPARE(host.t.registry.GetText(kRamSection, "chkSoundon"), std::optional<std::string>("1"));
  }

  void screensFitTheirFrame_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("height");
    QTest::newRow("frmSystemStatus") << int(ScreenId::SystemStatus) << 255;
    QTest::newRow("frmRamConfiguration") << int(ScreenId::RamConfiguration) << 240;
  }

  void screensFitTheirFrame() {
    QFETCH(int, which);
    QFETCH(int, height);
    Host host;
    // More samples than the graphs hold, busy and idle by turns.
    std::int64_t idle = 0;
    for (int sample = 0; sample <= 40; ++sample) {
      idle += 2 * (sample * 7 % 10) * 1000;
      host.t.systemInfo.cpuTimes.push_back(CpuTimes{2, idle, sample * 10000});
    }
    ChildScreen* screen = host.main.Screen(static_cast<ScreenId>(which));
    QVERIFY(screen != nullptr);
    screen->resize(440, height);
    screen->show();
    for (int sample = 0; sample < 40; ++sample)
      for (const char* timer : {"tmrCPU", "tmrMemory"}) Tick(host.monitor, timer);
    // ZF_SCREENSHOTS=folder keeps a picture of each screen for a look by eye.
    const QString folder = qEnvironmentVariable("ZF_SCREENSHOTS");
    if (!folder.isEmpty()) screen->grab().save(folder + "/" + QTest::currentDataTag() + ".png");
    QVERIFY2(screen->layout()->minimumSize().width() <= 440, "wider than the frame");
    QVERIFY2(screen->layout()->minimumSize().height() <= height, "taller than the frame");
    for (QWidget* child : screen->findChildren<QWidget*>()) {
      if (!child->isVisible() || child->parentWidget() == nullptr) continue;
      const QRect inParent = child->parentWidget()->rect();
      QVERIFY2(inParent.contains(child->geometry()), qPrintable(child->objectName() + " is cut off"));
      QVERIFY2(child->width() >= child->minimumSizeHint().width() || child->minimumSizeHint().width() < 0,
               qPrintable(child->objectName() + " is squeezed"));
    }
  }
};

}  // namespace zf

QTEST_MAIN(zf::MemoryScreensTest)
#include "MemoryScreensTest.moc"
