// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/frmNormalMode.h"

#include <QSignalBlocker>

#include "ui_frmNormalMode.h"

namespace zf {
namespace {

// Sets a box's text only when it differs, so the caret stays where the user is typing.
void ShowText(QLineEdit* box, const QString& text) {
  if (box->text() != text) box->setText(text);
}

}  // namespace

frmNormalMode::frmNormalMode(AppServices& services, IMainWindow& mainWindow, ITuningFollowUp& followUp, QWidget* parent)
    : ChildScreen(services, mainWindow, parent),
      m_ui(std::make_unique<Ui::frmNormalMode>()),
      m_logic(services, mainWindow, followUp, locale()) {
  m_ui->setupUi(this);
  m_frmWizardPages = {m_ui->frmWizardPages0, m_ui->frmWizardPages1, m_ui->frmWizardPages2, m_ui->frmWizardPages3,
                      m_ui->frmWizardPages4, m_ui->frmWizardPages5, m_ui->frmWizardPages6, m_ui->frmWizardPages7};
  m_optConnType = {m_ui->optConnType0, m_ui->optConnType1, m_ui->optConnType2, m_ui->optConnType3};
  m_validatedBoxes = {m_ui->txtMTUValue,
                      m_ui->txtMSSValue,
                      m_ui->txtTTLValue,
                      m_ui->txtHTTP10Value,
                      m_ui->txtHTTP11Value,
                      m_ui->txtKeepAliveTimeValue,
                      m_ui->txtKeepAliveIntervalValue};
  m_ui->optConnType0->setChecked(true);
  ConnectControls();
  ConnectValidatedBoxes();
}

frmNormalMode::~frmNormalMode() = default;

void frmNormalMode::Form_Load() {
  SkinScreen();
  Handle([this] { m_logic.Form_Load(); });
}

void frmNormalMode::SetCurrWizardPage(int page) { m_logic.currWizardPage = static_cast<std::int16_t>(page); }

template <typename Handler>
void frmNormalMode::Handle(Handler handler) {
  handler();
  Refresh();
}

void frmNormalMode::ConnectControls() {
  connect(m_ui->cmdNextPage, &QPushButton::clicked, this, [this] { Handle([this] { m_logic.cmdNextPage_Click(); }); });
  connect(m_ui->cmdPrevPage, &QPushButton::clicked, this, [this] { Handle([this] { m_logic.cmdPrevPage_Click(); }); });
  for (int i = 0; i < kConnectionTypeCount; ++i) {
    connect(m_optConnType[static_cast<std::size_t>(i)], &QRadioButton::toggled, this, [this, i](bool checked) {
      if (checked) Handle([this, i] { m_logic.optConnType_Click(i); });
    });
  }
  connect(m_ui->chkBlackHoleValue, &QCheckBox::clicked, this,
          [this](bool ticked) { Handle([this, ticked] { m_logic.chkBlackHoleValue_Click(ticked); }); });
  connect(m_ui->chkMTUDisconver, &QCheckBox::clicked, this,
          [this](bool ticked) { Handle([this, ticked] { m_logic.chkMTUDisconver_Click(ticked); }); });
  connect(m_ui->chkICMPValue, &QCheckBox::clicked, this,
          [this](bool ticked) { Handle([this, ticked] { m_logic.chkICMPValue_Click(ticked); }); });
  connect(m_ui->cmbNDI, &QComboBox::activated, this,
          [this](int index) { Handle([this, index] { m_logic.cmbNDI_Click(index); }); });
  connect(m_ui->updwnDescision, &QSpinBox::valueChanged, this,
          [this](int level) { Handle([this, level] { m_logic.updwnDescision_Change(level); }); });
  connect(m_ui->txtMultiplier, &QLineEdit::textEdited, this,
          [this](const QString& text) { Handle([this, &text] { m_logic.SetMultiplierText(text); }); });
}

void frmNormalMode::ConnectValidatedBoxes() {
  for (int i = 0; i < kValidatedBoxCount; ++i) {
    const auto box = static_cast<ValidatedBox>(i);
    connect(m_validatedBoxes[static_cast<std::size_t>(i)], &QLineEdit::textEdited, this,
            [this, box](const QString& text) { Handle([this, box, &text] { m_logic.SetValidatedText(box, text); }); });
    connect(m_validatedBoxes[static_cast<std::size_t>(i)], &QLineEdit::editingFinished, this,
            [this, box] { Handle([this, box] { m_logic.LeaveValidatedBox(box); }); });
  }
}

void frmNormalMode::Refresh() {
  const NormalModeControls& c = m_logic.controls();
  for (int i = 0; i < kWizardPageCount; ++i)
    m_frmWizardPages[static_cast<std::size_t>(i)]->setVisible(i == c.visiblePage);
  m_frmWizardPages[static_cast<std::size_t>(c.visiblePage)]->raise();
  m_ui->cmdPrevPage->setEnabled(c.cmdPrevPageEnabled);
  m_ui->cmdNextPage->setEnabled(c.cmdNextPageEnabled);
  m_ui->cmdNextPage->setText(c.cmdNextPageCaption);
  RefreshTexts();

  const QSignalBlocker blockType(m_optConnType[static_cast<std::size_t>(c.optConnType)]);
  m_optConnType[static_cast<std::size_t>(c.optConnType)]->setChecked(true);
  m_ui->chkBlackHoleValue->setChecked(c.chkBlackHoleValue);
  m_ui->chkMTUDisconver->setChecked(c.chkMTUDisconver);
  m_ui->chkICMPValue->setChecked(c.chkICMPValue);
  m_ui->cmbNDI->setCurrentIndex(c.cmbNDI);
  const QSignalBlocker blockSpin(m_ui->updwnDescision);
  m_ui->updwnDescision->setValue(c.txtSYNValue.toInt());
}

void frmNormalMode::RefreshTexts() {
  const NormalModeControls& c = m_logic.controls();
  for (std::size_t i = 0; i < m_validatedBoxes.size(); ++i) ShowText(m_validatedBoxes[i], c.validated[i]);
  ShowText(m_ui->txtMSSRWINValue, c.txtMSSRWINValue);
  ShowText(m_ui->txtMultiplier, c.txtMultiplier);
  ShowText(m_ui->txtScaleFactor, c.txtScaleFactor);
  ShowText(m_ui->txtRWIN, c.txtRWIN);
  ShowText(m_ui->txtSYNValue, c.txtSYNValue);
  m_ui->lblMTURecValue->setText(c.lblMTURecValue);
  m_ui->lblMSSRecVaklue->setText(c.lblMSSRecVaklue);
  m_ui->lblRWINRecValue->setText(c.lblRWINRecValue);
  m_ui->lblRwinCap->setText(c.lblRwinCap);
  m_ui->lblRwinCap->setVisible(!c.lblRwinCap.isEmpty());
}

}  // namespace zf
