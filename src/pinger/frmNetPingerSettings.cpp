// SPDX-License-Identifier: GPL-3.0-or-later
#include "pinger/frmNetPingerSettings.h"

#include "ui_frmNetPingerSettings.h"

namespace zf {
namespace {

int CheckState(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

}  // namespace

frmNetPingerSettings::frmNetPingerSettings(AppServices& services, IMainWindow& mainWindow, PingerService& pinger,
                                           QWidget* parent)
    : ChildScreen(services, mainWindow, parent), ui(std::make_unique<Ui::frmNetPingerSettings>()), m_pinger(pinger) {
  ui->setupUi(this);
  // Only where the program keeps a history is there one to show.
  ui->cmdHistory->setVisible(static_cast<bool>(services.showConnectionHistory));
  ConnectEvents();
}

frmNetPingerSettings::~frmNetPingerSettings() = default;

void frmNetPingerSettings::ConnectEvents() {
  // Only the user's own actions count as events: the signals below never fire when
  // ShowControls sets a value.
  using S = PingerScheduler;
  connect(ui->chkDoPinging, &QCheckBox::clicked, this,
          [this] { m_pinger.Handle([state = CheckState(ui->chkDoPinging)](S& s) { s.chkDoPinging_Click(state); }); });
  connect(ui->chkSound, &QCheckBox::clicked, this,
          [this] { m_pinger.Handle([state = CheckState(ui->chkSound)](S& s) { s.chkSound_Click(state); }); });
  connect(ui->cmbPingInterval, &QComboBox::activated, this,
          [this](int index) { m_pinger.Handle([index](S& s) { s.cmbPingInterval_Click(index); }); });
  connect(ui->txtPingHost, &QLineEdit::textEdited, this, [this](const QString& text) {
    m_pinger.Handle([text = text.toStdString()](S& s) { s.txtPingHost_Change(text); });
  });
  // A click on the mode already chosen changes nothing (it would replace a typed host).
  connect(ui->optAuto, &QRadioButton::clicked, this, [this] {
    if (!Scheduler().Controls().optAuto) m_pinger.Handle([](S& s) { s.optAuto_Click(); });
  });
  connect(ui->optManual, &QRadioButton::clicked, this, [this] {
    if (!Scheduler().Controls().optManual()) m_pinger.Handle([](S& s) { s.optManual_Click(); });
  });
  connect(ui->cmdPingNow, &QPushButton::clicked, this, [this] { m_pinger.Handle([](S& s) { s.cmdPingNow_Click(); }); });
  connect(ui->cmdSave, &QPushButton::clicked, this, [this] { m_pinger.Handle([](S& s) { s.cmdSave_Click(); }); });
  connect(ui->cmdHistory, &QPushButton::clicked, this, [this] {
    if (m_services.showConnectionHistory) m_services.showConnectionHistory();
  });
  connect(&m_pinger, &PingerService::ControlsChanged, this, &frmNetPingerSettings::ShowControls);
}

void frmNetPingerSettings::Form_Load() {
  SkinScreen();
  ui->cmbPingInterval->clear();
  const QString entry = tr(kPingIntervalFormat);
  for (int minutes = 1; minutes <= kPingIntervalCount; ++minutes) ui->cmbPingInterval->addItem(entry.arg(minutes));
  ShowControls();
}

void frmNetPingerSettings::ShowControls() {
  const NetPingerControls& controls = Scheduler().Controls();
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
