// SPDX-License-Identifier: GPL-3.0-or-later
#include "pinger/frmNetPingerSettings.h"

#include "ui_frmNetPingerSettings.h"

namespace zf {
namespace {

int CheckState(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

}  // namespace

void frmNetPingerSettings::TimerSwitch::SetEnabled(bool enabled) {
  if (!enabled) {
    m_timer.stop();
  } else if (!m_timer.isActive()) {
    m_timer.start();
  }
}

frmNetPingerSettings::frmNetPingerSettings(AppServices& services, IMainWindow& mainWindow, QWidget* parent)
    : ChildScreen(services, mainWindow, parent),
      ui(std::make_unique<Ui::frmNetPingerSettings>()),
      m_scheduler(services, m_timerSwitch) {
  ui->setupUi(this);
  // Qt coarsens timers of 20 s and more to whole seconds unless told otherwise.
  tmrPinger.setTimerType(Qt::PreciseTimer);
  tmrPinger.setInterval(kPingerTickMs);
  ConnectEvents();
}

frmNetPingerSettings::~frmNetPingerSettings() = default;

void frmNetPingerSettings::ConnectEvents() {
  // Only the user's own actions count as events: the signals below never fire when
  // ShowControls sets a value.
  connect(ui->chkDoPinging, &QCheckBox::clicked, this,
          [this] { Handle([this] { m_scheduler.chkDoPinging_Click(CheckState(ui->chkDoPinging)); }); });
  connect(ui->chkSound, &QCheckBox::clicked, this,
          [this] { Handle([this] { m_scheduler.chkSound_Click(CheckState(ui->chkSound)); }); });
  connect(ui->cmbPingInterval, &QComboBox::activated, this,
          [this](int index) { Handle([this, index] { m_scheduler.cmbPingInterval_Click(index); }); });
  connect(ui->txtPingHost, &QLineEdit::textEdited, this, [this](const QString& text) {
    Handle([this, text] { m_scheduler.txtPingHost_Change(text.toStdString()); });
  });
  // A click on the mode already chosen changes nothing (it would replace a typed host).
  connect(ui->optAuto, &QRadioButton::clicked, this, [this] {
    if (!m_scheduler.Controls().optAuto) Handle([this] { m_scheduler.optAuto_Click(); });
  });
  connect(ui->optManual, &QRadioButton::clicked, this, [this] {
    if (!m_scheduler.Controls().optManual()) Handle([this] { m_scheduler.optManual_Click(); });
  });
  connect(ui->cmdPingNow, &QPushButton::clicked, this, [this] { Handle([this] { m_scheduler.cmdPingNow_Click(); }); });
  connect(ui->cmdSave, &QPushButton::clicked, this, [this] { Handle([this] { m_scheduler.cmdSave_Click(); }); });
  connect(&tmrPinger, &QTimer::timeout, this, [this] { Handle([this] { m_scheduler.tmrPinger_Timer(); }); });
}

template <typename Event>
void frmNetPingerSettings::Handle(Event&& event) {
  event();
  ShowControls();
}

void frmNetPingerSettings::Form_Load() {
  SkinScreen();
  ui->cmbPingInterval->clear();
  for (const std::string& entry : PingIntervalEntries()) ui->cmbPingInterval->addItem(QString::fromStdString(entry));
  m_scheduler.Form_Load();
  ShowControls();
}

void frmNetPingerSettings::Form_Unload() { tmrPinger.stop(); }

void frmNetPingerSettings::ShowControls() {
  const NetPingerControls& controls = m_scheduler.Controls();
  ui->chkDoPinging->setChecked(controls.chkDoPinging == 1);
  ui->frameConfigurations->setEnabled(controls.frameConfigurationsEnabled);
  ui->optAuto->setChecked(controls.optAuto);
  ui->optManual->setChecked(controls.optManual());
  const QString host = QString::fromStdString(controls.txtPingHost);
  // Rewriting the same text would move the cursor of someone typing in the box.
  if (ui->txtPingHost->text() != host) ui->txtPingHost->setText(host);
  ui->txtPingHost->setEnabled(controls.txtPingHostEnabled);
  ui->cmbPingInterval->setCurrentIndex(controls.cmbPingInterval);
  ui->cmbPingInterval->setEnabled(controls.cmbPingIntervalEnabled);
  ui->chkSound->setChecked(controls.chkSound == 1);
  ui->cmdSave->setEnabled(controls.cmdSaveEnabled);
}

}  // namespace zf
